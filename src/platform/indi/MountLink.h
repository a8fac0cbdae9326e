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

// What the client has heard of a mount's own properties.
struct MountFacts {
    std::optional<EquatorialPoint> coordinates;  // EQUATORIAL_EOD_COORD
    bool slewing = false;                        // ...while it is Busy
    bool parked = false;                         // TELESCOPE_PARK
    std::optional<bool> tracking;                // TELESCOPE_TRACK_STATE, when the driver has one
    PierSide pierSide = PierSide::Unknown;       // TELESCOPE_PIER_SIDE
    std::optional<double> raGuideRate;           // GUIDE_RATE, in fractions of the sidereal rate
    std::optional<double> decGuideRate;
    std::optional<double> longitude;  // GEOGRAPHIC_COORD, degrees east
};

// What the client has heard of one device on the server.
struct DeviceFacts {
    std::string name;
    std::optional<unsigned> interfaces;  // DRIVER_INFO's DRIVER_INTERFACE bits
    bool connected = false;              // its CONNECTION switch is on
    bool guideWe = false;                // TELESCOPE_TIMED_GUIDE_WE is defined
    bool guideNs = false;
    MountFacts mount;
    CameraFacts camera;

    // A telescope that takes timed guide pulses (a camera's guide port is no mount). A driver
    // that does not tell its interfaces is a telescope when it reports coordinates.
    bool IsMount() const;
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

// The mount to guide: the device named (by the user, or the one chosen before), or else the first
// mount that appeared; null when there is none (yet).
const DeviceFacts* ChooseMount(const DeviceTable& table, std::string_view wanted);

// The interface bits of DRIVER_INFO's DRIVER_INTERFACE, a decimal number as text; empty when it is not.
std::optional<unsigned> ParseInterfaces(std::string_view driverInterface);

// Local sidereal time, in hours, at a time in seconds since 1970 (UTC) and a longitude east.
double LocalSiderealHours(double unixSeconds, double longitudeDegrees);

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

}  // namespace nuvix::indi
