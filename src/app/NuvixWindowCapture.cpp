// The image window's side of the capture windows: the integration panel and the photo series.
#include "app/NuvixMainWindow.h"
#include "app/NuvixWindow.h"
#include "capture/BmpWriter.h"
#include "capture/IntegrationWindow.h"
#include "capture/PhotoDialog.h"

namespace nuvix {

void NuvixWindow::CreateCaptureWindows()
{
    // A pop-up belongs to a top-level window: the main window, which is on screen already.
    const ShellPlacement& placement = state_.placement;
    integrationWindow_ = std::make_unique<compwin>(
        Kit(), &mainWindow_, gfx::Point{placement.mainWindowX, placement.mainWindowY}, state_.integration, *this);
    integrationWindow_->Create();
    photoDialog_ =
        std::make_unique<tphotowin>(Kit(), *this, *this, state_.series, state_.integration, state_.parameters);
}

void NuvixWindow::CmPhoto()
{
    SeriesState& series = state_.series;
    series.photoDialogOpen = true;
    photoDialog_->Execute();
    series.photoDialogOpen = false;
    // Also after "Annuler" on a running series: the timer restarts with the stored interval.
    if (!series.seriesRunning) return;
    const tparam& record = *state_.parameters.params;
    series.seriesInterval = SeriesIntervalMs(record.photoIntervalValue, record.photoIntervalUnit);
    SetTimer(kPhotoTimer, series.seriesInterval);
}

void NuvixWindow::PictureStep()
{
    photoDialog_->TakeDuePicture(link_.clock.ElapsedMilliseconds());
}

void NuvixWindow::ShowFrameCount(int32_t frameCount)
{
    integrationWindow_->ShowCount(frameCount);
}

void NuvixWindow::ResetIntegration()
{
    if (buffers_.Allocated()) nuvix::ResetIntegration(buffers_, state_.integration);
}

files::ReplaceResult NuvixWindow::SaveImage(const std::string& path)
{
    return WriteBmp(path, fileInfo_, buffers_.frame);
}

}  // namespace nuvix
