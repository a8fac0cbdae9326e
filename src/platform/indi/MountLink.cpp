#include "platform/indi/MountLink.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace nuvix::indi {

namespace {
// The client library's TELESCOPE_INTERFACE and GUIDER_INTERFACE.
constexpr unsigned kTelescopeInterface = 1u << 0;
constexpr unsigned kGuiderInterface = 1u << 2;
constexpr double kPi = 3.141592653589793;
// Greenwich sidereal time at 2000-01-01 12:00 UTC and its rate, hours per day.
constexpr double kJ2000UnixSeconds = 946728000.0;
constexpr double kSiderealAtJ2000 = 18.697374558;
constexpr double kSiderealHoursPerDay = 24.06570982441908;
}  // namespace

DeviceFacts& DeviceTable::Find(std::string_view name)
{
    for (DeviceFacts& device : devices_) {
        if (device.name == name) return device;
    }
    DeviceFacts& added = devices_.emplace_back();
    added.name = name;
    return added;
}

void DeviceTable::Remove(std::string_view name)
{
    std::erase_if(devices_, [&](const DeviceFacts& device) { return device.name == name; });
}

const DeviceFacts* DeviceTable::Get(std::string_view name) const
{
    const auto found = std::find_if(devices_.begin(), devices_.end(), [&](const auto& d) { return d.name == name; });
    return found == devices_.end() ? nullptr : &*found;
}

bool DeviceFacts::IsMount() const
{
    const bool telescope = interfaces ? (*interfaces & kTelescopeInterface) != 0 : mount.coordinates.has_value();
    const bool pulses = (interfaces && (*interfaces & kGuiderInterface) != 0) || (guideWe && guideNs);
    return telescope && pulses;
}

const DeviceFacts* ChooseMount(const DeviceTable& table, std::string_view wanted)
{
    if (!wanted.empty()) return table.Get(wanted);
    for (const DeviceFacts& device : table.Devices()) {
        if (device.IsMount()) return &device;
    }
    return nullptr;
}

std::optional<unsigned> ParseInterfaces(std::string_view driverInterface)
{
    unsigned bits = 0;
    const char* end = driverInterface.data() + driverInterface.size();
    const auto [stop, error] = std::from_chars(driverInterface.data(), end, bits);
    if (error != std::errc{} || stop != end || driverInterface.empty()) return std::nullopt;
    return bits;
}

double LocalSiderealHours(double unixSeconds, double longitudeDegrees)
{
    const double days = (unixSeconds - kJ2000UnixSeconds) / 86400.0;
    const double hours = kSiderealAtJ2000 + kSiderealHoursPerDay * days + longitudeDegrees / 15.0;
    const double wrapped = std::fmod(hours, 24.0);
    return wrapped < 0.0 ? wrapped + 24.0 : wrapped;
}

PictureShift ShiftBetween(EquatorialPoint reference, EquatorialPoint now, double arcsecPerPixel)
{
    if (!(arcsecPerPixel > 0.0) || !std::isfinite(arcsecPerPixel)) return {};
    const double hours = std::remainder(now.raHours - reference.raHours, 24.0);
    const double cosDec = std::cos(reference.decDegrees * kPi / 180.0);
    const PictureShift shift{hours * 15.0 * 3600.0 * cosDec / arcsecPerPixel,
                             (now.decDegrees - reference.decDegrees) * 3600.0 / arcsecPerPixel};
    // Coordinates that are no numbers move nothing.
    if (!std::isfinite(shift.x) || !std::isfinite(shift.y)) return {};
    return shift;
}

}  // namespace nuvix::indi
