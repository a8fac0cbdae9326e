#pragma once

#include "guiding/AxisGuides.h"
#include "guiding/Corrections.h"
#include "guiding/GuideSettings.h"

#include <cstdint>

namespace nuvix {

// One measured frame, as the guide algorithm takes it. The offsets are the star's distance from
// the lock position along each calibrated axis, in pixels, counted positive the way a West (RA)
// or North (DEC) pulse moves the star; the rates are the calibration's, in pixels per second of
// pulse. Times are milliseconds on one clock that does not wrap (ContinuousMilliseconds).
struct GuideFrameInput {
    double raOffset = 0.0;
    double decOffset = 0.0;
    double raRate = 0.0;
    double decRate = 0.0;
    int64_t exposureStartMs = 0;  // when the frame's exposure began
    int64_t nowMs = 0;            // when its pulses go out
};

struct AxisDecision {
    // Whether the frame was taken into account on this axis: it was exposed after the axis's
    // previous pulse had ended, and the axis is calibrated (its rate is positive).
    bool used = false;
    double correction = 0.0;  // pixels the pulse should move the star back by, signed as the offset
    GuidePulse pulse;         // 0 ms: none
    bool capped = false;      // the pulse was cut to the axis's longest
};

struct GuideDecision {
    AxisDecision ra;
    AxisDecision dec;
};

// The guide algorithm for mounts that take timed pulses: per axis its algorithm (hysteresis on
// RA, resist switch on DEC), the pulse's length from the calibrated rate, and a gate that lets a
// new pulse out on an axis only after the previous one there has ended, and only from a frame
// whose exposure began after that. A frame exposed while a pulse moved the star on an axis says
// nothing sure about that axis; it is not fed to the algorithm there.
class GuideAlgorithm {
public:
    explicit GuideAlgorithm(const GuideSettings& settings);

    GuideDecision Frame(const GuideFrameInput& frame);
    // The mount's word that a pulse on an axis ended at `atMs` (later or earlier than its length
    // said); frames are then judged against that.
    void PulseEnded(Axis axis, int64_t atMs);
    // Guiding starts again: no history, no pulse running.
    void Reset();
    const GuideSettings& Settings() const { return settings_; }

private:
    AxisDecision DecideAxis(Axis axis, double offset, double rate, const GuideFrameInput& frame);

    GuideSettings settings_;
    HysteresisGuide ra_;
    ResistSwitchGuide dec_;
    int64_t raFreeAtMs_ = 0;  // when the last pulse on each axis ends
    int64_t decFreeAtMs_ = 0;
};

}  // namespace nuvix
