#include "app/NuvixWindow.h"

#include "app/ExposureDisplay.h"
#include "app/NuvixMainWindow.h"
#include "app/TcamApp.h"
#include "camera/QuickCam.h"
#include "capture/IntegrationWindow.h"
#include "capture/PhotoDialog.h"
#include "image/LiveView.h"
#include "params/ImageScale.h"
#include "params/ParamSession.h"
#include "params/ParameterDialog.h"
#include "platform/text/Translate.h"
#include "platform/ui/Toolkit.h"

#include <algorithm>

namespace nuvix {

namespace {

constexpr gfx::Rect kImageWindowRect = gfx::Rect::FromSize(1, 4, 320, 460);

// The check boxes carry no text: their labels are painted beside them.
constexpr ui::ControlPlacement kControls[] = {
    {452, ui::ControlKind::PushButton, TrLater("Acq Noir"), 10, 248, 75, 20},
    {453, ui::ControlKind::CheckBox, "", 10, 271, 13, 13},
    {454, ui::ControlKind::PushButton, TrLater("Param"), 10, 290, 75, 20},
    {455, ui::ControlKind::PushButton, TrLater("Photo"), 10, 315, 75, 20},
    {449, ui::ControlKind::CheckBox, "", 10, 340, 13, 13},
    {450, ui::ControlKind::PushButton, TrLater("Track"), 10, 360, 75, 30},
};

// A value restored from the file stays within what the exposure control can reach.
uint16_t RestoredExposureStep(int32_t stored)
{
    return std::min(Low16(stored), kHighestExposureStep);
}

}  // namespace

const ui::CommandEntry<NuvixWindow> NuvixWindow::kCommands[] = {
    {449, &NuvixWindow::CmReticle},
    {450, &NuvixWindow::CmTrack},
    // Shift + "Track": calibrate the mount of timed pulses again.
    {450, &NuvixWindow::CmRecalibrate, ui::notify::kShiftClicked},
    {452, &NuvixWindow::CmDarkFrame},
    {453, &NuvixWindow::CmUseDark},
    {454, &NuvixWindow::CmParameters},
    {455, &NuvixWindow::CmPhoto},
};

NuvixWindow::NuvixWindow(ui::Toolkit& toolkit, AppContext& context, NuvixMainWindow& mainWindow)
    : ui::Window(toolkit, &mainWindow, "", ui::WindowStyle::Child, kImageWindowRect),
      context_(context),
      state_(context.state),
      mainWindow_(mainWindow),
      link_{context.bus, toolkit.GetClock()},
      parallelCamera_(link_),
      camera_(context.frameSource ? *context.frameSource : parallelCamera_)
{
    const bool allocated = context.bufferSource ? buffers_.Allocate(context.bufferSource) : buffers_.Allocate();
    if (allocated) {
        nuvix::ResetIntegration(buffers_, state_.integration);
    } else {
        toolkit.MessageBox(this, Tr("Erreur Mémoire"), Tr("ERREUR"));
    }
    LoadParameters();

    TrackingState& tracking = state_.tracking;
    tracking.boxLeft = 110;
    tracking.boxTop = 70;
    tracking.starX = 0;
    tracking.starY = 0;
    CreateAnalysisWindows();
    CreateGuidingWindows();
    CreateCaptureWindows();
    CreateControls();
    tracking.trackingOn = false;
    buffers_.useDark = false;
    buffers_.darkRequested = false;
    state_.analysis = AnalysisResults{};
    state_.panel.manualThresholdOn = false;
    state_.panel.autoWhiteBalance = false;
    ApplyProtocol();
    DetectCameraAtStart();
}

NuvixWindow::~NuvixWindow()
{
    KillTimer(kAcquisitionTimer);
    KillTimer(kPhotoTimer);
    if (guideLog_) guidingEvents_.Unsubscribe(*guideLog_);
}

void NuvixWindow::CreateControls()
{
    AddControls(kControls);
    darkButton_ = FindControl(452);
    useDarkBox_ = FindControl(453);
    reticleBox_ = FindControl(449);
    trackButton_ = FindControl(450);
}

void NuvixWindow::CreateAnalysisWindows()
{
    const SharedDrawing& drawing = mainWindow_.Drawing();
    histwin_ = std::make_unique<THistwin>(Kit(), mainWindow_, state_.analysis, state_.panel, drawing);
    // Right of the main window, where it was first placed.
    const gfx::Point energyAt{state_.placement.mainWindowX + 541, state_.placement.mainWindowY};
    energy_ = std::make_unique<specwin>(Kit(), mainWindow_, energyAt, state_.tracking, drawing);
}

void NuvixWindow::CreateGuidingWindows()
{
    ui::Toolkit& kit = Kit();
    const SharedDrawing& drawing = mainWindow_.Drawing();
    trackwin_ = std::make_unique<Trackwin>(kit, &mainWindow_, state_.parameters, drawing);
    if (!context_.guideLogPath.empty()) {
        guideLog_ = std::make_unique<GuideLog>(context_.guideLogPath, kMainWindowCaption, kit.GetClock());
        guidingEvents_.Subscribe(*guideLog_);
    }
    if (context_.guidePulses) {
        mountGuider_ = std::make_unique<MountGuider>(*context_.guidePulses, guidingEvents_, state_.parameters.settings);
    }
    state_.acquisition.camera = camera_.Name();
    const CorrectionLinks links{state_.tracking,     state_.parameters,    state_.output,      context_.bus,
                                kit.GetClock(),      *trackwin_,           state_.analysis,    state_.star,
                                state_.acquisition,  guidingEvents_,       mountGuider_.get(), guideLog_.get(),
                                &state_.guideOutput, context_.guidedFrames};
    optowin_ = std::make_unique<TOptowin>(kit, mainWindow_, links, drawing);
}

void NuvixWindow::ApplyProtocol()
{
    nuvix::ApplyProtocol(*state_.parameters.params, context_.serial, state_.output, *trackwin_);
}

void NuvixWindow::LoadParameters()
{
    ParameterState& parameters = state_.parameters;
    SessionStart start = StartParamSession(context_.paramFile, parameters.file);
    parameters.params = std::make_unique<tparam>(start.record);
    // Told at the first tick, with the camera's message.
    parameters.pendingMessage = std::move(start.message);
    SettingsFile& settings = parameters.settings;
    settings.path = SettingsPathBeside(context_.paramFile);
    const std::string told = LoadSettings(settings);
    if (!told.empty()) parameters.pendingMessage += (parameters.pendingMessage.empty() ? "" : "\n\n") + told;
    if (parameters.file.lock.GetState() == files::OwnerLock::State::HeldByAnother && settings.leaveAsIs.empty()) {
        settings.leaveAsIs = Tr("une autre instance de Nuvix utilise ce répertoire");
    }

    const tparam& record = *parameters.params;
    parameters.arcsecPerPixel = ArcsecPerPixelAtLoad(record);
    state_.camera.exposureStep = RestoredExposureStep(record.exposureStep);
    state_.camera.contrast = Low16(record.contrast);
    state_.camera.whiteBalance = Low16(record.whiteBalance);
}

void NuvixWindow::DetectCameraAtStart()
{
    state_.cameraPresent = camera_.Detect();
}

void NuvixWindow::Paint(gfx::Canvas& canvas)
{
    liveview::PaintBackground(canvas, mainWindow_.Drawing().greyPen);
    ShowMountStatus();
}

bool NuvixWindow::Command(int id, int code)
{
    return ui::DispatchCommand<NuvixWindow>(*this, kCommands, id, code);
}

void NuvixWindow::CmReticle()
{
    reticleOn_ = reticleBox_->IsChecked();
}

void NuvixWindow::CmDarkFrame()
{
    buffers_.darkRequested = true;
    darkButton_->SetText(Tr("En cours"));
}

void NuvixWindow::CmUseDark()
{
    Kit().MessageBeep(ui::kBeepOk);
    buffers_.useDark = useDarkBox_->IsChecked();
}

void NuvixWindow::CmParameters()
{
    const ShellPlacement& shell = state_.placement;
    tparawin dialog(Kit(), this, state_.parameters, {shell.mainWindowX + 330, shell.mainWindowY + 30});
    dialog.Execute();
    // However it was closed: the protocol and port in the record are put into force again.
    ApplyProtocol();
}

}  // namespace nuvix
