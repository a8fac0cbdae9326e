#include "platform/gfx/Canvas.h"

#include "platform/gfx_test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

namespace nuvix::gfx {
namespace {

using gfxtest::Mismatch;
using gfxtest::Patterned;

TEST(GfxStretch, DoublesEachPixelIntoATwoByTwoBlock)
{
    // The zoom of every frame: a 100 x 100 box of the back buffer onto (100, 250), 200 x 200,
    // within the same bitmap; then the same partly off the target, and overlapping its source.
    const Point box{110, 70};
    for (const Point dst : {Point{100, 250}, Point{170, 250}, Point{60, 40}}) {
        Bitmap bm = Patterned(320, 460);
        const Bitmap before = bm;
        const Rect zoom = Rect::FromSize(dst.x, dst.y, 200, 200);
        Canvas(bm).StretchBlock(zoom, bm, Rect::FromSize(box.x, box.y, 100, 100));
        EXPECT_EQ(Mismatch(bm,
                           [&](int x, int y) {
                               return zoom.Contains({x, y})
                                          ? before.At(box.x + (x - dst.x) / 2, box.y + (y - dst.y) / 2)
                                          : before.At(x, y);
                           }),
                  "")
            << dst.x << "," << dst.y;
    }
}

TEST(GfxStretch, OtherScalesTakeTheSourcePixelUnderEachCentre)
{
    const Bitmap source = Patterned(12, 12);
    struct Case {
        std::string name;
        Rect dst;
        Rect src;
        std::function<Pixel(int, int)> want;
    };
    const std::vector<Case> cases = {
        {"same size", {0, 0, 12, 12}, {0, 0, 12, 12}, [&](int x, int y) { return source.At(x, y); }},
        {"x3", {0, 0, 30, 30}, {1, 2, 11, 12}, [&](int x, int y) { return source.At(1 + x / 3, 2 + y / 3); }},
        {"/3", {0, 0, 4, 4}, {0, 0, 12, 12}, [&](int x, int y) { return source.At(3 * x + 1, 3 * y + 1); }},
        {"x2 by /2", {0, 0, 24, 6}, {0, 0, 12, 12}, [&](int x, int y) { return source.At(x / 2, 2 * y + 1); }},
    };
    for (const auto& c : cases) {
        Bitmap bm(c.dst.right, c.dst.bottom);
        Canvas(bm).StretchBlock(c.dst, source, c.src);
        EXPECT_EQ(Mismatch(bm, c.want), "") << c.name;
    }
}

TEST(GfxCopyBlock, OverlappingCopyWithinOneBitmapReadsTheOriginal)
{
    for (const Point shift : {Point{1, 0}, Point{-1, 0}, Point{0, 1}, Point{0, -1}, Point{3, -2}, Point{-4, 5}}) {
        Bitmap bm = Patterned(24, 20);
        const Bitmap before = bm;
        const Rect moved = Rect::FromSize(4 + shift.x, 4 + shift.y, 12, 10);
        Canvas(bm).CopyBlock(moved.left, moved.top, 12, 10, bm, 4, 4);
        EXPECT_EQ(Mismatch(bm,
                           [&](int x, int y) {
                               return moved.Contains({x, y}) ? before.At(x - shift.x, y - shift.y) : before.At(x, y);
                           }),
                  "")
            << shift.x << "," << shift.y;
    }
}

TEST(GfxIndexed8, FirstRowOfDataIsTheBottomRowThroughTheColourIndexTable)
{
    constexpr int kW = 320;
    constexpr int kH = 240;
    std::vector<uint8_t> frame(kW * kH);
    for (size_t i = 0; i < frame.size(); ++i)
        frame[i] = static_cast<uint8_t>(i / kW * 3 + i % kW);
    const auto data = [&](int x, int row) { return frame[static_cast<size_t>(row * kW + x)]; };
    std::array<uint16_t, 256> identity{};
    std::iota(identity.begin(), identity.end(), uint16_t{0});
    std::array<uint16_t, 256> reversed{};
    for (size_t i = 0; i < 256; ++i)
        reversed[i] = static_cast<uint16_t>(255 - i);
    const Palette grey = Palette::Grey();

    for (const auto* table : {&identity, &reversed}) {
        Bitmap bm(kW, 460, 0x123456);
        Canvas(bm).DrawIndexed8(0, 0, kW, kH, frame, *table, grey);
        EXPECT_EQ(Mismatch(bm,
                           [&](int x, int y) {
                               return y < kH ? grey.entries[(*table)[data(x, kH - 1 - y)]].ToPixel() : 0x123456u;
                           }),
                  "");
    }

    Bitmap small(40, 30);
    Canvas canvas(small);
    canvas.DrawIndexed8(0, 0, kW, kH + 1, frame, identity, grey);  // claims more rows than it holds
    EXPECT_EQ(small, Bitmap(40, 30));
    canvas.DrawIndexed8(-300, -220, kW, kH, frame, identity, grey);
    EXPECT_EQ(Mismatch(small,
                       [&](int x, int y) {
                           return x < 20 && y < 20 ? grey.entries[data(x + 300, kH - 1 - (y + 220))].ToPixel() : 0u;
                       }),
              "");
}

}  // namespace
}  // namespace nuvix::gfx
