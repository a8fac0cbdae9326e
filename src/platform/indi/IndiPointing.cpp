#include "platform/indi/IndiPointing.h"

namespace nuvix::indi {

IndiPointing::IndiPointing(const IndiMount& mount, std::function<double()> arcsecPerPixel)
    : mount_(mount), arcsecPerPixel_(std::move(arcsecPerPixel))
{
}

sim::SkyPoint IndiPointing::CorrectionAt(int64_t timeNs) const
{
    // The latest report stands for the exposure's time: the mount reports as often as it can.
    (void)timeNs;
    const std::optional<EquatorialPoint> now = mount_.Coordinates();
    if (!now) return {};
    if (!reference_) reference_ = now;
    const PictureShift shift = ShiftBetween(*reference_, *now, arcsecPerPixel_());
    return {shift.x, shift.y};
}

}  // namespace nuvix::indi
