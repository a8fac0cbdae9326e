// The image window's acquisition cycle: the timers pace it, each step uploads the settings,
// reads a frame, runs the pipeline and shows the result.
#include "app/NuvixMainWindow.h"
#include "app/NuvixWindow.h"
#include "camera/ExposureTiming.h"
#include "camera/FrameTransfer.h"
#include "camera/QuickCam.h"
#include "guiding/StarAnalysis.h"
#include "image/LiveView.h"
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
    lastFrameEnd_ = link_.clock.ElapsedMilliseconds();
    exposureMs_ = 1000.0f;
}

void NuvixWindow::Timer(int id)
{
    (void)id;  // both timers acquire alike
    if (firstTick_) {
        firstTick_ = false;
        std::string& pending = state_.parameters.pendingMessage;
        if (!pending.empty()) {
            Kit().MessageBox(this, pending, "Paramètres");
            pending.clear();
        }
        if (state_.cameraPresent) {
            Kit().MessageBox(this, "Mode bidirectionnel", "Quickcam sur LPT1");
        } else {
            Kit().MessageBox(this, "Pas de caméra", "Erreur");
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
    // The probe of the start is the presence check: it is short, it needs both levels of the
    // handshake (a line stuck either way fails it), and a camera that was powered again needs
    // its port mode anyway. Its reset pulse wakes such a camera.
    link_.answerBoundMs = kPresenceCheckBoundMs;
    const bool back = ProbePortMode(link_) == PortMode::Bidirectional;
    if (!back) cameraLostAt_ = link_.clock.ElapsedMilliseconds();
    return back;
}

void NuvixWindow::AcquisitionStep()
{
    CameraSettings& camera = state_.camera;
    // The brightness uploaded is the one the previous step chose, and the camera exposes at it
    // before it answers the frame request.
    link_.answerBoundMs = AnswerBoundMs(static_cast<uint8_t>(camera.brightness & 0xFF));
    bool answered = UploadSettings(link_, camera);
    const bool longExposure = camera.exposureLevel > kLongestShortExposureLevel;
    if (!longExposure) {
        camera.brightness = camera.exposureLevel;
        SetTimer(kAcquisitionTimer, kShortExposurePeriodMs);
    } else {
        exposureMs_ = LongExposureMs(camera.exposureLevel);
        SetTimer(kAcquisitionTimer, LongExposureTimerPeriod(exposureMs_));
        camera.brightness = kLongExposureBrightness;
    }
    if (answered) answered = ReadFrame(link_, buffers_.incoming);
    if (answered) {
        buffers_.frame = buffers_.incoming;
        FramePipeline(buffers_, state_.integration, state_.tracking, state_.parameters.params->darkSpotGuiding, *this);
    }
    PulseReset(link_);
    // An exchange given up on exposed nothing: the next tick has no exposure to wait out.
    if (longExposure && answered) lastFrameEnd_ = link_.clock.ElapsedMilliseconds();
    if (answered) {
        cameraAnswering_ = true;
        ShowFrame();
    } else {
        CameraStoppedAnswering();
    }
}

void NuvixWindow::CameraStoppedAnswering()
{
    // The picture of the last complete frame stays; the observer is told once per loss.
    cameraLostAt_ = link_.clock.ElapsedMilliseconds();
    if (cameraAnswering_) Kit().MessageBox(this, "La caméra ne répond plus", "Erreur");
    cameraAnswering_ = false;
}

void NuvixWindow::AnalyseFrame(const FrameBytes& frame)
{
    const PanelValues& panel = state_.panel;
    const AnalysisSettings settings{panel.manualThresholdOn, panel.manualThreshold, panel.autoWhiteBalance,
                                    state_.parameters.params->darkSpotGuiding};
    const ExposureChange change =
        nuvix::AnalyseFrame(frame, settings, state_.tracking, state_.analysis, state_.camera.whiteBalance);
    if (change == ExposureChange::Longer) mainWindow_.ExposureUp();
    if (change == ExposureChange::Shorter) mainWindow_.ExposureDown();
    mainWindow_.RefreshSettingsDisplay();
}

void NuvixWindow::DarkFrameTaken()
{
    darkButton_->SetText("Acq noir");
}

}  // namespace nuvix
