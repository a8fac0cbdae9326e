// The image window's live view: the drawing of each frame and the placing of the box.
#include "app/NuvixMainWindow.h"
#include "app/NuvixWindow.h"
#include "image/LiveView.h"

namespace nuvix {

void NuvixWindow::ShowFrame()
{
    const TrackingState& tracking = state_.tracking;
    const SharedDrawing& drawing = mainWindow_.Drawing();
    const bool guiding = tracking.trackingOn && !tracking.guidingSuspended;
    histwin_->Update();
    optowin_->SendCorrections(guiding);
    if (guiding) energy_->Update();
    if (mountGuider_ && mountGuider_->Calibrating()) CalibrationStep();

    gfx::Canvas back(backBuffer_);
    liveview::DrawPicture(back, buffers_.frame, colourIndex_, palette_);
    liveview::StretchZoom(back, tracking);
    gfx::Canvas window = ClientCanvas();
    window.CopyBlock(0, 0, kFrameWidth, kFrameHeight, backBuffer_, 0, 0);
    liveview::DrawReferenceMark(back, tracking, drawing.redPen);
    liveview::CopyZoomToWindow(window, backBuffer_);
    liveview::DrawCrossHair(window, tracking, drawing.yellowPen);
    liveview::InvertBoxOutline(window, tracking);
    if (reticleOn_) {
        liveview::InvertReticleLines(window, tracking);
        liveview::DrawReticleTicks(window, tracking, state_.parameters.arcsecPerPixel, drawing.redPen);
    }
    liveview::DrawSuspendedReference(window, tracking, drawing.redPen);
}

void NuvixWindow::RedrawBoxAndZoom()
{
    const TrackingState& tracking = state_.tracking;
    gfx::Canvas window = ClientCanvas();
    liveview::InvertBoxOutline(window, tracking);
    if (reticleOn_) liveview::InvertReticleLines(window, tracking);
    gfx::Canvas back(backBuffer_);
    liveview::StretchZoom(back, tracking);
    liveview::CopyZoomToWindow(window, backBuffer_);
}

void NuvixWindow::LeftButtonDown(gfx::Point p)
{
    if (p.y < kFrameHeight) MoveBoxTo(p);
}

void NuvixWindow::MoveBoxTo(gfx::Point p)
{
    RedrawBoxAndZoom();  // erases the outline where it was
    liveview::PlaceBox(state_.tracking, p);
    RedrawBoxAndZoom();
}

}  // namespace nuvix
