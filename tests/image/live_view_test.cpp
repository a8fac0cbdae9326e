#include "image/LiveView.h"

#include <gtest/gtest.h>

#include <set>

namespace nuvix {
namespace {

using liveview::PlaceBox;

TEST(PlaceBox, CentresOnTheClickWithinThePicture)
{
    struct Case {
        gfx::Point click;
        int left, top;
    };
    const Case cases[] = {
        {{0, 0}, 0, 0},      {{319, 239}, 220, 140}, {{160, 120}, 110, 70},
        {{49, 200}, 0, 140}, {{-500, 30}, 0, 0},     {{1000, 100}, 220, 50},
    };
    for (const Case& c : cases) {
        TrackingState t;
        EXPECT_TRUE(PlaceBox(t, c.click));
        EXPECT_EQ(t.boxLeft, c.left) << c.click.x << "," << c.click.y;
        EXPECT_EQ(t.boxTop, c.top) << c.click.x << "," << c.click.y;
    }
    TrackingState t;
    EXPECT_FALSE(PlaceBox(t, {10, 240}));
    EXPECT_EQ(t.boxLeft, 110);
    EXPECT_EQ(t.boxTop, 70);
}

TEST(PlaceBox, WhileGuidingTheReferenceStaysInsideTheBox)
{
    TrackingState t;
    t.trackingOn = true;
    t.refX = 150;
    t.refY = 100;
    std::set<int> lefts, tops;
    for (int y = 0; y < 240; y += 3) {
        for (int x = -20; x < 340; x += 3) {
            PlaceBox(t, {x, y});
            lefts.insert(t.boxLeft);
            tops.insert(t.boxTop);
        }
    }
    EXPECT_EQ(*lefts.begin(), 54);
    EXPECT_EQ(*lefts.rbegin(), 146);
    EXPECT_EQ(*tops.begin(), 4);
    EXPECT_EQ(*tops.rbegin(), 96);
    // Near the picture's edge the bounds win over the picture: the box reaches outside.
    t.refX = 2;
    t.refY = 238;
    PlaceBox(t, {300, 10});
    EXPECT_EQ(t.boxLeft, -2);
    EXPECT_EQ(t.boxTop, 142);
}

class Overlay : public ::testing::Test {
protected:
    Overlay() : window(320, 460, gfx::Color{30, 60, 90}.ToPixel()), canvas(window)
    {
        for (int y = 0; y < 460; ++y) {
            for (int x = 0; x < 320; ++x)
                window.Set(x, y, gfx::Color{uint8_t(x), uint8_t(y), 7}.ToPixel());
        }
    }
    std::vector<int> RedColumnsInRow(int y) const
    {
        std::vector<int> xs;
        for (int x = 0; x < 320; ++x) {
            if (window.At(x, y) == kRed.ToPixel()) xs.push_back(x);
        }
        return xs;
    }

    static constexpr gfx::Color kRed{255, 0, 0};
    gfx::Bitmap window;
    gfx::Canvas canvas;
    TrackingState t;
};

TEST_F(Overlay, InvertedOutlineAndReticleDrawnTwiceRestoreThePicture)
{
    const gfx::Bitmap before = window;
    liveview::InvertBoxOutline(canvas, t);
    liveview::InvertReticleLines(canvas, t);
    EXPECT_NE(window, before);
    EXPECT_EQ(window.At(110, 100), 0xFFFFFFu ^ before.At(110, 100));
    liveview::InvertReticleLines(canvas, t);
    liveview::InvertBoxOutline(canvas, t);
    EXPECT_EQ(window, before);
}

TEST_F(Overlay, ReticleTicksEveryTenArcseconds)
{
    // 2 arcsec per pixel: a tick every 5 pixels, right of the centre (160) to the edge.
    liveview::DrawReticleTicks(canvas, t, 2.0f, gfx::Pen::Solid(kRed));
    std::vector<int> expected;
    for (int x = 5; x < 320; x += 5) {
        if (x != 160) expected.push_back(x);  // the centre itself has none
    }
    EXPECT_EQ(RedColumnsInRow(t.boxTop + 50), expected);
}

TEST_F(Overlay, NoTicksWhenTheyWouldCrowdOrTheScaleIsUnknown)
{
    const gfx::Bitmap before = window;
    for (float scale :
         {5.0f, 7.5f, 0.0f, -1.0f, std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()}) {
        liveview::DrawReticleTicks(canvas, t, scale, gfx::Pen::Solid(kRed));
        EXPECT_EQ(window, before) << scale;
    }
}

TEST_F(Overlay, CrossHairArmsStopAtTheEdges)
{
    struct Case {
        int starX, starY;
        bool drawn, up, down, left, right;
    };
    const Case cases[] = {
        {0, 50, false, false, false, false, false},   {50, 0, false, false, false, false, false},
        {100, 50, false, false, false, false, false}, {50, 50, true, true, true, true, true},
        {5, 50, true, true, true, false, true},       {95, 50, true, true, true, true, false},
        {50, 5, true, false, true, true, true},       {50, 95, true, true, false, true, true},
    };
    const gfx::Color yellow{255, 255, 0};
    for (const Case& c : cases) {
        gfx::Bitmap surface(320, 460);
        gfx::Canvas dc(surface);
        t.starX = c.starX;
        t.starY = c.starY;
        liveview::DrawCrossHair(dc, t, gfx::Pen::Solid(yellow));
        const int cx = 2 * c.starX + 113, cy = 2 * c.starY + 252;
        const auto lit = [&](int x, int y) { return surface.Contains(x, y) && surface.At(x, y) == yellow.ToPixel(); };
        EXPECT_EQ(lit(cx, cy - 7), c.up) << c.starX << "," << c.starY;
        EXPECT_EQ(lit(cx, cy + 7), c.down) << c.starX << "," << c.starY;
        EXPECT_EQ(lit(cx - 7, cy), c.left) << c.starX << "," << c.starY;
        EXPECT_EQ(lit(cx + 7, cy), c.right) << c.starX << "," << c.starY;
        if (c.drawn) {
            EXPECT_FALSE(lit(cx, cy)) << "the star itself stays clear";
        }
    }
}

}  // namespace
}  // namespace nuvix
