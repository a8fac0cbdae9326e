#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace nuvix {

// A bitmap information block: the 40-byte information header of a 320 x 240, 8-bit bottom-up
// picture, then a 1,024-byte colour-table area.
inline constexpr size_t kBitmapInfoHeaderSize = 40;
inline constexpr size_t kColourTableSize = 1024;
inline constexpr size_t kBitmapInfoSize = kBitmapInfoHeaderSize + kColourTableSize;
using BitmapInfoBlock = std::array<uint8_t, kBitmapInfoSize>;

inline constexpr int kPaletteSize = 256;

// For drawing: the colour table holds the 16-bit palette indices 0..255 (the first 512 bytes of
// the area; the rest is zero), and all 256 colours are important.
BitmapInfoBlock BuildDisplayInfo();

// For files: the colour table holds 256 grey entries, blue = green = red = i, fourth byte 0.
BitmapInfoBlock BuildFileInfo();

// The palette indices of a drawing block's colour table, as the drawing code looks them up.
std::array<uint16_t, kPaletteSize> DisplayColourIndices(const BitmapInfoBlock& displayInfo);

// One entry of the grey logical palette.
struct PaletteEntry {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t flags = 0;

    friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};

// Keeps the entry from being matched to another one that happens to have the same colour.
inline constexpr uint8_t kPaletteNoCollapse = 4;

// The fixed grey palette: entry i is the grey level i. No setting changes it.
std::array<PaletteEntry, kPaletteSize> BuildGreyPalette();

}  // namespace nuvix
