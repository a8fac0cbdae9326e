#include "platform/gfx/Canvas.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace nuvix::gfx {

namespace {

// The pixels of one row inside the ellipse, both ends inclusive.
struct RowExtent {
    int64_t first;
    int64_t last;
};

// The ellipse inscribed in [left, right) x [top, bottom), tested at pixel centres. Work is in
// doubled coordinates so that the centre and the half-axes are whole numbers.
class EllipseRows {
public:
    EllipseRows(int64_t left, int64_t top, int64_t right, int64_t bottom)
        : top_(top),
          bottom_(bottom),
          centreX2_(left + right),
          centreY2_(top + bottom),
          width_(static_cast<double>(right - left)),
          height_(static_cast<double>(bottom - top))
    {
    }

    std::optional<RowExtent> At(int64_t y) const
    {
        if (y < top_ || y >= bottom_) return std::nullopt;
        const double dy = static_cast<double>(2 * y + 1 - centreY2_) / height_;
        const double q = 1.0 - dy * dy;
        if (q <= 0.0) return std::nullopt;
        // Pixel x is inside when |2x + 1 - centreX2| <= reach. The right end is taken as the
        // mirror of the left one so that the shape is exactly symmetric.
        const double reach = width_ * std::sqrt(q) + 1e-9;
        const auto first = static_cast<int64_t>(std::ceil((static_cast<double>(centreX2_ - 1) - reach) / 2.0));
        const int64_t last = centreX2_ - 1 - first;
        if (first > last) return std::nullopt;
        return RowExtent{first, last};
    }

private:
    int64_t top_;
    int64_t bottom_;
    int64_t centreX2_;
    int64_t centreY2_;
    double width_;
    double height_;
};

}  // namespace

void Canvas::DrawEllipse(Rect r)
{
    const int64_t left = r.left;
    const int64_t top = r.top;
    const int64_t right = r.right;
    const int64_t bottom = r.bottom;
    if (right <= left || bottom <= top) return;
    const bool hasPen = state_.pen.style != PenStyle::Null;
    const bool hasBrush = state_.brush.style != BrushStyle::Null;
    if (!hasPen && !hasBrush) return;
    const RasterOp op = state_.rasterOp;

    const EllipseRows rows(left, top, right, bottom);
    // Only rows that the pen square can carry onto the bitmap are visited.
    const int64_t margin = hasPen ? PenWidth() : 0;
    const int64_t y0 = std::max<int64_t>(top, -margin);
    const int64_t y1 = std::min<int64_t>(bottom, int64_t{target_.Height()} + margin);

    // Without a pen the brush covers every inside pixel; with one, the outline is each
    // inside pixel that has a 4-neighbour outside, and the brush takes the rest.
    struct Inside {
        int64_t y;
        int64_t first;
        int64_t last;
    };
    std::vector<Inside> inside;
    spans_.clear();
    for (int64_t y = y0; y < y1; ++y) {
        const auto here = rows.At(y);
        if (!here) continue;
        if (!hasPen) {
            inside.push_back({y, here->first, here->last});
            continue;
        }
        const auto above = rows.At(y - 1);
        const auto below = rows.At(y + 1);
        int64_t innerFirst = here->first + 1;
        int64_t innerLast = here->last - 1;
        if (above && below) {
            innerFirst = std::max({innerFirst, above->first, below->first});
            innerLast = std::min({innerLast, above->last, below->last});
        } else {
            innerLast = innerFirst - 1;
        }
        if (innerFirst > innerLast) {
            PenSpan(y, here->first, here->last + 1);
            continue;
        }
        PenSpan(y, here->first, innerFirst);
        PenSpan(y, innerLast + 1, here->last + 1);
        inside.push_back({y, innerFirst, innerLast});
    }

    std::vector<Span> pen;
    pen.swap(spans_);
    if (hasBrush) {
        for (const Inside& in : inside)
            AddSpan(in.y, in.first, in.last + 1);
        // Under Not the inside and the outline are complemented together, each pixel once.
        if (op == RasterOp::CopyPen || !hasPen) FlushSpans(state_.brush.color.ToPixel(), op);
    }
    if (!hasPen) return;
    spans_.insert(spans_.end(), pen.begin(), pen.end());
    FlushSpans(state_.pen.color.ToPixel(), op);
}

}  // namespace nuvix::gfx
