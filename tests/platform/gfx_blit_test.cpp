#include "platform/gfx/Canvas.h"

#include "platform/gfx_test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

namespace nuvix::gfx {
namespace {

using gfxtest::Patterned;

TEST(GfxStretch, DoublesEachPixelIntoATwoByTwoBlock)
{
    // The zoom of every frame: a 100 x 100 box of the back buffer onto (100, 250), 200 x 200,
    // within the same bitmap; then the same partly off the target, and overlapping its source.
    struct Case {
        std::string name;
        Point dst;
    };
    const Point box{110, 70};
    for (const Case& c : {Case{"whole", {100, 250}}, Case{"clipped", {170, 250}}, Case{"overlapping", {60, 40}}}) {
        Bitmap bm = Patterned(320, 460);
        const Bitmap before = bm;
        Canvas(bm).StretchBlock(Rect::FromSize(c.dst.x, c.dst.y, 200, 200), bm, Rect::FromSize(box.x, box.y, 100, 100));
        for (int y = 0; y < 460; ++y) {
            for (int x = 0; x < 320; ++x) {
                const bool inZoom = Rect::FromSize(c.dst.x, c.dst.y, 200, 200).Contains({x, y});
                const Pixel want =
                    inZoom ? before.At(box.x + (x - c.dst.x) / 2, box.y + (y - c.dst.y) / 2) : before.At(x, y);
                ASSERT_EQ(bm.At(x, y), want) << c.name << " at " << x << "," << y;
            }
        }
    }
}

TEST(GfxStretch, OtherScalesTakeTheSourcePixelUnderEachCentre)
{
    const Bitmap source = Patterned(12, 12);
    struct Case {
        std::string name;
        Rect dst;
        Rect src;
        std::function<Point(int, int)> from;
    };
    const std::vector<Case> cases = {
        {"same size",
         {0, 0, 12, 12},
         {0, 0, 12, 12},
         [](int x, int y) {
             return Point{x, y};
         }},
        {"x3",
         {0, 0, 30, 30},
         {1, 2, 11, 12},
         [](int x, int y) {
             return Point{1 + x / 3, 2 + y / 3};
         }},
        {"/3",
         {0, 0, 4, 4},
         {0, 0, 12, 12},
         [](int x, int y) {
             return Point{3 * x + 1, 3 * y + 1};
         }},
        {"x2 by /2",
         {0, 0, 24, 6},
         {0, 0, 12, 12},
         [](int x, int y) {
             return Point{x / 2, 2 * y + 1};
         }},
    };
    for (const auto& c : cases) {
        Bitmap bm(30, 30);
        Canvas(bm).StretchBlock(c.dst, source, c.src);
        for (int y = 0; y < c.dst.Height(); ++y) {
            for (int x = 0; x < c.dst.Width(); ++x) {
                const Point s = c.from(x, y);
                ASSERT_EQ(bm.At(x, y), source.At(s.x, s.y)) << c.name << " at " << x << "," << y;
            }
        }
    }
}

TEST(GfxCopyBlock, OverlappingCopyWithinOneBitmapReadsTheOriginal)
{
    for (const Point shift : {Point{1, 0}, Point{-1, 0}, Point{0, 1}, Point{0, -1}, Point{3, -2}, Point{-4, 5}}) {
        Bitmap bm = Patterned(24, 20);
        const Bitmap before = bm;
        Canvas(bm).CopyBlock(4 + shift.x, 4 + shift.y, 12, 10, bm, 4, 4);
        for (int y = 0; y < 20; ++y) {
            for (int x = 0; x < 24; ++x) {
                const bool moved = Rect::FromSize(4 + shift.x, 4 + shift.y, 12, 10).Contains({x, y});
                const Pixel want = moved ? before.At(x - shift.x, y - shift.y) : before.At(x, y);
                ASSERT_EQ(bm.At(x, y), want) << shift.x << "," << shift.y << " at " << x << "," << y;
            }
        }
    }
}

TEST(GfxCopyBlock, ClipsToTargetAndSource)
{
    const Bitmap source = Patterned(10, 10);
    Bitmap bm(10, 10);
    Canvas canvas(bm);
    canvas.CopyBlock(-3, 4, 10, 10, source, -2, 0);  // source columns -2 .. 7 land at -3 .. 6
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            const int sx = x + 1;
            const bool copied = y >= 4 && x <= 6 && sx >= 0;
            ASSERT_EQ(bm.At(x, y), copied ? source.At(sx, y - 4) : 0u) << x << "," << y;
        }
    }
    const Bitmap after = bm;
    canvas.CopyBlock(INT_MAX - 5, INT_MIN, INT_MAX, INT_MAX, source, INT_MIN, 0);
    canvas.StretchBlock({INT_MIN, INT_MIN, INT_MAX, INT_MAX}, source, {-1000000000, 0, 1000000010, 5});
    EXPECT_NE(bm, after) << "the visible part of a huge stretch is drawn";
}

TEST(GfxIndexed8, FirstRowOfDataIsTheBottomRowThroughTheColourIndexTable)
{
    constexpr int kW = 320;
    constexpr int kH = 240;
    std::vector<uint8_t> frame(kW * kH);
    for (int r = 0; r < kH; ++r) {
        for (int x = 0; x < kW; ++x)
            frame[static_cast<size_t>(r * kW + x)] = static_cast<uint8_t>((r * 3 + x) & 0xFF);
    }
    std::array<uint16_t, 256> identity{};
    std::iota(identity.begin(), identity.end(), uint16_t{0});
    std::array<uint16_t, 256> reversed{};
    for (size_t i = 0; i < 256; ++i)
        reversed[i] = static_cast<uint16_t>(255 - i);
    const Palette grey = Palette::Grey();

    struct Case {
        std::string name;
        const std::array<uint16_t, 256>* table;
    };
    for (const Case& c : {Case{"identity", &identity}, Case{"reversed", &reversed}}) {
        Bitmap bm(kW, 460, 0x123456);
        Canvas(bm).DrawIndexed8(0, 0, kW, kH, frame, *c.table, grey);
        for (int y = 0; y < 460; ++y) {
            for (int x = 0; x < kW; ++x) {
                Pixel want = 0x123456;
                if (y < kH) {
                    const uint8_t v = frame[static_cast<size_t>((kH - 1 - y) * kW + x)];
                    want = grey.entries[(*c.table)[v]].ToPixel();
                }
                ASSERT_EQ(bm.At(x, y), want) << c.name << " at " << x << "," << y;
            }
        }
    }

    Bitmap small(40, 30);
    const Bitmap blank = small;
    Canvas canvas(small);
    canvas.DrawIndexed8(0, 0, kW, kH + 1, frame, identity, grey);  // claims more rows than it has
    EXPECT_EQ(small, blank);
    canvas.DrawIndexed8(-300, -220, kW, kH, frame, identity, grey);
    EXPECT_EQ(small.At(0, 0), grey.entries[frame[(kH - 1 - 220) * kW + 300]].ToPixel());
}

}  // namespace
}  // namespace nuvix::gfx
