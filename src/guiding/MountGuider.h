#pragma once

#include "guiding/Calibration.h"
#include "guiding/CalibrationRun.h"
#include "guiding/GuideAlgorithm.h"
#include "guiding/GuideOutputPolicy.h"
#include "guiding/GuidePulseSink.h"
#include "guiding/GuidingEvents.h"
#include "guiding/StarPosition.h"
#include "params/SettingsFile.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace nuvix {

// A guided frame as the mount's guiding reads it.
struct GuideFrame {
    StarReading star;
    double refX = 0.0;  // the system's reference
    double refY = 0.0;
    double arcsecPerPixel = 0.0;
    int32_t exposureStartMs = 0;  // the frame's, on the clock
    int32_t nowMs = 0;
    bool sessionStart = false;                  // the first frame guided since "Track"
    const GuideOutputPolicy* policy = nullptr;  // what the guider's clients let through; null: all
};

// A box the observer must see.
struct GuidingBox {
    std::string text;
    std::string caption;
};

// The guiding of a mount that takes timed pulses (an INDI mount): its calibration, made at the
// first "Track" and kept in the settings file, and each guided frame's pulses through it. The
// mount's notices become the log's INFO lines, and boxes for what the observer must act on.
// Window thread only.
class MountGuider {
public:
    MountGuider(GuidePulseSink& mount, GuidingEvents& events, SettingsFile& settings);

    // The mount's changes since the last call, published as notes. Returns the boxes to show: the
    // failures, and while `guiding` (or calibrating) the mount's stopping to follow the sky.
    std::vector<GuidingBox> TakeNotices(bool guiding);

    // Whether guiding must wait for a calibration: the mount is ready and no stored calibration
    // serves it at this scale.
    bool NeedsCalibration(double arcsecPerPixel) const;
    // Starts a calibration from where the star stands now; false (with `why`, French) when the
    // mount cannot take one now, or there is no star to measure.
    bool BeginCalibration(const GuidingSetup& setup, const StarReading& star, std::string& why);
    bool Calibrating() const { return run_ != nullptr; }
    // Each frame while calibrating; the pulses it asks for are sent.
    CalibrationRun::State CalibrationFrame(const StarReading& star, int32_t exposureStartMs, int32_t nowMs);
    void StopCalibration();
    // The last failure, French, once a calibration has failed.
    const std::string& FailureText() const { return failure_; }
    // The calibration in force, when one serves the mount, and its axes now.
    std::optional<Calibration> Model(double arcsecPerPixel) const;
    std::optional<GuideAxes> Axes(double arcsecPerPixel) const;
    // Drops the calibration in force and the stored one: the next "Track" calibrates again.
    // Returns why the settings file could not be stored (French); empty when it was.
    std::string ForgetCalibration();
    // Why the last store of a calibration failed (French), once; empty otherwise.
    std::string TakeStoreProblem();

    // A guided frame: the star's error split along the calibrated axes, through the guide
    // algorithm, and sent back as pulses. The step tells what went out (nothing without a
    // calibration that serves the mount). The lock is the reference where the measured star stood
    // at the session's first frame; it moves with the reference when the observer moves the box.
    // One pulse at a time per axis, judged only on frames exposed after the last one there ended.
    // A frame without a star sends nothing; a few in a row are told once, in the status.
    GuideStep Guide(const GuideFrame& frame);
    // The settings of the "Guiding" group of the settings file, as read at construction.
    const GuideSettings& Settings() const { return algorithm_.Settings(); }

    // A few words for the window on the mount and the calibration, and while `guiding`, on a star
    // lost for a few frames.
    std::string Status(bool guiding = false) const;
    MountReport Report() const { return mount_.Report(); }

private:
    void CountLost(const StarReading& star);
    bool StarLost() const;

    GuidePulseSink& mount_;
    GuidingEvents& events_;
    SettingsFile& settings_;
    std::optional<Calibration> calibration_;
    std::unique_ptr<CalibrationRun> run_;
    std::string failure_;
    std::string storeProblem_;
    double lockOffsetX_ = 0.0;  // the lock less the reference
    double lockOffsetY_ = 0.0;
    GuideAlgorithm algorithm_;
    int32_t lastNowMs_ = 0;  // the clock's last reading, and the time on from it past its wrap-around
    int64_t nowMs_ = 0;
    std::array<int64_t, 2> pulseShowsAtMs_{};  // per axis, AD then DEC: when its last pulse shows
    int lostFrames_ = 0;                       // guided frames in a row without a star
};

}  // namespace nuvix
