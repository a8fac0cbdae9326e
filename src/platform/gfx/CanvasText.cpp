#include "platform/gfx/Canvas.h"

#include "platform/gfx/Utf8.h"
#include "platform/gfx/WideMath.h"

#include <algorithm>

namespace nuvix::gfx {

namespace {

// Coverage a of 255 takes the text colour, 0 keeps the pixel; rounded to nearest.
Pixel Blend(Pixel under, Pixel over, unsigned a)
{
    Pixel out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const unsigned u = (under >> shift) & 0xFFu;
        const unsigned o = (over >> shift) & 0xFFu;
        out |= static_cast<Pixel>((u * (255u - a) + o * a + 127u) / 255u) << shift;
    }
    return out;
}

int64_t Advance(const Font& font, const std::u32string& text)
{
    int64_t width = 0;
    for (char32_t c : text)
        width += font.GlyphFor(c).advance;
    return width;
}

}  // namespace

Size Canvas::TextExtent(std::string_view utf8) const
{
    if (state_.font == nullptr) return {};
    const Font& font = *state_.font;
    return {detail::ClampToInt(Advance(font, DecodeUtf8(utf8))), font.CellHeight()};
}

void Canvas::DrawText(Point topLeft, std::string_view utf8)
{
    if (state_.font == nullptr) return;
    const Font& font = *state_.font;
    const std::u32string text = DecodeUtf8(utf8);

    const int64_t left = topLeft.x;
    const int64_t top = topLeft.y;
    if (state_.backgroundMode == BackgroundMode::Opaque) {
        const int64_t right = left + Advance(font, text);
        const Pixel ground = state_.backgroundColor.ToPixel();
        const int64_t y0 = std::max<int64_t>(top, 0);
        const int64_t y1 = std::min<int64_t>(top + font.CellHeight(), target_.Height());
        for (int64_t y = y0; y < y1; ++y) {
            FillSpan(static_cast<int>(y), detail::ClampToInt(left), detail::ClampToInt(right), ground,
                     RasterOp::CopyPen);
        }
    }

    // Text ignores the raster mode, as GDI's text output does.
    const Pixel ink = state_.textColor.ToPixel();
    const int64_t baseline = top + font.Ascent();
    int64_t penX = left;
    for (char32_t c : text) {
        const Glyph& g = font.GlyphFor(c);
        const int64_t gx = penX + g.left;
        const int64_t gy = baseline - g.top;
        penX += g.advance;
        if (gx >= target_.Width() || gy >= target_.Height() || gx + g.width <= 0 || gy + g.rows <= 0) continue;
        if (g.coverage.size() < static_cast<size_t>(g.width) * static_cast<size_t>(g.rows)) continue;
        for (int row = 0; row < g.rows; ++row) {
            const int64_t y = gy + row;
            if (y < 0 || y >= target_.Height()) continue;
            const uint8_t* cover = g.coverage.data() + static_cast<size_t>(row) * static_cast<size_t>(g.width);
            for (int col = 0; col < g.width; ++col) {
                const int64_t x = gx + col;
                if (cover[col] == 0 || x < 0 || x >= target_.Width()) continue;
                const auto px = static_cast<int>(x);
                const auto py = static_cast<int>(y);
                Plot(px, py, Blend(target_.At(px, py), ink, cover[col]), RasterOp::CopyPen);
            }
        }
    }
}

}  // namespace nuvix::gfx
