#include "platform/indi/MountLink.h"
#include "platform/text/Translate.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace nuvix::indi {

namespace {
constexpr unsigned kGuiderInterface = 1u << 2;  // the client library's GUIDER_INTERFACE
constexpr double kPi = 3.141592653589793;
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

const DeviceFacts* ChooseMount(const DeviceTable& table, std::string_view wanted)
{
    if (!wanted.empty()) return table.Get(wanted);
    for (const DeviceFacts& device : table.Devices()) {
        if (device.OffersGuidePulses()) return &device;
    }
    return nullptr;
}

bool InterfaceHasGuider(std::string_view driverInterface)
{
    unsigned bits = 0;
    const char* end = driverInterface.data() + driverInterface.size();
    const auto [stop, error] = std::from_chars(driverInterface.data(), end, bits);
    return error == std::errc{} && stop == end && (bits & kGuiderInterface) != 0;
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

std::optional<SinkNotice> NoticeFor(LinkState state, std::string_view mount, std::string_view server)
{
    switch (state) {
    case LinkState::Ready:
        return SinkNotice{TrFill("Monture connectée : %s", {mount}), TrFill("INDI sur %s", {server})};
    case LinkState::NoMount:
        return SinkNotice{Tr("Pas de monture INDI"), Tr("Erreur")};
    case LinkState::ServerGone:
        return SinkNotice{Tr("Le serveur INDI ne répond pas"), Tr("Erreur")};
    case LinkState::Starting:
        break;
    }
    return std::nullopt;
}

}  // namespace nuvix::indi
