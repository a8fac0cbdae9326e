#include "guiding/CalibrationRun.h"

#include "platform/clock/Clock.h"
#include "platform/text/Translate.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace nuvix {

namespace {

constexpr int kStepsToDistance = 8;
constexpr int kShortestStepMs = 100;
constexpr int kLongestStepMs = 2000;

}  // namespace

int CalibrationStepMs(double arcsecPerSecond, double decDegrees, double arcsecPerPixel, double distancePx)
{
    const double cosine = std::max(std::cos(decDegrees * std::numbers::pi / 180.0), 0.1);
    const double pxPerMs = arcsecPerSecond * cosine / arcsecPerPixel / 1000.0;
    if (!(pxPerMs > 0.0) || !std::isfinite(pxPerMs)) return 500;
    const double ms = distancePx / kStepsToDistance / pxPerMs;
    return static_cast<int>(std::clamp(ms, double{kShortestStepMs}, double{kLongestStepMs}));
}

CalibrationRun::CalibrationRun(CalibrationPlan plan, Calibration where, GuidingEvents& events)
    : plan_(plan), result_(std::move(where)), events_(events)
{
}

void CalibrationRun::Fail(CalibrationFailure failure)
{
    if (state_ != State::Running) return;
    state_ = State::Failed;
    failure_ = std::move(failure);
    events_.Publish(CalibrationEnded{false, result_.mount, failure_.log});
}

std::optional<FramePulses> CalibrationRun::Frame(const StarFix& star, int32_t exposureStartMs, int32_t nowMs)
{
    if (state_ != State::Running || (started_ && !NotBefore(exposureStartMs, readyAtMs_))) return std::nullopt;
    if (!star.found) {
        Fail({Tr("étoile perdue"), "star lost"});
        return std::nullopt;
    }
    const Point at{star.x, star.y};
    if (!started_) {
        started_ = true;
        StartLeg(CalibrationLeg::West, at);
    }
    Record(at);
    return Next(at, nowMs);
}

void CalibrationRun::StartLeg(CalibrationLeg leg, Point at)
{
    leg_ = leg;
    legStart_ = at;
    steps_ = 0;
    pulses_ = 0;
    points_.clear();
}

void CalibrationRun::Record(Point at)
{
    ++steps_;
    const double dx = at.x - legStart_.x;
    const double dy = at.y - legStart_.y;
    points_.push_back({static_cast<double>(pulses_) * plan_.stepMs, at.x, at.y});
    events_.Publish(CalibrationStep{leg_, steps_, dx, dy, at.x, at.y, std::hypot(dx, dy)});
}

FramePulses CalibrationRun::PulseTo(GuideDirection direction, int32_t nowMs, int ms)
{
    ++pulses_;
    readyAtMs_ = MillisecondsAfter(nowMs, static_cast<uint32_t>(ms + plan_.settleMs));
    const bool ra = direction == GuideDirection::West || direction == GuideDirection::East;
    FramePulses pulses;
    (ra ? pulses.ra : pulses.dec) = {direction, ms};
    return pulses;
}

std::optional<FramePulses> CalibrationRun::Back(GuideDirection direction, int32_t nowMs)
{
    // Nothing is measured on the way back: longer pulses, fewer waits.
    if (returnLeftMs_ <= 0) return std::nullopt;
    const int ms = std::min(returnLeftMs_, std::min(2 * plan_.stepMs, kLongestStepMs));
    returnLeftMs_ -= ms;
    return PulseTo(direction, nowMs, ms);
}

std::optional<FramePulses> CalibrationRun::Next(Point at, int32_t nowMs)
{
    switch (leg_) {
    case CalibrationLeg::West:
        return Measure(at, false, nowMs);
    case CalibrationLeg::East:
        if (auto back = Back(GuideDirection::East, nowMs)) return back;
        StartLeg(CalibrationLeg::Backlash, at);
        return PulseTo(GuideDirection::North, nowMs, plan_.stepMs);
    case CalibrationLeg::Backlash:
        ++northPulses_;
        if (std::hypot(at.x - legStart_.x, at.y - legStart_.y) < plan_.backlashPx && pulses_ < plan_.backlashSteps) {
            return PulseTo(GuideDirection::North, nowMs, plan_.stepMs);
        }
        StartLeg(CalibrationLeg::North, at);
        steps_ = 1;
        points_.push_back({0.0, at.x, at.y});
        return Measure(at, true, nowMs);
    case CalibrationLeg::North:
        ++northPulses_;
        return Measure(at, true, nowMs);
    case CalibrationLeg::South:
        if (auto back = Back(GuideDirection::South, nowMs)) return back;
        Finish();
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<FramePulses> CalibrationRun::Measure(Point at, bool north, int32_t nowMs)
{
    const double moved = std::hypot(at.x - legStart_.x, at.y - legStart_.y);
    const GuideDirection out = north ? GuideDirection::North : GuideDirection::West;
    if (moved < plan_.distancePx && pulses_ < plan_.stepsPerLeg) return PulseTo(out, nowMs, plan_.stepMs);
    const std::optional<AxisCalibration> axis = FitAxis(points_);
    // Half the distance in the whole budget still measures a slow axis; less is an axis that
    // does not move.
    if (!axis || moved < plan_.distancePx / 2) {
        Fail(north ? CalibrationFailure{Tr("l'axe DEC ne bouge pas"), "Dec axis does not move"}
                   : CalibrationFailure{Tr("l'axe AD ne bouge pas"), "RA axis does not move"});
        return std::nullopt;
    }
    (north ? result_.dec : result_.ra) = *axis;
    events_.Publish(CalibrationAxisDone{leg_, axis->angleDegrees, axis->ratePxPerMs * 1000.0});
    if (north) {
        const double between = AngleBetweenAxes(result_);
        if (std::abs(between - 90.0) > plan_.squareToleranceDegrees) {
            Fail({Tr("axes AD et DEC non perpendiculaires"),
                  "axes " + std::to_string(static_cast<int>(std::lround(between))) + " degrees apart"});
            return std::nullopt;
        }
    }
    returnLeftMs_ = (north ? northPulses_ : pulses_) * plan_.stepMs;
    StartLeg(north ? CalibrationLeg::South : CalibrationLeg::East, at);
    return Back(north ? GuideDirection::South : GuideDirection::East, nowMs);
}

void CalibrationRun::Finish()
{
    state_ = State::Succeeded;
    events_.Publish(CalibrationEnded{true, result_.mount, {}});
}

}  // namespace nuvix
