// The image window's guiding: "Track", and the calibration of a mount guided by timed pulses.
#include "app/NuvixMainWindow.h"
#include "app/NuvixWindow.h"
#include "guiding/StarPosition.h"
#include "platform/text/Translate.h"
#include "platform/ui/Toolkit.h"

#include <algorithm>

namespace nuvix {

namespace {
constexpr int kMountStatusWidth = 108;  // the zoom starts at 110
constexpr int kMountStatusHeight = 14;  // the delta panel starts at 406
constexpr gfx::Color kMountStatusColour{0, 160, 160};
}  // namespace

void NuvixWindow::CmTrack()
{
    if (mountGuider_ && mountGuider_->Calibrating()) {
        mountGuider_->StopCalibration();
        trackButton_->SetText(Tr("Track"));
        ShowMountStatus();
        return;
    }
    // The first "Track" with a mount that has no calibration calibrates it; guiding follows.
    if (!state_.tracking.trackingOn && mountGuider_ &&
        mountGuider_->NeedsCalibration(state_.parameters.arcsecPerPixel)) {
        BeginCalibration();
        return;
    }
    ToggleTracking();
}

void NuvixWindow::CmRecalibrate()
{
    if (!mountGuider_) {
        CmTrack();
        return;
    }
    if (mountGuider_->Calibrating()) return;
    if (state_.tracking.trackingOn) ToggleTracking();
    BeginCalibration();
}

void NuvixWindow::ToggleTracking()
{
    // The button names what the next click does.
    TrackingState& tracking = state_.tracking;
    trackButton_->SetText(tracking.trackingOn ? Tr("Track") : Tr("Track OFF"));
    energy_->Show(!tracking.trackingOn);
    if (!tracking.trackingOn) energy_->ResetStatistics();
    tracking.ToggleGuiding();
}

void NuvixWindow::BeginCalibration()
{
    // The lock is where the star stands now: the calibration brings it back there.
    GuidingSetup setup = optowin_->Setup();
    const StarReading& star = state_.star;
    setup.lockX = star.x;
    setup.lockY = star.y;
    std::string why;
    if (!mountGuider_->BeginCalibration(setup, star, why)) {
        Kit().MessageBox(this, TrFill("Calibration impossible : %s", {why}), Tr("Erreur"));
        return;
    }
    trackButton_->SetText(Tr("Track OFF"));
    ShowMountStatus();
}

void NuvixWindow::CalibrationStep()
{
    const int32_t now = link_.clock.ElapsedMilliseconds();
    const auto exposed = static_cast<uint32_t>(std::max(state_.acquisition.exposureMs, 0.0f));
    const StarReading& star = state_.star;
    const CalibrationRun::State outcome = mountGuider_->CalibrationFrame(star, MillisecondsBefore(now, exposed), now);
    ShowMountStatus();
    if (outcome == CalibrationRun::State::Succeeded) {
        ToggleTracking();
        const std::string problem = mountGuider_->TakeStoreProblem();
        if (!problem.empty())
            Kit().MessageBox(this, TrFill("Calibration non enregistrée : %s", {problem}), Tr("Erreur"));
    } else if (outcome == CalibrationRun::State::Failed) {
        trackButton_->SetText(Tr("Track"));
        Kit().MessageBox(this, TrFill("Calibration échouée : %s", {mountGuider_->FailureText()}), Tr("Erreur"));
    }
}

void NuvixWindow::PollMount()
{
    const TrackingState& tracking = state_.tracking;
    for (const GuidingBox& box : mountGuider_->TakeNotices(tracking.trackingOn && !tracking.guidingSuspended)) {
        Kit().MessageBox(this, box.text, box.caption);
    }
    ShowMountStatus();
}

void NuvixWindow::ShowMountStatus()
{
    if (!mountGuider_) return;
    // The strip between "Track" and the delta panel, left of the zoom.
    gfx::Canvas canvas = ClientCanvas();
    canvas.FillRect({0, kMountStatusAt.y, kMountStatusWidth, kMountStatusAt.y + kMountStatusHeight},
                    gfx::Brush::Black());
    canvas.SetBackgroundMode(gfx::BackgroundMode::Transparent);
    canvas.SetTextColor(kMountStatusColour);
    canvas.SetFont(mainWindow_.Drawing().smallFont.get());
    const TrackingState& tracking = state_.tracking;
    canvas.DrawText(kMountStatusAt, mountGuider_->Status(tracking.trackingOn && !tracking.guidingSuspended));
}

}  // namespace nuvix
