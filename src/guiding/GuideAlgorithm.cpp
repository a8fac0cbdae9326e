#include "guiding/GuideAlgorithm.h"

#include <cmath>
#include <limits>

namespace nuvix {

GuideAlgorithm::GuideAlgorithm(const GuideSettings& settings)
    : settings_(Clamped(settings)), ra_(settings_.ra), dec_(settings_.dec)
{
    Reset();
}

void GuideAlgorithm::Reset()
{
    ra_.Reset();
    dec_.Reset();
    raFreeAtMs_ = std::numeric_limits<int64_t>::min();
    decFreeAtMs_ = std::numeric_limits<int64_t>::min();
}

void GuideAlgorithm::PulseEnded(Axis axis, int64_t atMs)
{
    (axis == Axis::Ra ? raFreeAtMs_ : decFreeAtMs_) = atMs;
}

GuideDecision GuideAlgorithm::Frame(const GuideFrameInput& frame)
{
    return {DecideAxis(Axis::Ra, frame.raOffset, frame.raRate, frame),
            DecideAxis(Axis::Dec, frame.decOffset, frame.decRate, frame)};
}

AxisDecision GuideAlgorithm::DecideAxis(Axis axis, double offset, double rate, const GuideFrameInput& frame)
{
    AxisDecision decision;
    int64_t& freeAt = axis == Axis::Ra ? raFreeAtMs_ : decFreeAtMs_;
    const bool settled = frame.exposureStartMs >= freeAt && frame.nowMs >= freeAt;
    if (!settled || !(rate > 0.0) || !std::isfinite(rate) || !std::isfinite(offset)) return decision;
    decision.used = true;
    decision.correction = axis == Axis::Ra ? ra_.Correction(offset) : dec_.Correction(offset);
    const int longest = axis == Axis::Ra ? settings_.ra.maxPulseMs : settings_.dec.maxPulseMs;
    // In double, so that an absurd rate or offset cannot overflow the integer.
    double ms = std::round(std::fabs(decision.correction) / rate * 1000.0);
    if (ms > longest) {
        ms = longest;
        decision.capped = true;
    }
    decision.pulse.ms = static_cast<int>(ms);
    // A star carried off the way West pulses move it is brought back by an East pulse, and so on.
    const bool westOrNorth = decision.correction < 0.0;
    if (axis == Axis::Ra) {
        decision.pulse.direction = westOrNorth ? GuideDirection::West : GuideDirection::East;
    } else {
        decision.pulse.direction = westOrNorth ? GuideDirection::North : GuideDirection::South;
    }
    if (decision.pulse.ms > 0) freeAt = frame.nowMs + decision.pulse.ms;
    return decision;
}

}  // namespace nuvix
