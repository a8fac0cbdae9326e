#pragma once

#include "camera/CameraImage.h"
#include "guiding/Corrections.h"
#include "platform/indi/IndiAddress.h"
#include "platform/indi/MountLink.h"

#include <libindi/baseclient.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

namespace nuvix::indi {

// What the client library's reading thread learns and the link's own thread acts on, under
// `mutex`; `wake` tells the link's thread that something changed.
struct LinkShared {
    std::mutex mutex;
    std::condition_variable wake;
    DeviceTable devices;
    std::string mount;  // the device chosen for guiding, kept by name across reconnections
    // The chosen mount's latest coordinates, kept while the server is away.
    std::optional<EquatorialPoint> coordinates;
    // The camera whose pictures are wanted: set before the link's thread starts, never after, so
    // the reading thread reads it without the mutex. Empty: no camera.
    std::string camera;
    CameraPicture picture;    // its latest readable picture
    uint64_t pictures = 0;    // how many readable pictures came
    uint64_t unreadable = 0;  // and how many that were none
    bool serverLost = false;
    bool changed = false;
};

// One connection to a server through the INDI client library. Its callbacks run on the library's
// reading thread and only record what they hear in the shared facts (a camera's picture is read
// there, before the mutex is taken). The sending calls build their own properties rather than
// touching the library's copies, which that thread updates.
class IndiConnection final : public INDI::BaseClient {
public:
    explicit IndiConnection(LinkShared& shared);
    ~IndiConnection() override;

    // Blocks for at most `timeoutSeconds`.
    bool Open(const ServerAddress& address, int timeoutSeconds);
    void ConnectDevice(const std::string& device);
    // Both directions of the axis's property: the pulse's own gets its length, the other 0, so
    // that a pulse still running the other way is not taken up again.
    void SendPulse(const std::string& device, Axis axis, const GuidePulse& pulse);
    // The camera's pictures (its CCD1 BLOB) come to this client; no other BLOB does.
    void ReceivePictures(const std::string& device);
    void SendNumbers(const std::string& device, const char* property,
                     std::initializer_list<std::pair<const char*, double>> values);
    void SwitchOn(const std::string& device, const char* property, const char* element);

protected:
    void newDevice(INDI::BaseDevice device) override;
    void removeDevice(INDI::BaseDevice device) override;
    void newProperty(INDI::Property property) override;
    void updateProperty(INDI::Property property) override;
    void removeProperty(INDI::Property property) override;
    void serverDisconnected(int exitCode) override;

private:
    void Note(INDI::Property property, bool defined);
    // Under the mutex; false when the property is none the mount's or the camera's facts hold.
    bool NoteMount(INDI::Property property, bool defined, MountFacts& mount);
    bool NoteCamera(INDI::Property property, bool defined, CameraFacts& camera);
    void TakePicture(INDI::Property property);
    void Changed();

    LinkShared& shared_;
};

}  // namespace nuvix::indi
