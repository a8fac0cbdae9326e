#pragma once

#include "guiding/Corrections.h"
#include "platform/indi/IndiAddress.h"
#include "platform/indi/MountLink.h"

#include <libindi/baseclient.h>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>

namespace nuvix::indi {

// What the client library's reading thread learns and the mount's own thread acts on, under
// `mutex`; `wake` tells the mount's thread that something changed.
struct LinkShared {
    std::mutex mutex;
    std::condition_variable wake;
    DeviceTable devices;
    std::string mount;  // the device chosen for guiding
    // The chosen mount's latest coordinates, kept while the server is away.
    std::optional<EquatorialPoint> coordinates;
    bool serverLost = false;
    bool changed = false;
};

// One connection to a server through the INDI client library. Its callbacks run on the library's
// reading thread and only record what they hear in the shared facts. The sending calls build
// their own properties rather than touching the library's copies, which that thread updates.
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

protected:
    void newDevice(INDI::BaseDevice device) override;
    void removeDevice(INDI::BaseDevice device) override;
    void newProperty(INDI::Property property) override;
    void updateProperty(INDI::Property property) override;
    void removeProperty(INDI::Property property) override;
    void serverDisconnected(int exitCode) override;

private:
    void Note(INDI::Property property, bool defined);
    void Changed();

    LinkShared& shared_;
};

}  // namespace nuvix::indi
