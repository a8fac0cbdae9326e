#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace nuvix::gfx {

// Pixels are 32-bit 0x00RRGGBB.
using Pixel = uint32_t;

struct Color {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;

    constexpr Pixel ToPixel() const { return (Pixel{r} << 16) | (Pixel{g} << 8) | Pixel{b}; }
    static constexpr Color FromPixel(Pixel p)
    {
        return {static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p)};
    }
    friend bool operator==(const Color&, const Color&) = default;
};

inline constexpr Color kBlack{0, 0, 0};
inline constexpr Color kWhite{255, 255, 255};

// A table of 256 colours, separate from any bitmap.
struct Palette {
    std::array<Color, 256> entries{};

    // Entry i is the grey level i.
    static Palette Grey()
    {
        Palette p;
        for (int i = 0; i < 256; ++i) {
            const auto v = static_cast<uint8_t>(i);
            p.entries[static_cast<size_t>(i)] = {v, v, v};
        }
        return p;
    }
};

}  // namespace nuvix::gfx
