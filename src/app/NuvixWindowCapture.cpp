// The image window's side of the capture windows: the integration panel and the photo series.
#include "app/NuvixMainWindow.h"
#include "app/NuvixWindow.h"
#include "capture/BmpWriter.h"
#include "capture/IntegrationWindow.h"
#include "capture/PhotoDialog.h"
#include "platform/text/Translate.h"

#include <cmath>

namespace nuvix {

namespace {
constexpr double kDegreesPerHour = 15.0;
}  // namespace

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
    pictureRecord_.ResetSum();
}

files::ReplaceResult NuvixWindow::SaveImage(const std::string& path, files::WriteMode mode)
{
    return WriteBmp(path, fileInfo_, buffers_.frame, mode);
}

void NuvixWindow::NoteFrame(int32_t stepStart, float exposureMs, bool longExposure, const CameraSettings& uploaded,
                            bool added)
{
    // The parallel-port camera exposes a short frame after the step asks for it; a long frame, and
    // a picture that came from another camera, were exposed before the step.
    const bool exposedBefore = longExposure || context_.frameSource != nullptr;
    const uint32_t before = exposedBefore ? static_cast<uint32_t>(std::lround(exposureMs)) : 0;
    const Exposure exposure{link_.clock.UtcAt(MillisecondsBefore(stepStart, before)), exposureMs / 1000.0,
                            uploaded.contrast, uploaded.whiteBalance};
    pictureRecord_.Note(buffers_.incoming, exposure, added);
}

PictureFacts NuvixWindow::FactsOf(const std::optional<Exposure>& exposure, int32_t combined) const
{
    PictureFacts facts;
    facts.exposure = exposure;
    facts.combined = combined;
    facts.instrument = camera_.Name();
    if (const CameraPicture* picture = camera_.LatestPicture()) facts.binning = picture->binning;
    const tparam& record = *state_.parameters.params;
    facts.focalLengthCm = std::isfinite(record.focalLength) ? record.focalLength : 0.0;
    facts.pixelSizeUm = std::isfinite(record.pixelSize) ? record.pixelSize : 0.0;
    if (const GuidePulseSink* mount = context_.guidePulses) {
        const MountReport report = mount->Report();
        facts.telescope = report.name;
        // Coordinates kept from before the mount went away are no longer where it points.
        if (report.Ready() && report.pointing) {
            facts.raDegrees = report.pointing->raHours * kDegreesPerHour;
            facts.decDegrees = report.pointing->decDegrees;
        }
    }
    return facts;
}

files::ReplaceResult NuvixWindow::SaveFrameFits(const std::string& path, files::WriteMode mode)
{
    return WriteFrameFits(path, pictureRecord_.levels, camera_.LatestPicture(), FactsOf(pictureRecord_.frame, 1), mode);
}

files::ReplaceResult NuvixWindow::SaveSumFits(const std::string& path)
{
    if (!buffers_.Allocated()) return {false, Tr("pas de somme en mémoire (mémoire insuffisante)")};
    return WriteSumFits(path, buffers_.sumFrame, FactsOf(pictureRecord_.sum, pictureRecord_.framesAdded));
}

}  // namespace nuvix
