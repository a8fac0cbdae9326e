#include "platform/indi/IndiPointing.h"

namespace nuvix::indi {

IndiPointing::IndiPointing(const GuidePulseSink& mount, std::function<double()> arcsecPerPixel)
    : mount_(mount), arcsecPerPixel_(std::move(arcsecPerPixel))
{
}

sim::SkyPoint IndiPointing::CorrectionAt(int64_t timeNs) const
{
    // The latest report stands for the exposure's time: the mount reports as often as it can.
    (void)timeNs;
    const MountReport report = mount_.Report();
    if (!report.pointing) return {};
    const EquatorialPoint now{report.pointing->raHours, report.pointing->decDegrees};
    if (!reference_ || (slewing_ && !report.slewing)) reference_ = now;
    slewing_ = report.slewing;
    const PictureShift shift = ShiftBetween(*reference_, now, arcsecPerPixel_());
    if (report.pierSide == PierSide::West) return {-shift.x, -shift.y};
    return {shift.x, shift.y};
}

}  // namespace nuvix::indi
