#include "image/BitmapHeaders.h"

#include <gtest/gtest.h>

namespace nuvix {
namespace {

uint32_t LittleEndianAt(const BitmapInfoBlock& block, size_t offset, size_t size)
{
    uint32_t value = 0;
    for (size_t i = 0; i < size; ++i)
        value |= uint32_t{block.at(offset + i)} << (8 * i);
    return value;
}

// The two information headers differ only in how many colours are important.
TEST(BitmapHeaders, InformationHeaders)
{
    const struct {
        const char* name;
        BitmapInfoBlock block;
        uint32_t importantColours;
    } blocks[] = {{"displayInfo", BuildDisplayInfo(), 256}, {"fileInfo", BuildFileInfo(), 0}};
    for (const auto& b : blocks) {
        const struct {
            size_t offset;
            size_t size;
            uint32_t value;
        } fields[] = {
            {0, 4, 40},
            {4, 4, 320},
            {8, 4, 240},
            {12, 2, 1},
            {14, 2, 8},
            {16, 4, 0},
            {20, 4, 0},
            {24, 4, 0},
            {28, 4, 0},
            {32, 4, 0},
            {36, 4, b.importantColours},
        };
        for (const auto& f : fields) {
            EXPECT_EQ(LittleEndianAt(b.block, f.offset, f.size), f.value) << b.name << " offset " << f.offset;
        }
    }
}

TEST(BitmapHeaders, DisplayTableHoldsPaletteIndices)
{
    const BitmapInfoBlock block = BuildDisplayInfo();
    for (uint32_t i = 0; i < 256; ++i)
        EXPECT_EQ(LittleEndianAt(block, 40 + 2 * i, 2), i) << i;
    for (size_t at = 40 + 512; at < block.size(); ++at)
        EXPECT_EQ(block[at], 0) << at;

    const auto indices = DisplayColourIndices(block);
    for (size_t i = 0; i < indices.size(); ++i)
        EXPECT_EQ(indices[i], i);
}

TEST(BitmapHeaders, FileTableAndPaletteAreGrey)
{
    const BitmapInfoBlock block = BuildFileInfo();
    const auto palette = BuildGreyPalette();
    for (uint32_t i = 0; i < 256; ++i) {
        EXPECT_EQ(LittleEndianAt(block, 40 + 4 * i, 4), i * 0x010101u) << i;  // blue, green, red, 0
        const auto level = static_cast<uint8_t>(i);
        EXPECT_EQ(palette[i], (PaletteEntry{level, level, level, kPaletteNoCollapse})) << i;
    }
}

}  // namespace
}  // namespace nuvix
