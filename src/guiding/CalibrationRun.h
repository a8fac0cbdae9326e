#pragma once

#include "guiding/Calibration.h"
#include "guiding/GuidingEvents.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nuvix {

// How a calibration moves the star.
struct CalibrationPlan {
    int stepMs = 500;                      // each pulse
    double distancePx = 25.0;              // each axis moves the star this far
    int stepsPerLeg = 20;                  // at most, west and north
    int backlashSteps = 8;                 // north pulses at most to take up the declination's backlash
    double backlashPx = 3.0;               // the backlash is taken up once the star has moved this far
    int settleMs = 250;                    // after a pulse ends, before an exposure may show its result
    double squareToleranceDegrees = 15.0;  // the axes stand this close to perpendicular
};

// A step length that moves the star `distancePx` in about eight steps at the speed expected from
// the mount's guide rate (or else the observer's correction speed), within 100 ms to 2 s.
int CalibrationStepMs(double arcsecPerSecond, double decDegrees, double arcsecPerPixel, double distancePx);

// Where the star stands on a frame, when there is one to measure.
struct StarFix {
    bool found = false;
    double x = 0.0;  // picture pixels
    double y = 0.0;
};

// Why a calibration failed: for the observer and for the log.
struct CalibrationFailure {
    std::string text;  // French
    std::string log;   // plain English
};

// One calibration: the star is moved west in steps until it has gone far enough or the step
// budget is spent, brought back east as far in longer pulses, north pulses take up the declination's
// backlash, then north and back south the same way. Each axis's direction and speed come from a
// straight line fitted to its leg. It fails when the star is lost, when an axis hardly moves,
// or when the axes are far from perpendicular; then there is no model to guide with.
// Every step is published as it is measured.
class CalibrationRun {
public:
    enum class State { Running, Succeeded, Failed };

    CalibrationRun(CalibrationPlan plan, Calibration where, GuidingEvents& events);

    // A frame whose exposure began at `exposureStartMs` showed the star so. Returns the pulses to
    // send now; frames exposed before the last pulse had settled are not measured.
    std::optional<FramePulses> Frame(const StarFix& star, int32_t exposureStartMs, int32_t nowMs);
    // Ends it from outside (the mount went away, the observer stopped it).
    void Fail(CalibrationFailure failure);

    State GetState() const { return state_; }
    const Calibration& Result() const { return result_; }
    const CalibrationFailure& Failure() const { return failure_; }
    CalibrationLeg Leg() const { return leg_; }
    int StepsDone() const { return steps_; }

private:
    struct Point {
        double x = 0.0, y = 0.0;
    };
    void Record(Point at);
    std::optional<FramePulses> Next(Point at, int32_t nowMs);
    std::optional<FramePulses> Measure(Point at, bool north, int32_t nowMs);
    void Finish();
    FramePulses PulseTo(GuideDirection direction, int32_t nowMs, int ms);
    std::optional<FramePulses> Back(GuideDirection direction, int32_t nowMs);
    void StartLeg(CalibrationLeg leg, Point at);

    CalibrationPlan plan_;
    Calibration result_;
    GuidingEvents& events_;
    State state_ = State::Running;
    CalibrationFailure failure_;
    CalibrationLeg leg_ = CalibrationLeg::West;
    bool started_ = false;
    int steps_ = 0;         // measured positions on the leg so far
    int pulses_ = 0;        // pulses sent on the leg
    int returnLeftMs_ = 0;  // pulse time still to send back
    int northPulses_ = 0;   // backlash and north pulses, all brought back south
    Point legStart_;
    std::vector<LegPoint> points_;
    int32_t readyAtMs_ = 0;
};

}  // namespace nuvix
