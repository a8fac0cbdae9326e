// The image window's acquisition cycle: the timers pace it, each step uploads the settings,
// reads a frame, runs the pipeline and shows the result.
#include "app/ExposureDisplay.h"
#include "app/NuvixMainWindow.h"
#include "app/NuvixWindow.h"
#include "camera/ExposureTiming.h"
#include "guiding/StarAnalysis.h"
#include "image/LiveView.h"
#include "platform/text/Translate.h"
#include "platform/ui/Toolkit.h"

#include <algorithm>

namespace nuvix {

void NuvixWindow::SetupWindow()
{
    // Created after the image window, the delta panel lies over its lower left corner.
    histwin_->Create();
    optowin_->Create();
    trackwin_->Create();
    energy_->Create();
    backBuffer_.Resize(liveview::kBackBufferWidth, liveview::kBackBufferHeight);
    firstTick_ = true;
    displayInfo_ = BuildDisplayInfo();
    fileInfo_ = BuildFileInfo();
    colourIndex_ = DisplayColourIndices(displayInfo_);
    for (size_t i = 0; const PaletteEntry& e : BuildGreyPalette())
        palette_.entries[i++] = {e.red, e.green, e.blue};
    SetTimer(kAcquisitionTimer, kAcquisitionStartMs);
    if (mountGuider_) SetTimer(kMountTimer, kMountPeriodMs);
    lastFrameEnd_ = link_.clock.ElapsedMilliseconds();
    exposureMs_ = 1000.0f;
}

void NuvixWindow::Timer(int id)
{
    if (id == kMountTimer) {
        PollMount();
        return;
    }
    // The photo and acquisition timers acquire alike.
    if (firstTick_) {
        firstTick_ = false;
        std::string& pending = state_.parameters.pendingMessage;
        if (!pending.empty()) {
            Kit().MessageBox(this, pending, Tr("Paramètres"));
            pending.clear();
        }
        if (state_.cameraPresent) {
            const CameraGreeting greeting = camera_.Greeting();
            Kit().MessageBox(this, greeting.text, greeting.caption);
        } else {
            Kit().MessageBox(this, Tr("Pas de caméra"), Tr("Erreur"));
        }
        return;
    }
    // The rest of a long exposure, waited out through the clock, which lets a real machine sleep.
    Clock& clock = link_.clock;
    for (;;) {
        const float since = static_cast<float>(MillisecondsSince(lastFrameEnd_, clock.ElapsedMilliseconds()));
        if (since >= exposureMs_) break;
        clock.WaitMilliseconds(std::max(static_cast<int32_t>(exposureMs_ - since), 1));
    }
    if (CameraMayStep()) AcquisitionStep();
    PictureStep();
}

void NuvixWindow::MouseMove(gfx::Point p, bool leftButtonHeld)
{
    const uint32_t sinceLastFrame = MillisecondsSince(lastFrameEnd_, link_.clock.ElapsedMilliseconds());
    if (static_cast<float>(sinceLastFrame) >= exposureMs_ && CameraMayStep()) AcquisitionStep();
    if (leftButtonHeld && p.y < kFrameHeight) MoveBoxTo(p);
}

bool NuvixWindow::CameraMayStep()
{
    if (!state_.cameraPresent || !buffers_.Allocated()) return false;
    if (cameraAnswering_) return true;
    if (MillisecondsSince(cameraLostAt_, link_.clock.ElapsedMilliseconds()) < kRetryAfterCameraLostMs) return false;
    return CameraIsBack();
}

bool NuvixWindow::CameraIsBack()
{
    const bool back = camera_.AnswersAgain();
    if (!back) cameraLostAt_ = link_.clock.ElapsedMilliseconds();
    return back;
}

void NuvixWindow::AcquisitionStep()
{
    CameraSettings& camera = state_.camera;
    // The brightness uploaded is the one the previous step chose.
    const CameraSettings uploaded = camera;
    const bool answered = camera_.UploadSettings(camera);
    const bool longExposure = camera.exposureLevel > kLongestShortExposureLevel;
    if (!longExposure) {
        camera.brightness = camera.exposureLevel;
        SetTimer(kAcquisitionTimer, kShortExposurePeriodMs);
    } else {
        exposureMs_ = LongExposureMs(camera.exposureLevel);
        SetTimer(kAcquisitionTimer, LongExposureTimerPeriod(exposureMs_));
        camera.brightness = kLongExposureBrightness;
    }
    // The frame source seam: a camera told its exposure as a time gets the one the panel shows.
    const float exposureMs = longExposure ? exposureMs_ : ExposureTimeMs(camera.exposureLevel);
    const int32_t stepStart = link_.clock.ElapsedMilliseconds();
    state_.acquisition.exposureMs = exposureMs;
    const FrameArrival arrival = answered ? camera_.ReadFrame(exposureMs, buffers_.incoming) : FrameArrival::Lost;
    if (arrival == FrameArrival::Arrived) {
        buffers_.frame = buffers_.incoming;
        const bool added = FramePipeline(buffers_, state_.integration, state_.tracking,
                                         state_.parameters.params->darkSpotGuiding, *this);
        NoteFrame(stepStart, exposureMs, longExposure, uploaded, added);
    }
    camera_.PulseReset();
    // An exchange given up on exposed nothing: the next tick has no exposure to wait out.
    if (longExposure && arrival != FrameArrival::Lost) lastFrameEnd_ = link_.clock.ElapsedMilliseconds();
    if (arrival == FrameArrival::Lost) {
        CameraStoppedAnswering();
        return;
    }
    // A frame still on its way leaves the picture as it is: the next step looks again.
    cameraAnswering_ = true;
    if (arrival == FrameArrival::Arrived) ShowFrame();
}

void NuvixWindow::CameraStoppedAnswering()
{
    // The picture of the last complete frame stays; the observer is told once per loss.
    cameraLostAt_ = link_.clock.ElapsedMilliseconds();
    if (cameraAnswering_) Kit().MessageBox(this, Tr("La caméra ne répond plus"), Tr("Erreur"));
    cameraAnswering_ = false;
}

void NuvixWindow::AnalyseFrame(const FrameBytes& frame)
{
    const PanelValues& panel = state_.panel;
    const AnalysisSettings settings{panel.manualThresholdOn, panel.manualThreshold, panel.autoWhiteBalance,
                                    state_.parameters.params->darkSpotGuiding};
    const ExposureChange change =
        nuvix::AnalyseFrame(frame, settings, state_.tracking, state_.analysis, state_.camera.whiteBalance);
    state_.star = MeasureStar(frame);
    if (change == ExposureChange::Longer) mainWindow_.ExposureUp();
    if (change == ExposureChange::Shorter) mainWindow_.ExposureDown();
    mainWindow_.RefreshSettingsDisplay();
}

StarReading NuvixWindow::MeasureStar(const FrameBytes& frame)
{
    if (!mountGuider_) return ReadStar(frame, state_.tracking, state_.analysis, measurer_);
    // A mount guided by timed pulses guides on the camera's own levels when it has more than six
    // bits; a dark spot is found only in the pipeline's inverted bytes.
    const LinearFrame* picture = camera_.LinearPicture();
    const bool linear =
        picture && picture->size() == static_cast<size_t>(kFramePixels) && !state_.parameters.params->darkSpotGuiding;
    return ReadStar(frame, state_.tracking, state_.analysis, measurer_, mountGuider_->Settings().star,
                    linear ? picture->data() : nullptr);
}

void NuvixWindow::DarkFrameTaken()
{
    darkButton_->SetText(Tr("Acq noir"));
}

}  // namespace nuvix
