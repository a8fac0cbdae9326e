#include "platform/gfx/Canvas.h"

#include "platform/gfx_test_support.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace nuvix::gfx {
namespace {

using gfxtest::CountWhere;
using gfxtest::Patterned;

constexpr Color kRed{255, 0, 0};
constexpr Pixel kRedPixel = 0xFF0000u;

struct LineCase {
    std::string name;
    Point from;
    Point to;
};

TEST(GfxLine, CoversStartNotEndAndOnePixelPerStep)
{
    const std::vector<LineCase> cases = {
        {"right", {2, 5}, {12, 5}},   {"left", {12, 5}, {2, 5}},      {"down", {5, 2}, {5, 14}},
        {"up", {5, 14}, {5, 2}},      {"diagonal", {1, 1}, {11, 11}}, {"anti", {11, 1}, {1, 11}},
        {"shallow", {0, 3}, {15, 8}}, {"steep", {14, 15}, {9, 0}},    {"one step", {7, 7}, {8, 7}},
    };
    for (const auto& c : cases) {
        Bitmap bm(16, 16);
        Canvas canvas(bm);
        canvas.SetPen(Pen::Solid(kRed));
        canvas.DrawLine(c.from, c.to);
        EXPECT_EQ(bm.At(c.from.x, c.from.y), kRedPixel) << c.name;
        EXPECT_EQ(bm.At(c.to.x, c.to.y), 0u) << c.name;
        const int steps = std::max(std::abs(c.to.x - c.from.x), std::abs(c.to.y - c.from.y));
        EXPECT_EQ(CountWhere(bm, kRedPixel), steps) << c.name;
    }
}

TEST(GfxLine, SamePointDrawsNothing)
{
    Bitmap bm(8, 8);
    Canvas canvas(bm);
    canvas.SetPen(Pen::Solid(kRed, 3));
    canvas.DrawLine({4, 4}, {4, 4});
    EXPECT_EQ(CountWhere(bm, kRedPixel), 0);
}

TEST(GfxLine, ClippedLineKeepsTheUnclippedPixels)
{
    // The same lines drawn whole on a large bitmap and clipped on a small window of it.
    const std::vector<LineCase> cases = {
        {"shallow", {-50, -20}, {70, 30}}, {"steep", {35, 90}, {-5, -60}}, {"odd slope", {-33, 41}, {57, -7}}};
    constexpr int kOffset = 100;
    for (const auto& c : cases) {
        Bitmap whole(300, 300, 0xFFFFFF);
        Canvas(whole).DrawLine({c.from.x + kOffset, c.from.y + kOffset}, {c.to.x + kOffset, c.to.y + kOffset});
        Bitmap window(40, 40, 0xFFFFFF);
        Canvas(window).DrawLine(c.from, c.to);
        for (int y = 0; y < 40; ++y) {
            for (int x = 0; x < 40; ++x) {
                ASSERT_EQ(window.At(x, y) == 0, whole.At(x + kOffset, y + kOffset) == 0)
                    << c.name << " " << x << "," << y;
            }
        }
    }
}

// Every primitive of the system's inverting overlays, in a few pen widths.
struct Primitive {
    std::string name;
    int penWidth;
    bool brush;
    std::function<void(Canvas&)> draw;
};

std::vector<Primitive> Primitives()
{
    std::vector<Primitive> all;
    for (int w : {1, 2, 3}) {
        for (bool brush : {false, true}) {
            all.push_back({"line", w, brush, [](Canvas& c) { c.DrawLine({3, 20}, {37, 4}); }});
            all.push_back({"rectangle", w, brush, [](Canvas& c) { c.DrawRectangle({5, 6, 30, 25}); }});
            all.push_back({"thin rectangle", w, brush, [](Canvas& c) { c.DrawRectangle({10, 10, 11, 20}); }});
            all.push_back({"ellipse", w, brush, [](Canvas& c) { c.DrawEllipse({4, 3, 36, 27}); }});
            all.push_back({"small ellipse", w, brush, [](Canvas& c) { c.DrawEllipse({20, 10, 32, 22}); }});
            all.push_back({"half outside", w, brush, [](Canvas& c) { c.DrawRectangle({-10, -5, 15, 12}); }});
        }
    }
    return all;
}

TEST(GfxNotMode, ComplementsExactlyTheCopyPenPixelsOnce)
{
    for (const auto& p : Primitives()) {
        const std::string label = p.name + " w" + std::to_string(p.penWidth) + (p.brush ? " brush" : "");
        const Bitmap original = Patterned(40, 30);

        Bitmap painted = original;
        Canvas paint(painted);
        paint.SetPen(Pen::Solid(kWhite, p.penWidth));
        paint.SetBrush(p.brush ? Brush::White() : Brush::Null());
        p.draw(paint);

        Bitmap inverted = original;
        Canvas invert(inverted);
        invert.SetPen(Pen::Solid(kWhite, p.penWidth));
        invert.SetBrush(p.brush ? Brush::Black() : Brush::Null());
        invert.SetRasterOp(RasterOp::Not);
        p.draw(invert);
        for (size_t i = 0; i < original.Pixels().size(); ++i) {
            const bool touched = painted.Pixels()[i] != original.Pixels()[i];
            const Pixel expected = touched ? (original.Pixels()[i] ^ 0xFFFFFFu) : original.Pixels()[i];
            ASSERT_EQ(inverted.Pixels()[i], expected) << label << " pixel " << i;
        }
        p.draw(invert);
        EXPECT_EQ(inverted, original) << label << ": a second drawing restores the picture";
    }
}

TEST(GfxRectangle, OutlineWithPenInsideWithBrushRightAndBottomExclusive)
{
    constexpr Pixel kGround = 0x404040u;
    const Pixel brushPixel = 0x0000FFu;
    struct Case {
        std::string name;
        Pen pen;
        Brush brush;
        Pixel edge;    // expected on the outermost ring
        Pixel inside;  // expected inside the ring
    };
    const std::vector<Case> cases = {
        {"pen and brush", Pen::Solid(kRed), Brush::Solid({0, 0, 255}), kRedPixel, brushPixel},
        {"null brush", Pen::Solid(kRed), Brush::Null(), kRedPixel, kGround},
        {"null pen", Pen::Null(), Brush::Solid({0, 0, 255}), brushPixel, brushPixel},
        {"neither", Pen::Null(), Brush::Null(), kGround, kGround},
    };
    const Rect r{2, 3, 9, 8};
    for (const auto& c : cases) {
        Bitmap bm(12, 12, kGround);
        Canvas canvas(bm);
        canvas.SetPen(c.pen);
        canvas.SetBrush(c.brush);
        canvas.DrawRectangle(r);
        for (int y = 0; y < 12; ++y) {
            for (int x = 0; x < 12; ++x) {
                const bool in = r.Contains({x, y});
                const bool ring = in && (x == r.left || x == r.right - 1 || y == r.top || y == r.bottom - 1);
                const Pixel want = !in ? kGround : ring ? c.edge : c.inside;
                ASSERT_EQ(bm.At(x, y), want) << c.name << " at " << x << "," << y;
            }
        }
    }
}

TEST(GfxShapes, DegenerateOrNullDrawsNothing)
{
    const std::vector<std::pair<std::string, std::function<void(Canvas&)>>> cases = {
        {"empty rectangle",
         [](Canvas& c) {
             c.DrawRectangle({5, 5, 5, 9});
         }},
        {"inverted rectangle",
         [](Canvas& c) {
             c.DrawRectangle({9, 9, 4, 4});
         }},
        {"flat ellipse",
         [](Canvas& c) {
             c.DrawEllipse({3, 6, 12, 6});
         }},
        {"null pen line",
         [](Canvas& c) {
             c.SetPen(Pen::Null());
             c.DrawLine({0, 0}, {15, 15});
         }},
        {"null pen and brush ellipse",
         [](Canvas& c) {
             c.SetPen(Pen::Null());
             c.SetBrush(Brush::Null());
             c.DrawEllipse({1, 1, 14, 14});
         }},
        {"null brush fill",
         [](Canvas& c) {
             c.FillRect({0, 0, 16, 16}, Brush::Null());
         }},
    };
    for (const auto& [name, draw] : cases) {
        Bitmap bm = Patterned(16, 16);
        const Bitmap before = bm;
        Canvas canvas(bm);
        draw(canvas);
        EXPECT_EQ(bm, before) << name;
    }
}

TEST(GfxEllipse, SymmetricInsideItsBoxAndTouchingEverySide)
{
    const std::vector<Rect> boxes = {{0, 0, 1, 1},   {0, 0, 2, 2},  {2, 2, 14, 14},
                                     {3, 1, 14, 12}, {1, 0, 4, 20}, {0, 5, 19, 8}};
    for (const Rect& box : boxes) {
        Bitmap bm(20, 20);
        Canvas canvas(bm);
        canvas.SetPen(Pen::Solid(kRed));
        canvas.SetBrush(Brush::Solid({0, 255, 0}));
        canvas.DrawEllipse(box);
        bool left = false, right = false, top = false, bottom = false;
        for (int y = 0; y < 20; ++y) {
            for (int x = 0; x < 20; ++x) {
                const Pixel p = bm.At(x, y);
                if (p == 0) continue;
                ASSERT_TRUE(box.Contains({x, y})) << "outside the box at " << x << "," << y;
                ASSERT_EQ(p, bm.At(box.left + box.right - 1 - x, y)) << "left-right mirror";
                ASSERT_EQ(p, bm.At(x, box.top + box.bottom - 1 - y)) << "top-bottom mirror";
                left |= x == box.left;
                right |= x == box.right - 1;
                top |= y == box.top;
                bottom |= y == box.bottom - 1;
            }
        }
        EXPECT_TRUE(left && right && top && bottom) << box.left << "," << box.top << "," << box.right;
    }
}

TEST(GfxClipping, FarOutsidePrimitivesStayInBoundsAndDrawTheirVisiblePart)
{
    Bitmap bm(32, 24);
    Canvas canvas(bm);
    canvas.SetPen(Pen::Solid(kRed));
    canvas.SetBrush(Brush::Null());
    canvas.DrawLine({-1000000000, -1000000000}, {1000000000, 1000000000});
    for (int i = 0; i < 24; ++i)
        EXPECT_EQ(bm.At(i, i), kRedPixel) << i;
    EXPECT_EQ(CountWhere(bm, kRedPixel), 24);

    canvas.SetRasterOp(RasterOp::Not);
    const Bitmap before = bm;
    const auto overlays = [&] {
        canvas.DrawRectangle({INT_MIN, INT_MIN, INT_MAX, INT_MAX});
        canvas.DrawRectangle({-5, 2, 1000000000, 10});
        canvas.DrawEllipse({-2000000000, -3, 2000000000, 40});
        canvas.DrawLine({INT_MIN, 3}, {INT_MAX, 20});
        canvas.DrawLine({16, INT_MAX}, {16, INT_MIN});
    };
    overlays();
    EXPECT_NE(bm, before);
    overlays();
    EXPECT_EQ(bm, before);

    canvas.SetPen(Pen::Solid(kRed, 1000));
    canvas.DrawLine({INT_MAX, INT_MAX}, {INT_MIN, INT_MAX});
    canvas.FillRect({INT_MIN, INT_MIN, INT_MAX, INT_MAX}, Brush::Solid(kRed));
    EXPECT_EQ(CountWhere(bm, kRedPixel), 32 * 24);
}

}  // namespace
}  // namespace nuvix::gfx
