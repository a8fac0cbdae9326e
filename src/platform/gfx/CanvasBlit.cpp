#include "platform/gfx/Canvas.h"

#include "platform/gfx/WideMath.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace nuvix::gfx {

namespace {

struct Interval {
    int64_t begin;
    int64_t end;
};

Interval Intersect(Interval a, Interval b)
{
    return {std::max(a.begin, b.begin), std::min(a.end, b.end)};
}

bool Overlap(const Rect& a, const Rect& b)
{
    return std::max(a.left, b.left) < std::min(a.right, b.right) &&
           std::max(a.top, b.top) < std::min(a.bottom, b.bottom);
}

// Output pixel i of n, taken from input n0 wide: the input pixel under the output pixel's centre.
int64_t NearestSource(int64_t i, int64_t n, int64_t n0)
{
    return detail::MulDivFloor(2 * i + 1, n0, 2 * n);
}

}  // namespace

void Canvas::CopyBlock(int dstX, int dstY, int width, int height, const Bitmap& source, int srcX, int srcY)
{
    int64_t w = width;
    int64_t h = height;
    int64_t sx = srcX;
    int64_t sy = srcY;
    int64_t dx = dstX;
    int64_t dy = dstY;
    // Trim the block to the part that exists in the source and lands on the target; what
    // falls outside the source leaves the target unchanged.
    const auto trim = [&](int64_t& a, int64_t& b, int64_t& size, int64_t limit) {
        if (a < 0) {
            b -= a;
            size += a;
            a = 0;
        }
        size = std::min(size, limit - a);
    };
    trim(sx, dx, w, source.Width());
    trim(sy, dy, h, source.Height());
    trim(dx, sx, w, target_.Width());
    trim(dy, sy, h, target_.Height());
    if (w <= 0 || h <= 0) return;

    // Within one bitmap the rows are walked away from the destination so that no source row
    // is overwritten before it is read; memmove takes care of overlap inside a row.
    const bool upward = (&source == &target_) && dy > sy;
    const auto bytes = static_cast<size_t>(w) * sizeof(Pixel);
    for (int64_t k = 0; k < h; ++k) {
        const int64_t row = upward ? h - 1 - k : k;
        const Pixel* from = source.Row(static_cast<int>(sy + row)).data() + sx;
        Pixel* to = target_.Row(static_cast<int>(dy + row)).data() + dx;
        std::memmove(to, from, bytes);
    }
}

void Canvas::StretchBlock(Rect dst, const Bitmap& source, Rect src)
{
    const int64_t dw = int64_t{dst.right} - dst.left;
    const int64_t dh = int64_t{dst.bottom} - dst.top;
    const int64_t sw = int64_t{src.right} - src.left;
    const int64_t sh = int64_t{src.bottom} - src.top;
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;

    if (&source == &target_ && Overlap(dst, src)) {
        // Read from a copy of the part of the source that exists.
        const Interval cols = Intersect({src.left, src.right}, {0, source.Width()});
        const Interval rows = Intersect({src.top, src.bottom}, {0, source.Height()});
        if (cols.begin >= cols.end || rows.begin >= rows.end) return;
        Bitmap copy(static_cast<int>(cols.end - cols.begin), static_cast<int>(rows.end - rows.begin));
        Canvas(copy).CopyBlock(0, 0, copy.Width(), copy.Height(), source, static_cast<int>(cols.begin),
                               static_cast<int>(rows.begin));
        const Rect shifted{detail::ClampToInt(src.left - cols.begin), detail::ClampToInt(src.top - rows.begin),
                           detail::ClampToInt(src.right - cols.begin), detail::ClampToInt(src.bottom - rows.begin)};
        StretchBlock(dst, copy, shifted);
        return;
    }

    const bool wholeDst =
        dst.left >= 0 && dst.top >= 0 && dst.right <= target_.Width() && dst.bottom <= target_.Height();
    const bool wholeSrc = src.left >= 0 && src.top >= 0 && src.right <= source.Width() && src.bottom <= source.Height();
    if (wholeDst && wholeSrc && dw == 2 * sw && dh == 2 * sh) {
        // The zoom of every frame: each source pixel becomes a 2 x 2 block.
        const auto n = static_cast<size_t>(sw);
        for (int64_t k = 0; k < sh; ++k) {
            const Pixel* from = source.Row(static_cast<int>(src.top + k)).data() + src.left;
            Pixel* to = target_.Row(static_cast<int>(dst.top + 2 * k)).data() + dst.left;
            for (size_t i = 0; i < n; ++i)
                to[2 * i] = to[2 * i + 1] = from[i];
            std::memcpy(target_.Row(static_cast<int>(dst.top + 2 * k + 1)).data() + dst.left, to,
                        2 * n * sizeof(Pixel));
        }
        return;
    }

    const Interval cols = Intersect({dst.left, dst.right}, {0, target_.Width()});
    const Interval rows = Intersect({dst.top, dst.bottom}, {0, target_.Height()});
    if (cols.begin >= cols.end || rows.begin >= rows.end) return;
    // Source column for each visible destination column; -1 where it lies outside the source.
    std::vector<int> sourceX(static_cast<size_t>(cols.end - cols.begin));
    for (int64_t x = cols.begin; x < cols.end; ++x) {
        const int64_t s = src.left + NearestSource(x - dst.left, dw, sw);
        sourceX[static_cast<size_t>(x - cols.begin)] = (s >= 0 && s < source.Width()) ? static_cast<int>(s) : -1;
    }
    for (int64_t y = rows.begin; y < rows.end; ++y) {
        const int64_t s = src.top + NearestSource(y - dst.top, dh, sh);
        if (s < 0 || s >= source.Height()) continue;
        const auto from = source.Row(static_cast<int>(s));
        Pixel* to = target_.Row(static_cast<int>(y)).data() + cols.begin;
        for (size_t i = 0; i < sourceX.size(); ++i) {
            if (sourceX[i] >= 0) to[i] = from[static_cast<size_t>(sourceX[i])];
        }
    }
}

void Canvas::DrawIndexed8(int dstX, int dstY, int width, int height, std::span<const uint8_t> pixels,
                          std::span<const uint16_t, 256> colorIndex, const Palette& palette)
{
    if (width <= 0 || height <= 0) return;
    // A buffer shorter than the picture it claims to be is refused whole.
    if (pixels.size() / static_cast<size_t>(width) < static_cast<size_t>(height)) return;

    std::array<Pixel, 256> colours{};
    for (size_t b = 0; b < colours.size(); ++b) {
        const uint16_t index = colorIndex[b];
        colours[b] = index < palette.entries.size() ? palette.entries[index].ToPixel() : kBlack.ToPixel();
    }

    const Interval cols = Intersect({dstX, int64_t{dstX} + width}, {0, target_.Width()});
    const Interval rows = Intersect({dstY, int64_t{dstY} + height}, {0, target_.Height()});
    if (cols.begin >= cols.end || rows.begin >= rows.end) return;
    const auto count = static_cast<size_t>(cols.end - cols.begin);
    const auto skip = static_cast<size_t>(cols.begin - dstX);
    for (int64_t y = rows.begin; y < rows.end; ++y) {
        // The data's first row is the picture's bottom row.
        const auto dataRow = static_cast<size_t>(int64_t{dstY} + height - 1 - y);
        const uint8_t* from = pixels.data() + dataRow * static_cast<size_t>(width) + skip;
        Pixel* to = target_.Row(static_cast<int>(y)).data() + cols.begin;
        for (size_t i = 0; i < count; ++i)
            to[i] = colours[from[i]];
    }
}

}  // namespace nuvix::gfx
