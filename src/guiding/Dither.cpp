#include "guiding/Dither.h"

#include <algorithm>
#include <cmath>

namespace nuvix {

namespace {

// The margin liveview::PlaceBox keeps between the reference and the box's edges.
constexpr int32_t kMargin = 4;

int32_t Within(double amount, double uniform)
{
    const double limit = std::clamp(amount, 0.0, static_cast<double>(TrackingState::kBoxSize));
    return static_cast<int32_t>(std::lround((2.0 * uniform - 1.0) * limit));
}

int32_t Moved(int32_t reference, int32_t offset, int32_t boxEdge)
{
    return std::clamp(reference + offset, boxEdge + kMargin, boxEdge + TrackingState::kBoxSize - kMargin);
}

}  // namespace

DitherOffset DrawDither(double amount, bool raOnly, double uniformX, double uniformY)
{
    if (!std::isfinite(amount)) return {};
    return {Within(amount, uniformX), raOnly ? 0 : Within(amount, uniformY)};
}

DitherOffset MoveReference(TrackingState& tracking, DitherOffset offset)
{
    const int32_t x = Moved(tracking.refX, offset.dx, tracking.boxLeft);
    const int32_t y = Moved(tracking.refY, offset.dy, tracking.boxTop);
    const DitherOffset made{x - tracking.refX, y - tracking.refY};
    tracking.refX = x;
    tracking.refY = y;
    return made;
}

}  // namespace nuvix
