// The guiding server's commands, each carried out as the observer's buttons do it.
#include "app/ExposureDisplay.h"
#include "app/NuvixMainWindow.h"
#include "app/NuvixWindow.h"
#include "app/ServerBridge.h"
#include "camera/ExposureTiming.h"
#include "guiding/Corrections.h"
#include "guiding/Dither.h"
#include "guiding/MountGuider.h"
#include "guiding/StarAnalysis.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace nuvix {

namespace {

using server::Outcome;
using server::Refused;

constexpr int kExposureUpButton = 342;
constexpr int kExposureDownButton = 343;
constexpr int kLargestStarImage = TrackingState::kBoxSize;

int RoundedMs(uint16_t step)
{
    return static_cast<int>(std::lround(ExposureTimeMs(ExposureLevelFor(step))));
}

// The lowest step that shows the duration, each duration once.
std::vector<std::pair<int, uint16_t>> ExposureSteps()
{
    std::vector<std::pair<int, uint16_t>> steps;
    for (uint16_t step = kLowestExposureStep; step <= kHighestExposureStep; ++step) {
        const int ms = RoundedMs(step);
        if (ms >= 1 && (steps.empty() || ms > steps.back().first)) steps.emplace_back(ms, step);
    }
    return steps;
}

}  // namespace

std::string ServerBridge::AppState()
{
    if (!Connected()) return "Stopped";
    if (Guider() && Guider()->Calibrating()) return "Calibrating";
    if (!state_.tracking.trackingOn) return captureStopped_ ? "Stopped" : "Looping";
    if (state_.tracking.guidingSuspended) return "Paused";
    return lostLock_ ? "LostLock" : "Guiding";
}

bool ServerBridge::Connected()
{
    return !clientDisconnected_ && Acquiring();
}

Outcome ServerBridge::SetConnected(bool connect)
{
    if (connect) {
        if (!state_.cameraPresent) return Refused("no camera was found when Nuvix started");
        clientDisconnected_ = false;
        return {};
    }
    // The camera and outputs stay with the observer; the client's guiding ends.
    if (state_.tracking.trackingOn) PressTrack();
    clientDisconnected_ = true;
    SyncState();
    return {};
}

server::Equipment ServerBridge::CurrentEquipment()
{
    const tparam& record = *state_.parameters.params;
    const MountReport report = context_.guidePulses ? context_.guidePulses->Report() : MountReport{};
    const std::string indiMount = report.Ready() ? report.name : std::string();
    server::Equipment equipment;
    equipment.camera = {context_.frameSource ? "INDI camera" : "QuickCam (LPT1)", Acquiring()};
    if (context_.guidePulses) {
        equipment.mount = {indiMount.empty() ? "INDI mount" : "INDI " + indiMount, !indiMount.empty()};
    } else {
        equipment.mount = {ProtocolName(record.protocol), true};
    }
    return equipment;
}

std::string ServerBridge::ProfileName()
{
    return std::filesystem::path(context_.paramFile).filename().string();
}

double ServerBridge::PixelScale()
{
    return state_.parameters.arcsecPerPixel;
}

int ServerBridge::ExposureMs()
{
    return RoundedMs(state_.camera.exposureStep);
}

std::vector<int> ServerBridge::ExposureDurations()
{
    std::vector<int> durations;
    for (const auto& [ms, step] : ExposureSteps())
        durations.push_back(ms);
    return durations;
}

Outcome ServerBridge::SetExposureMs(int ms)
{
    const auto steps = ExposureSteps();
    const auto it = std::find_if(steps.begin(), steps.end(), [ms](const auto& s) { return s.first == ms; });
    if (it == steps.end()) return Refused("could not set exposure: not one of get_exposure_durations");
    // The panel's "+" and "-", pressed until the step is reached.
    uint16_t& step = state_.camera.exposureStep;
    for (int presses = 0; step != it->second && presses <= kHighestExposureStep; ++presses) {
        Press(*main_, step < it->second ? kExposureUpButton : kExposureDownButton);
    }
    if (step != it->second) return Refused("could not set exposure");
    return {};
}

