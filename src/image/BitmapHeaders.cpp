#include "image/BitmapHeaders.h"

#include "image/FrameGeometry.h"

namespace nuvix {

namespace {

constexpr uint32_t kUncompressed = 0;  // BI_RGB
constexpr uint16_t kBitsPerPixel = 8;
constexpr size_t kDisplayIndexSize = 2;
constexpr size_t kGreyEntrySize = 4;

void Put(BitmapInfoBlock& block, size_t offset, uint32_t value, size_t size)
{
    for (size_t i = 0; i < size; ++i)
        block[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

// The information header; the two blocks differ only in how many colours are important.
BitmapInfoBlock HeaderOnly(uint32_t importantColours)
{
    BitmapInfoBlock block{};
    Put(block, 0, kBitmapInfoHeaderSize, 4);  // biSize
    Put(block, 4, kFrameWidth, 4);            // biWidth
    Put(block, 8, kFrameHeight, 4);           // biHeight, positive: rows run bottom-up
    Put(block, 12, 1, 2);                     // biPlanes
    Put(block, 14, kBitsPerPixel, 2);         // biBitCount
    Put(block, 16, kUncompressed, 4);         // biCompression
    // biSizeImage, biXPelsPerMeter, biYPelsPerMeter, biClrUsed (0: the full 256 entries) stay zero.
    Put(block, 36, importantColours, 4);  // biClrImportant
    return block;
}

}  // namespace

BitmapInfoBlock BuildDisplayInfo()
{
    BitmapInfoBlock block = HeaderOnly(kPaletteSize);
    for (int i = 0; i < kPaletteSize; ++i) {
        Put(block, kBitmapInfoHeaderSize + kDisplayIndexSize * static_cast<size_t>(i), static_cast<uint32_t>(i),
            kDisplayIndexSize);
    }
    return block;
}

BitmapInfoBlock BuildFileInfo()
{
    BitmapInfoBlock block = HeaderOnly(0);
    for (int i = 0; i < kPaletteSize; ++i) {
        const size_t entry = kBitmapInfoHeaderSize + kGreyEntrySize * static_cast<size_t>(i);
        const auto level = static_cast<uint8_t>(i);
        block[entry + 0] = level;  // blue
        block[entry + 1] = level;  // green
        block[entry + 2] = level;  // red
        block[entry + 3] = 0;
    }
    return block;
}

std::array<uint16_t, kPaletteSize> DisplayColourIndices(const BitmapInfoBlock& displayInfo)
{
    std::array<uint16_t, kPaletteSize> indices{};
    for (size_t i = 0; i < indices.size(); ++i) {
        const size_t at = kBitmapInfoHeaderSize + kDisplayIndexSize * i;
        indices[i] = static_cast<uint16_t>(displayInfo[at] | (displayInfo[at + 1] << 8));
    }
    return indices;
}

std::array<PaletteEntry, kPaletteSize> BuildGreyPalette()
{
    std::array<PaletteEntry, kPaletteSize> palette{};
    for (size_t i = 0; i < palette.size(); ++i) {
        const auto level = static_cast<uint8_t>(i);
        palette[i] = {level, level, level, kPaletteNoCollapse};
    }
    return palette;
}

}  // namespace nuvix
