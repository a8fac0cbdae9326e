#include "platform/gfx/Canvas.h"

namespace nuvix::gfx {

Canvas::Canvas(Bitmap& target, const Font* defaultFont) : target_(target)
{
    state_.font = defaultFont;
}

void Canvas::Plot(int x, int y, Pixel colour)
{
    if (!target_.Contains(x, y)) return;
    if (state_.rasterOp == RasterOp::Not) {
        target_.Set(x, y, 0x00FFFFFFu ^ target_.At(x, y));
    } else {
        target_.Set(x, y, colour);
    }
}

void Canvas::FillSpan(int y, int x0, int x1, Pixel colour)
{
    for (int x = x0; x < x1; ++x)
        Plot(x, y, colour);
}

void Canvas::PenDot(int x, int y)
{
    Plot(x, y, state_.pen.color.ToPixel());
}

void Canvas::DrawLine(Point, Point) {}
void Canvas::DrawRectangle(Rect) {}
void Canvas::DrawEllipse(Rect) {}
void Canvas::FillRect(Rect, const Brush&) {}
void Canvas::FillBlack(Rect) {}
void Canvas::DrawText(Point, std::string_view) {}
Size Canvas::TextExtent(std::string_view) const
{
    return {};
}
void Canvas::CopyBlock(int, int, int, int, const Bitmap&, int, int) {}
void Canvas::StretchBlock(Rect, const Bitmap&, Rect) {}
void Canvas::DrawIndexed8(int, int, int, int, std::span<const uint8_t>, std::span<const uint16_t, 256>, const Palette&)
{
}

}  // namespace nuvix::gfx