Outcome ServerBridge::Loop()
{
    if (!Connected()) return Refused("the camera is not connected");
    if (state_.tracking.trackingOn) PressTrack();  // guiding stops, the pictures go on
    SyncState();
    captureStopped_ = false;
    return {};
}

Outcome ServerBridge::StopCapture()
{
    EndSettling(settle_.Cancel("stopped by a client"));
    if (state_.tracking.trackingOn) PressTrack();
    SyncState();
    if (!captureStopped_) Publish(events_.LoopingExposuresStopped());
    captureStopped_ = true;
    return {};
}

server::Answer<server::Position> ServerBridge::FindStar()
{
    const TrackingState& t = state_.tracking;
    if (!Connected() || framesShown_ == 0) return {std::nullopt, "no picture yet"};
    if (StarLost(state_.analysis.population)) return {std::nullopt, "no star found in the tracking box"};
    const server::Position star{static_cast<double>(t.boxLeft + t.starX), static_cast<double>(t.boxTop + t.starY)};
    Publish(events_.StarSelected(star));
    return {star, {}};
}

Outcome ServerBridge::Guide(const server::SettleParams& settle, bool recalibrate)
{
    if (!Connected()) return Refused("the camera is not connected");
    if (settle_.Active() || settleAfterCalibration_) return Refused("still settling after the last guide or dither");
    MountGuider* guider = Guider();
    // The system's outputs take their corrections from the parameters: only a mount of timed
    // pulses has a calibration to make again.
    if (recalibrate && guider && !guider->Calibrating()) {
        PressRecalibrate();
    } else if (!state_.tracking.trackingOn && !(guider && guider->Calibrating())) {
        PressTrack();  // calibrates first when the mount has no calibration
    }
    if (state_.tracking.guidingSuspended) PressSuspend();  // "Re-start"
    SyncState();
    if (guider && guider->Calibrating()) {
        settleAfterCalibration_ = settle;
        return {};
    }
    if (!state_.tracking.trackingOn) return Refused("guiding could not start: the mount cannot be calibrated now");
    BeginSettling(settle);
    return {};
}

Outcome ServerBridge::Dither(double amount, bool raOnly, const server::SettleParams& settle)
{
    if (!state_.tracking.trackingOn || state_.tracking.guidingSuspended) return Refused("not guiding");
    if (settle_.Active()) return Refused("still settling after the last guide or dither");
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    const double x = uniform(random_);
    const double y = uniform(random_);
    const DitherOffset made = MoveReference(state_.tracking, DrawDither(amount, raOnly, x, y));
    Publish(events_.GuidingDithered(made.dx, made.dy));
    SyncState();
    BeginSettling(settle);
    return {};
}

bool ServerBridge::Paused()
{
    return state_.tracking.guidingSuspended;
}

Outcome ServerBridge::SetPaused(bool paused, bool full)
{
    (void)full;  // the live picture goes on either way, as it does for the observer's "Suspend"
    if (paused != state_.tracking.guidingSuspended) PressSuspend();
    SyncState();
    return {};
}

std::optional<server::Position> ServerBridge::LockPosition()
{
    if (!state_.tracking.trackingOn) return std::nullopt;
    return Reference();
}

Outcome ServerBridge::SetLockPosition(server::Position at, bool exact)
{
    (void)exact;  // the reference is a whole pixel either way
    TrackingState& t = state_.tracking;
    if (!t.trackingOn) return Refused("the reference is taken from the star when guiding starts");
    const DitherOffset wanted{static_cast<int32_t>(std::lround(std::clamp(at.x, -1e6, 1e6))) - t.refX,
                              static_cast<int32_t>(std::lround(std::clamp(at.y, -1e6, 1e6))) - t.refY};
    TrackingState trial = t;
    const DitherOffset made = MoveReference(trial, wanted);
    if (made.dx != wanted.dx || made.dy != wanted.dy) return Refused("outside the tracking box");
    t = trial;
    SyncState();
    return {};
}

