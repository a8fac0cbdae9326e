#pragma once

#include "platform/indi/IndiMount.h"
#include "sim/PointingSource.h"

#include <functional>
#include <optional>

namespace nuvix::indi {

// The simulated sky's pointing taken from an INDI mount: the star moves as the mount's reported
// coordinates move away from the first ones it reported, converted with the image scale of the
// moment. Read on the window thread, like the simulated camera that asks.
class IndiPointing final : public sim::PointingSource {
public:
    IndiPointing(const IndiMount& mount, std::function<double()> arcsecPerPixel);
    sim::SkyPoint CorrectionAt(int64_t timeNs) const override;

private:
    const IndiMount& mount_;
    std::function<double()> arcsecPerPixel_;
    mutable std::optional<EquatorialPoint> reference_;
};

}  // namespace nuvix::indi
