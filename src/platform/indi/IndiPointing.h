#pragma once

#include "guiding/GuidePulseSink.h"
#include "platform/indi/MountLink.h"
#include "sim/PointingSource.h"

#include <functional>
#include <optional>

namespace nuvix::indi {

// The simulated sky's pointing taken from a mount's report: the star moves as the mount's reported
// coordinates move away from a reference, converted with the image scale of the moment. The
// camera sits on the telescope, so the picture is turned half round while the mount stands west
// of its pier. A slew ends on a new star that stands where the old one stood: the reference is
// taken again when it is over. Read on the window thread, like the simulated camera that asks.
class IndiPointing final : public sim::PointingSource {
public:
    IndiPointing(const GuidePulseSink& mount, std::function<double()> arcsecPerPixel);
    sim::SkyPoint CorrectionAt(int64_t timeNs) const override;

private:
    const GuidePulseSink& mount_;
    std::function<double()> arcsecPerPixel_;
    mutable std::optional<EquatorialPoint> reference_;
    mutable bool slewing_ = false;
};

}  // namespace nuvix::indi
