#include "guiding/AxisGuides.h"

#include <algorithm>
#include <cmath>

namespace nuvix {

double HysteresisGuide::Correction(double offset)
{
    double correction = 0.0;
    if (std::fabs(offset) >= settings_.minMove) {
        const double h = settings_.hysteresis / 100.0;
        correction = settings_.aggressiveness / 100.0 * ((1.0 - h) * offset + h * previous_);
        // Carried over, the previous correction could outweigh a small offset of the other
        // sign: never push the star further away.
        if (correction * offset < 0.0) correction = 0.0;
    }
    previous_ = correction;
    return correction;
}

double ResistSwitchGuide::Correction(double offset)
{
    const bool moved = std::fabs(offset) >= settings_.minMove;
    const int side = !moved ? 0 : offset > 0.0 ? 1 : -1;
    sides_.push_back(side);
    while (sides_.size() > static_cast<size_t>(std::max(settings_.resistFrames, 1)))
        sides_.pop_front();
    if (side == 0) return 0.0;
    if (side != side_) {
        const bool kept = sides_.size() == static_cast<size_t>(std::max(settings_.resistFrames, 1)) &&
                          std::all_of(sides_.begin(), sides_.end(), [side](int s) { return s == side; });
        if (!kept) return 0.0;
        side_ = side;
    }
    return settings_.aggressiveness / 100.0 * offset;
}

void ResistSwitchGuide::Reset()
{
    sides_.clear();
    side_ = 0;
}

}  // namespace nuvix
