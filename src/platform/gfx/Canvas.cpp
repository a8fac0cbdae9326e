#include "platform/gfx/Canvas.h"

#include "platform/gfx/WideMath.h"

#include <algorithm>
#include <cstdlib>

namespace nuvix::gfx {

namespace {

constexpr Pixel kComplementMask = 0x00FFFFFFu;
// Wider pens than this are drawn this wide; it keeps absurd widths from costing seconds.
constexpr int kMaxPenWidth = 64;

}  // namespace

Canvas::Canvas(Bitmap& target, const Font* defaultFont) : target_(target)
{
    state_.font = defaultFont;
}

void Canvas::Plot(int x, int y, Pixel colour, RasterOp op)
{
    if (!target_.Contains(x, y)) return;
    Pixel& p = target_.Row(y)[static_cast<size_t>(x)];
    p = (op == RasterOp::Not) ? (kComplementMask ^ p) : colour;
}

void Canvas::FillSpan(int y, int x0, int x1, Pixel colour, RasterOp op)
{
    if (y < 0 || y >= target_.Height()) return;
    x0 = std::max(x0, 0);
    x1 = std::min(x1, target_.Width());
    if (x0 >= x1) return;
    auto row = target_.Row(y).subspan(static_cast<size_t>(x0), static_cast<size_t>(x1 - x0));
    if (op == RasterOp::Not) {
        for (Pixel& p : row)
            p ^= kComplementMask;
    } else {
        std::fill(row.begin(), row.end(), colour);
    }
}

void Canvas::AddSpan(int64_t y, int64_t x0, int64_t x1)
{
    if (y < 0 || y >= target_.Height()) return;
    x0 = std::max<int64_t>(x0, 0);
    x1 = std::min<int64_t>(x1, target_.Width());
    if (x0 >= x1) return;
    spans_.push_back({static_cast<int>(y), static_cast<int>(x0), static_cast<int>(x1)});
}

void Canvas::AddBlock(int64_t left, int64_t top, int64_t right, int64_t bottom)
{
    if (left >= right) return;
    const int64_t y0 = std::max<int64_t>(top, 0);
    const int64_t y1 = std::min<int64_t>(bottom, target_.Height());
    for (int64_t y = y0; y < y1; ++y)
        AddSpan(y, left, right);
}

int Canvas::PenWidth() const
{
    return std::clamp(state_.pen.width, 1, kMaxPenWidth);
}

void Canvas::PenDot(int64_t x, int64_t y)
{
    PenSpan(y, x, x + 1);
}

void Canvas::PenSpan(int64_t y, int64_t x0, int64_t x1)
{
    if (x0 >= x1) return;
    const int64_t w = PenWidth();
    const int64_t half = w / 2;
    AddBlock(x0 - half, y - half, x1 - 1 - half + w, y - half + w);
}

void Canvas::FlushSpans(Pixel colour, RasterOp op)
{
    std::sort(spans_.begin(), spans_.end(),
              [](const Span& a, const Span& b) { return a.y != b.y ? a.y < b.y : a.x0 < b.x0; });
    size_t i = 0;
    while (i < spans_.size()) {
        Span run = spans_[i++];
        while (i < spans_.size() && spans_[i].y == run.y && spans_[i].x0 <= run.x1) {
            run.x1 = std::max(run.x1, spans_[i].x1);
            ++i;
        }
        FillSpan(run.y, run.x0, run.x1, colour, op);
    }
    spans_.clear();
}

void Canvas::DrawLine(Point from, Point to)
{
    if (state_.pen.style == PenStyle::Null) return;
    const int64_t dx = int64_t{to.x} - from.x;
    const int64_t dy = int64_t{to.y} - from.y;
    if (dx == 0 && dy == 0) return;

    // Step along the major axis; the minor offset at step t is t * minor / major rounded
    // half up, kept as an exact running fraction.
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const int64_t major = xMajor ? std::llabs(dx) : std::llabs(dy);
    const int64_t minor = xMajor ? std::llabs(dy) : std::llabs(dx);
    const int64_t majorStart = xMajor ? from.x : from.y;
    const int64_t minorStart = xMajor ? from.y : from.x;
    const int64_t majorDir = ((xMajor ? dx : dy) < 0) ? -1 : 1;
    const int64_t minorDir = ((xMajor ? dy : dx) < 0) ? -1 : 1;

    // Only steps whose pen square can reach the bitmap along the major axis are walked, so
    // a line from far outside costs no more than one across the bitmap.
    const int64_t w = PenWidth();
    const int64_t extent = xMajor ? target_.Width() : target_.Height();
    const int64_t lo = -w;
    const int64_t hi = extent + w;
    int64_t t0 = 0;
    int64_t t1 = major;
    if (majorDir > 0) {
        t0 = std::max(t0, lo - majorStart);
        t1 = std::min(t1, hi - majorStart);
    } else {
        t0 = std::max(t0, majorStart - hi + 1);
        t1 = std::min(t1, majorStart - lo + 1);
    }
    if (t0 >= t1) return;

    // offset(t) = floor((2 t minor + major) / (2 major)); rem is the remainder.
    const int64_t denom = 2 * major;
    const detail::Wide num = static_cast<detail::Wide>(2 * t0) * minor + major;
    int64_t offset = static_cast<int64_t>(num / denom);
    int64_t rem = static_cast<int64_t>(num % denom);

    spans_.clear();
    for (int64_t t = t0; t < t1; ++t) {
        const int64_t a = majorStart + majorDir * t;
        const int64_t b = minorStart + minorDir * offset;
        if (xMajor) {
            PenDot(a, b);
        } else {
            PenDot(b, a);
        }
        rem += 2 * minor;
        if (rem >= denom) {
            rem -= denom;
            ++offset;
        }
    }
    FlushSpans(state_.pen.color.ToPixel(), state_.rasterOp);
}

void Canvas::DrawRectangle(Rect r)
{
    const int64_t left = r.left;
    const int64_t top = r.top;
    const int64_t right = r.right;
    const int64_t bottom = r.bottom;
    if (right <= left || bottom <= top) return;
    const bool hasPen = state_.pen.style != PenStyle::Null;
    const bool hasBrush = state_.brush.style != BrushStyle::Null;
    const RasterOp op = state_.rasterOp;

    spans_.clear();
    if (hasBrush) {
        if (hasPen) {
            AddBlock(left + 1, top + 1, right - 1, bottom - 1);
        } else {
            AddBlock(left, top, right, bottom);
        }
        // Under Not the inside and the outline are complemented together, each pixel once.
        if (op == RasterOp::CopyPen || !hasPen) FlushSpans(state_.brush.color.ToPixel(), op);
    }
    if (!hasPen) return;

    // The outline is the one-pixel ring of the rectangle, widened by the pen's square: four
    // bands whose overlaps the span merge writes once.
    const int64_t w = PenWidth();
    const int64_t half = w / 2;
    const int64_t outerLeft = left - half;
    const int64_t outerRight = right - 1 - half + w;
    AddBlock(outerLeft, top - half, outerRight, top - half + w);
    AddBlock(outerLeft, bottom - 1 - half, outerRight, bottom - 1 - half + w);
    AddBlock(outerLeft, top - half, left - half + w, bottom - 1 - half + w);
    AddBlock(right - 1 - half, top - half, outerRight, bottom - 1 - half + w);
    FlushSpans(state_.pen.color.ToPixel(), op);
}

void Canvas::FillRect(Rect r, const Brush& brush)
{
    if (brush.style == BrushStyle::Null) return;
    const int y0 = std::max(r.top, 0);
    const int y1 = std::min(r.bottom, target_.Height());
    for (int y = y0; y < y1; ++y)
        FillSpan(y, r.left, r.right, brush.color.ToPixel(), RasterOp::CopyPen);
}

void Canvas::FillBlack(Rect r)
{
    FillRect(r, Brush::Black());
}

}  // namespace nuvix::gfx
