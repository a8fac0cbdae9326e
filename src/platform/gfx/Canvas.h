#pragma once

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Color.h"
#include "platform/gfx/Font.h"
#include "platform/gfx/Geometry.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace nuvix::gfx {

enum class PenStyle { Solid, Null };
enum class BrushStyle { Solid, Null };
enum class RasterOp { CopyPen, Not };  // Not: each pixel under the pen becomes its complement
enum class BackgroundMode { Opaque, Transparent };

struct Pen {
    PenStyle style = PenStyle::Solid;
    Color color = kBlack;
    int width = 1;

    static constexpr Pen Solid(Color c, int w = 1) { return {PenStyle::Solid, c, w}; }
    static constexpr Pen Null() { return {PenStyle::Null, kBlack, 0}; }
    static constexpr Pen Black() { return Solid(kBlack); }
    static constexpr Pen White() { return Solid(kWhite); }
};

struct Brush {
    BrushStyle style = BrushStyle::Solid;
    Color color = kWhite;

    static constexpr Brush Solid(Color c) { return {BrushStyle::Solid, c}; }
    static constexpr Brush Null() { return {BrushStyle::Null, kBlack}; }
    static constexpr Brush Black() { return Solid(kBlack); }
    static constexpr Brush White() { return Solid(kWhite); }
};

// Everything a drawing call takes from the device context. A fresh canvas starts with the
// defaults below: black pen, white brush, copy-pen, black text on an opaque white ground.
struct DrawState {
    Pen pen = Pen::Black();
    Brush brush = Brush::White();
    RasterOp rasterOp = RasterOp::CopyPen;
    Color textColor = kBlack;
    Color backgroundColor = kWhite;
    BackgroundMode backgroundMode = BackgroundMode::Opaque;
    const Font* font = nullptr;
};

// A software device context over one bitmap, made on the stack for a few drawing calls.
// Every pixel the drawing verbs write goes through one plot routine and one span fill, so
// clipping to the bitmap and the raster mode behave the same in every primitive; block
// copies clip their rectangles once and write whole rows. Any coordinates are
// accepted; what falls outside the bitmap is dropped. The raster mode governs the pen and
// the brush of lines, rectangles and ellipses (under Not each pixel a primitive covers is
// complemented once); fills, text and block copies ignore it. A pen w pixels wide puts a
// w x w square centred on each point of the thin figure (widths above 64 are drawn 64 wide).
class Canvas {
public:
    explicit Canvas(Bitmap& target, const Font* defaultFont = nullptr);

    Bitmap& Target() { return target_; }
    DrawState& State() { return state_; }
    const DrawState& State() const { return state_; }

    void SetPen(const Pen& pen) { state_.pen = pen; }
    void SetBrush(const Brush& brush) { state_.brush = brush; }
    void SetRasterOp(RasterOp op) { state_.rasterOp = op; }
    void SetTextColor(Color c) { state_.textColor = c; }
    void SetBackgroundColor(Color c) { state_.backgroundColor = c; }
    void SetBackgroundMode(BackgroundMode m) { state_.backgroundMode = m; }
    void SetFont(const Font* font) { state_.font = font; }

    // Restores the drawing state when it goes out of scope.
    class StateSaver {
    public:
        explicit StateSaver(Canvas& c) : canvas_(c), saved_(c.state_) {}
        ~StateSaver() { canvas_.state_ = saved_; }
        StateSaver(const StateSaver&) = delete;
        StateSaver& operator=(const StateSaver&) = delete;

    private:
        Canvas& canvas_;
        DrawState saved_;
    };

    // A line with the pen, covering its start pixel and not its end pixel.
    void DrawLine(Point from, Point to);
    // The outline with the pen and the inside with the brush; right and bottom exclusive.
    void DrawRectangle(Rect r);
    // An ellipse inscribed in the rectangle: outline with the pen, inside with the brush.
    void DrawEllipse(Rect r);
    // Fills with a brush, ignoring the pen and the raster mode.
    void FillRect(Rect r, const Brush& brush);
    // A black pattern fill (BLACKNESS).
    void FillBlack(Rect r);

    // Text with its cell's top-left corner at the point, in the current font and colours;
    // an opaque background fills the cell with the background colour first. UTF-8; bad
    // bytes show as U+FFFD. Glyph coverage blends the text colour over what is beneath.
    // Without a font nothing is drawn and the extent is empty.
    void DrawText(Point topLeft, std::string_view utf8);
    Size TextExtent(std::string_view utf8) const;

    // Copies a block of another bitmap (or of this one, overlapping or not) to (dstX, dstY).
    // Parts outside the source leave the target as it was.
    void CopyBlock(int dstX, int dstY, int width, int height, const Bitmap& source, int srcX, int srcY);
    // Copies the source rectangle onto the destination rectangle: each destination pixel takes
    // the source pixel under its centre. Empty or inverted rectangles draw nothing.
    void StretchBlock(Rect dst, const Bitmap& source, Rect src);
    // Draws an 8-bit picture whose rows run bottom-up (the first `width` bytes are its
    // bottom row) at (dstX, dstY), each byte mapped through the colour-index table into
    // the palette. A buffer shorter than width x height bytes draws nothing.
    void DrawIndexed8(int dstX, int dstY, int width, int height, std::span<const uint8_t> pixels,
                      std::span<const uint16_t, 256> colorIndex, const Palette& palette);

private:
    struct Span {
        int y;
        int x0;
        int x1;
    };

    // The only pixel writers. Both clip to the bitmap; Not complements whatever is there.
    void Plot(int x, int y, Pixel colour, RasterOp op);
    void FillSpan(int y, int x0, int x1, Pixel colour, RasterOp op);  // x0 inclusive, x1 exclusive

    // Shapes gather their pixels as spans first, so that overlapping parts of one primitive
    // (pen squares, an outline over its inside) are written once: Not must not undo itself.
    void AddSpan(int64_t y, int64_t x0, int64_t x1);
    void AddBlock(int64_t left, int64_t top, int64_t right, int64_t bottom);
    void PenDot(int64_t x, int64_t y);                // the pen's square centred on the point
    void PenSpan(int64_t y, int64_t x0, int64_t x1);  // PenDot over each pixel of the span
    void FlushSpans(Pixel colour, RasterOp op);
    int PenWidth() const;

    Bitmap& target_;
    DrawState state_;
    std::vector<Span> spans_;
};

}  // namespace nuvix::gfx
