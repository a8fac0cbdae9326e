#pragma once

#include "guiding/GuidePulseSink.h"
#include "platform/indi/CameraSetup.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nuvix::indi {

// Where a mount reports it points (EQUATORIAL_EOD_COORD).
struct EquatorialPoint {
    double raHours = 0.0;
    double decDegrees = 0.0;
    friend bool operator==(const EquatorialPoint&, const EquatorialPoint&) = default;
};

// What the client has heard of one device on the server.
struct DeviceFacts {
    std::string name;
    bool guider = false;     // its driver says it takes guide pulses
    bool connected = false;  // its CONNECTION switch is on
    bool guideWe = false;    // TELESCOPE_TIMED_GUIDE_WE is defined
    bool guideNs = false;
    std::optional<EquatorialPoint> coordinates;
    CameraFacts camera;

    bool OffersGuidePulses() const { return guider || guideWe || guideNs; }
    bool ReadyToGuide() const { return connected && guideWe && guideNs; }
};

// The server's devices in the order they appeared.
class DeviceTable {
public:
    DeviceFacts& Find(std::string_view name);  // added when new
    void Remove(std::string_view name);
    void Clear() { devices_.clear(); }
    const std::vector<DeviceFacts>& Devices() const { return devices_; }
    const DeviceFacts* Get(std::string_view name) const;

private:
    std::vector<DeviceFacts> devices_;
};

// The mount to guide: the device named by the user, or else the first that offers timed guide
// pulses; null when there is none (yet).
const DeviceFacts* ChooseMount(const DeviceTable& table, std::string_view wanted);

// The guider bit of DRIVER_INFO's DRIVER_INTERFACE, a decimal number as text.
bool InterfaceHasGuider(std::string_view driverInterface);

// How far the picture has moved, in picture pixels, when the telescope points at `now` instead of
// `reference`: east (right ascension growing) moves the stars toward larger x and north toward
// larger y, the ways that the east and north pulses bring back a star left of or above its
// reference. Right ascension is taken the short way round the sky and shrinks with the cosine of
// the declination. Nothing without a positive scale.
struct PictureShift {
    double x = 0.0;
    double y = 0.0;
};
PictureShift ShiftBetween(EquatorialPoint reference, EquatorialPoint now, double arcsecPerPixel);

// The states of the link a user is told about, each once when it begins.
enum class LinkState { Starting, Ready, NoMount, ServerGone };
std::optional<SinkNotice> NoticeFor(LinkState state, std::string_view mount, std::string_view server);

}  // namespace nuvix::indi
