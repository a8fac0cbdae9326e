#pragma once

#include "platform/gfx/Bitmap.h"

#include <cstdint>
#include <functional>
#include <string>

namespace nuvix::gfx::gfxtest {

// A bitmap whose pixels all differ from their neighbours and from black, white and their
// complements, so that a lost, doubled or misplaced write shows.
inline Bitmap Patterned(int width, int height)
{
    Bitmap bm(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bm.Set(x, y,
                   (static_cast<Pixel>(x) * 0x010307u + static_cast<Pixel>(y) * 0x0B0503u + 0x102030u) & 0x7F7F7Fu);
        }
    }
    return bm;
}

// The first pixel that differs from the expected picture, described; empty when none does.
inline std::string Mismatch(const Bitmap& bm, const std::function<Pixel(int, int)>& want)
{
    for (int y = 0; y < bm.Height(); ++y) {
        for (int x = 0; x < bm.Width(); ++x) {
            if (bm.At(x, y) != want(x, y)) {
                return "at " + std::to_string(x) + "," + std::to_string(y) + ": " + std::to_string(bm.At(x, y)) +
                       " instead of " + std::to_string(want(x, y));
            }
        }
    }
    return {};
}

inline int CountWhere(const Bitmap& bm, Pixel p)
{
    int n = 0;
    for (Pixel q : bm.Pixels())
        n += (q == p) ? 1 : 0;
    return n;
}

}  // namespace nuvix::gfx::gfxtest
