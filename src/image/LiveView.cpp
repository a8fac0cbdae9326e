#include "image/LiveView.h"
#include "platform/text/Translate.h"

#include <cmath>

namespace nuvix::liveview {

namespace {
constexpr int kBox = TrackingState::kBoxSize;
constexpr int kPictureRight = 360;  // the reticle's horizontal line runs past the picture
}  // namespace

void PaintBackground(gfx::Canvas& window, const gfx::Pen& greyPen)
{
    window.FillRect({0, 0, kBackBufferWidth, kBackBufferHeight}, gfx::Brush::Black());
    window.SetTextColor({240, 240, 0});
    window.SetBackgroundMode(gfx::BackgroundMode::Transparent);
    window.SetPen(greyPen);
    window.DrawLine({0, 240}, {322, 240});
    window.SetBrush(gfx::Brush::Null());
    window.SetPen(gfx::Pen::White());
    window.DrawRectangle({110, 250, 312, 452});
    window.DrawText({30, 271}, Tr("Util. noir"));
    window.DrawText({30, 340}, Tr("Mire"));
}

void DrawPicture(gfx::Canvas& back, const FrameBytes& frame, const std::array<uint16_t, 256>& colourIndex,
                 const gfx::Palette& palette)
{
    back.DrawIndexed8(0, 0, kFrameWidth, kFrameHeight, frame, colourIndex, palette);
}

void StretchZoom(gfx::Canvas& back, const TrackingState& t)
{
    back.StretchBlock(gfx::Rect::FromSize(kZoomInBackBuffer.x, kZoomInBackBuffer.y, kZoomSize, kZoomSize),
                      back.Target(), gfx::Rect::FromSize(t.boxLeft, t.boxTop, kBox, kBox));
}

void CopyZoomToWindow(gfx::Canvas& window, const gfx::Bitmap& back)
{
    window.CopyBlock(kZoomOnWindow.x, kZoomOnWindow.y, kZoomSize, kZoomSize, back, kZoomInBackBuffer.x,
                     kZoomInBackBuffer.y);
}

void DrawReferenceMark(gfx::Canvas& back, const TrackingState& t, const gfx::Pen& redPen)
{
    if (!t.trackingOn || t.guidingSuspended) return;
    const int rx = t.refX - t.boxLeft;
    const int ry = t.refY - t.boxTop;
    if (rx <= 0 || rx >= kBox || ry <= 0 || ry >= kBox) return;
    back.SetPen(redPen);
    back.SetBrush(gfx::Brush::Null());
    back.SetRasterOp(gfx::RasterOp::CopyPen);
    back.DrawLine({2 * t.starX + 102, 2 * t.starY + 252}, {2 * rx + 102, 2 * ry + 252});
    back.DrawEllipse({2 * rx + 96, 2 * ry + 246, 2 * rx + 108, 2 * ry + 258});
}

void DrawCrossHair(gfx::Canvas& window, const TrackingState& t, const gfx::Pen& yellowPen)
{
    if (t.starX <= 0 || t.starX >= kBox || t.starY <= 0 || t.starY >= kBox) return;
    window.SetRasterOp(gfx::RasterOp::CopyPen);
    window.SetPen(yellowPen);
    const int cx = 2 * t.starX + 113;
    const int cy = 2 * t.starY + 252;
    if (t.starY > 7) window.DrawLine({cx, 251}, {cx, cy - 6});
    if (t.starY < 95) window.DrawLine({cx, cy + 6}, {cx, 450});
    if (t.starX > 7) window.DrawLine({111, cy}, {cx - 6, cy});
    if (t.starX < 95) window.DrawLine({cx + 6, cy}, {310, cy});
}

void InvertBoxOutline(gfx::Canvas& window, const TrackingState& t)
{
    window.SetRasterOp(gfx::RasterOp::Not);
    window.SetPen(gfx::Pen::White());
    window.SetBrush(gfx::Brush::Null());
    window.DrawRectangle({t.boxLeft, t.boxTop, t.boxLeft + kBox, t.boxTop + kBox});
}

void InvertReticleLines(gfx::Canvas& window, const TrackingState& t)
{
    window.SetRasterOp(gfx::RasterOp::Not);
    window.SetPen(gfx::Pen::White());
    window.DrawLine({t.boxLeft + 50, 0}, {t.boxLeft + 50, kFrameHeight});
    window.DrawLine({0, t.boxTop + 50}, {kPictureRight, t.boxTop + 50});
}

void DrawReticleTicks(gfx::Canvas& window, const TrackingState& t, float arcsecPerPixel, const gfx::Pen& redPen)
{
    // Without a usable image scale (a pixel size of 0) there is nothing to mark.
    if (!(arcsecPerPixel > 0.0f) || !std::isfinite(arcsecPerPixel)) return;
    const float s = 10.0f / arcsecPerPixel;
    if (!(s > 2.0f)) return;
    window.SetRasterOp(gfx::RasterOp::CopyPen);
    window.SetPen(redPen);
    const float cx = static_cast<float>(t.boxLeft + 50);
    const float cy = static_cast<float>(t.boxTop + 50);
    const auto vertical = [&](float x) {
        window.DrawLine({static_cast<int>(x), t.boxTop + 53}, {static_cast<int>(x), t.boxTop + 46});
    };
    const auto horizontal = [&](float y) {
        window.DrawLine({t.boxLeft + 53, static_cast<int>(y)}, {t.boxLeft + 46, static_cast<int>(y)});
    };
    for (float x = cx + s; x < kPictureRight; x += s)
        vertical(x);
    for (float x = cx - s; x > 0; x -= s)
        vertical(x);
    for (float y = cy + s; y < kFrameHeight; y += s)
        horizontal(y);
    for (float y = cy - s; y > 0; y -= s)
        horizontal(y);
}

void DrawSuspendedReference(gfx::Canvas& window, const TrackingState& t, const gfx::Pen& redPen)
{
    if (!t.guidingSuspended) return;
    window.SetPen(redPen);
    window.SetBrush(gfx::Brush::Null());
    window.SetRasterOp(gfx::RasterOp::CopyPen);
    window.DrawEllipse({t.refX - 5, t.refY - 5, t.refX + 6, t.refY + 6});
}

bool PlaceBox(TrackingState& t, gfx::Point click)
{
    if (click.y >= kFrameHeight) return false;
    t.boxLeft = click.x - kBox / 2;
    t.boxTop = click.y - kBox / 2;
    if (t.boxLeft < 0) t.boxLeft = 0;
    if (t.boxTop < 0) t.boxTop = 0;
    if (t.boxLeft > kFrameWidth - kBox) t.boxLeft = kFrameWidth - kBox;
    if (t.boxTop > kFrameHeight - kBox) t.boxTop = kFrameHeight - kBox;
    if (t.trackingOn) {
        // The reference stays at least 4 pixels inside the box, even if the box then
        // reaches beyond the picture.
        if (t.boxLeft < t.refX - 96) t.boxLeft = t.refX - 96;
        if (t.boxLeft > t.refX - 4) t.boxLeft = t.refX - 4;
        if (t.boxTop < t.refY - 96) t.boxTop = t.refY - 96;
        if (t.boxTop > t.refY - 4) t.boxTop = t.refY - 4;
    }
    return true;
}

}  // namespace nuvix::liveview