bool ServerBridge::Calibrated()
{
    if (const MountGuider* guider = Guider()) return guider->Model(state_.parameters.arcsecPerPixel).has_value();
    // The system's outputs work their corrections out from the image scale and the guide speeds.
    const tparam& r = *state_.parameters.params;
    return CorrectionGain(r.pixelSize, r.focalLength, r.raSpeed) &&
           CorrectionGain(r.pixelSize, r.focalLength, r.decSpeed);
}

Outcome ServerBridge::ClearCalibration(const std::string& which)
{
    // Without a mount of timed pulses nothing measured is kept: the corrections come from the
    // parameter dialog every time guiding starts. There is no adaptive optics to clear.
    MountGuider* guider = Guider();
    if (!guider || which == "ao") return {};
    if (guider->Calibrating()) return Refused("a calibration is running");
    const std::string problem = guider->ForgetCalibration();
    if (!problem.empty()) return Refused("the calibration is cleared but could not be stored: " + problem);
    return {};
}

bool ServerBridge::GuideOutputEnabled()
{
    return state_.guideOutput.outputEnabled;
}

Outcome ServerBridge::SetGuideOutputEnabled(bool enabled)
{
    state_.guideOutput.outputEnabled = enabled;
    return {};
}

DecGuideMode ServerBridge::GetDecGuideMode()
{
    return state_.guideOutput.decMode;
}

Outcome ServerBridge::SetDecGuideMode(DecGuideMode mode)
{
    state_.guideOutput.decMode = mode;
    return {};
}

server::Answer<server::StarImage> ServerBridge::GetStarImage(int size)
{
    if (framesShown_ == 0) return {std::nullopt, "no picture yet"};
    const TrackingState& t = state_.tracking;
    const int side = std::min(size, kLargestStarImage);
    const int starX = t.boxLeft + t.starX;
    const int starY = t.boxTop + t.starY;
    const int left = std::clamp(starX - side / 2, 0, kFrameWidth - side);
    const int top = std::clamp(starY - side / 2, 0, kFrameHeight - side);
    server::StarImage image{framesShown_, side, side, {double(starX - left), double(starY - top)}, {}};
    const FrameBytes& frame = main_->ImageWindow()->Buffers().frame;
    image.pixels.reserve(static_cast<size_t>(side) * side);
    for (int y = top; y < top + side; ++y) {
        // The buffer's rows are bottom-up.
        const size_t row = static_cast<size_t>(kFrameHeight - 1 - y) * kFrameWidth;
        for (int x = left; x < left + side; ++x)
            image.pixels.push_back(frame[row + static_cast<size_t>(x)]);
    }
    return {std::move(image), {}};
}

server::Answer<std::string> ServerBridge::SaveImage()
{
    if (framesShown_ == 0) return {std::nullopt, "no picture yet"};
    std::error_code error;
    const std::filesystem::path dir = std::filesystem::temp_directory_path(error);
    if (error) return {std::nullopt, "no temporary directory: " + error.message()};
    const std::string path =
        (dir / ("nuvix-guider-" + std::to_string(Now()) + "-" + std::to_string(++imagesSaved_) + ".bmp")).string();
    const files::ReplaceResult saved = main_->ImageWindow()->SaveImage(path, files::WriteMode::CreateOnly);
    if (!saved.written) return {std::nullopt, "could not save the picture: " + saved.reason};
    return {path, {}};
}

Outcome ServerBridge::CaptureSingleFrame(std::optional<int> exposureMs)
{
    if (!Connected()) return Refused("the camera is not connected");
    if (state_.tracking.trackingOn) return Refused("guiding must be stopped first");
    captureStopped_ = false;
    if (exposureMs && *exposureMs != ExposureMs()) return Refused("the exposure is the panel's: set_exposure first");
    // Nuvix takes pictures all the time: the next one is the frame asked for.
    return {};
}

Outcome ServerBridge::Shutdown()
{
    shutdownAsked_ = true;  // after the reply has gone out
    return {};
}

}  // namespace nuvix
