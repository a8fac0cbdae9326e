#pragma once

#include "platform/gfx/Color.h"

#include <cassert>
#include <span>
#include <vector>

namespace nuvix::gfx {

// A 32-bit RGB picture held by value. Row 0 is the top row.
class Bitmap {
public:
    Bitmap() = default;
    Bitmap(int width, int height, Pixel fill = 0)
        : width_(width), height_(height), pixels_(static_cast<size_t>(width) * static_cast<size_t>(height), fill)
    {
    }

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

    std::span<Pixel> Row(int y)
    {
        assert(y >= 0 && y < height_);
        return {pixels_.data() + static_cast<size_t>(y) * static_cast<size_t>(width_), static_cast<size_t>(width_)};
    }
    std::span<const Pixel> Row(int y) const
    {
        assert(y >= 0 && y < height_);
        return {pixels_.data() + static_cast<size_t>(y) * static_cast<size_t>(width_), static_cast<size_t>(width_)};
    }
    Pixel At(int x, int y) const { return Row(y)[static_cast<size_t>(x)]; }
    void Set(int x, int y, Pixel p) { Row(y)[static_cast<size_t>(x)] = p; }

    std::span<Pixel> Pixels() { return pixels_; }
    std::span<const Pixel> Pixels() const { return pixels_; }

    void Resize(int width, int height, Pixel fill = 0)
    {
        width_ = width;
        height_ = height;
        pixels_.assign(static_cast<size_t>(width) * static_cast<size_t>(height), fill);
    }

    friend bool operator==(const Bitmap&, const Bitmap&) = default;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<Pixel> pixels_;
};

}  // namespace nuvix::gfx
