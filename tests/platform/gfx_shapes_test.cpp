#include "platform/gfx/Canvas.h"

#include "platform/gfx_test_support.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

namespace nuvix::gfx {
namespace {

using gfxtest::CountWhere;
using gfxtest::Mismatch;
using gfxtest::Patterned;

constexpr Pixel kRed = 0xFF0000u;

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
        canvas.SetPen(Pen::Solid(Color::FromPixel(kRed)));
        canvas.DrawLine(c.from, c.to);
        EXPECT_EQ(bm.At(c.from.x, c.from.y), kRed) << c.name;
        EXPECT_EQ(bm.At(c.to.x, c.to.y), 0u) << c.name;
        EXPECT_EQ(CountWhere(bm, kRed), std::max(std::abs(c.to.x - c.from.x), std::abs(c.to.y - c.from.y))) << c.name;
    }
}

TEST(GfxLine, ClippedLineKeepsTheUnclippedPixels)
{
    // Each line drawn whole on a large bitmap, and clipped on a 40 x 40 window of it.
    const std::vector<LineCase> cases = {
        {"shallow", {-50, -20}, {70, 30}}, {"steep", {35, 90}, {-5, -60}}, {"odd slope", {-33, 41}, {57, -7}}};
    for (const auto& c : cases) {
        Bitmap whole(300, 300, 0xFFFFFF);
        Canvas(whole).DrawLine({c.from.x + 100, c.from.y + 100}, {c.to.x + 100, c.to.y + 100});
        Bitmap window(40, 40, 0xFFFFFF);
        Canvas(window).DrawLine(c.from, c.to);
        EXPECT_EQ(Mismatch(window, [&](int x, int y) { return whole.At(x + 100, y + 100); }), "") << c.name;
    }
}

enum class Kind { Line, Rectangle, Ellipse };
struct Shape {
    std::string name;
    Kind kind;
    Rect r;  // a line runs from the top-left corner to the bottom-right one
};

void Draw(Canvas& c, const Shape& s)
{
    if (s.kind == Kind::Line) c.DrawLine({s.r.left, s.r.top}, {s.r.right, s.r.bottom});
    if (s.kind == Kind::Rectangle) c.DrawRectangle(s.r);
    if (s.kind == Kind::Ellipse) c.DrawEllipse(s.r);
}

TEST(GfxNotMode, ComplementsExactlyTheCopyPenPixelsOnce)
{
    // The inverting overlays must be undone by drawing them again, for every primitive and pen.
    const std::vector<Shape> shapes = {
        {"line", Kind::Line, {3, 20, 37, 4}},        {"rectangle", Kind::Rectangle, {5, 6, 30, 25}},
        {"thin", Kind::Rectangle, {10, 10, 11, 20}}, {"half outside", Kind::Rectangle, {-10, -5, 15, 12}},
        {"ellipse", Kind::Ellipse, {4, 3, 36, 27}},  {"small ellipse", Kind::Ellipse, {20, 10, 32, 22}},
    };
    const Bitmap original = Patterned(40, 30);
    for (const auto& shape : shapes) {
        for (int width : {1, 2, 3}) {
            for (const Brush brush : {Brush::Null(), Brush::White()}) {
                const std::string label = shape.name + " width " + std::to_string(width);
                Bitmap painted = original;
                Canvas paint(painted);
                paint.SetPen(Pen::Solid(kWhite, width));
                paint.SetBrush(brush);
                Draw(paint, shape);

                Bitmap inverted = original;
                Canvas invert(inverted);
                invert.SetPen(Pen::Solid(kWhite, width));
                invert.SetBrush(brush);
                invert.SetRasterOp(RasterOp::Not);
                Draw(invert, shape);
                const auto complementWherePainted = [&](int x, int y) {
                    const Pixel p = original.At(x, y);
                    return painted.At(x, y) != p ? (p ^ 0xFFFFFFu) : p;
                };
                EXPECT_EQ(Mismatch(inverted, complementWherePainted), "") << label;
                Draw(invert, shape);
                EXPECT_EQ(inverted, original) << label << ": drawing again restores the picture";
            }
        }
    }
}

TEST(GfxRectangle, OutlineWithPenInsideWithBrushRightAndBottomExclusive)
{
    constexpr Pixel kGround = 0x404040u;
    constexpr Pixel kBlue = 0x0000FFu;
    struct Case {
        std::string name;
        Pen pen;
        Brush brush;
        Pixel ring;  // expected on the rectangle's outermost pixels
        Pixel inside;
    };
    const std::vector<Case> cases = {
        {"pen and brush", Pen::Solid(Color::FromPixel(kRed)), Brush::Solid(Color::FromPixel(kBlue)), kRed, kBlue},
        {"null brush", Pen::Solid(Color::FromPixel(kRed)), Brush::Null(), kRed, kGround},
        {"null pen", Pen::Null(), Brush::Solid(Color::FromPixel(kBlue)), kBlue, kBlue},
        {"neither", Pen::Null(), Brush::Null(), kGround, kGround},
    };
    const Rect r{2, 3, 9, 8};
    for (const auto& c : cases) {
        Bitmap bm(12, 12, kGround);
        Canvas canvas(bm);
        canvas.SetPen(c.pen);
        canvas.SetBrush(c.brush);
        canvas.DrawRectangle(r);
        EXPECT_EQ(Mismatch(bm,
                           [&](int x, int y) {
                               if (!r.Contains({x, y})) return kGround;
                               const bool ring = x == r.left || x == r.right - 1 || y == r.top || y == r.bottom - 1;
                               return ring ? c.ring : c.inside;
                           }),
                  "")
            << c.name;
    }
}

TEST(GfxShapes, DegenerateOrNullDrawsNothing)
{
    const std::vector<Shape> shapes = {
        {"empty rectangle", Kind::Rectangle, {5, 5, 5, 9}}, {"inverted rectangle", Kind::Rectangle, {9, 9, 4, 4}},
        {"flat ellipse", Kind::Ellipse, {3, 6, 12, 6}},     {"zero-length line", Kind::Line, {4, 4, 4, 4}},
        {"null pen line", Kind::Line, {0, 0, 15, 15}},      {"null pen and brush", Kind::Ellipse, {1, 1, 14, 14}}};
    for (const auto& shape : shapes) {
        Bitmap bm = Patterned(16, 16);
        Canvas canvas(bm);
        canvas.SetPen(shape.name.starts_with("null") ? Pen::Null() : Pen::Solid(kBlack, 3));
        canvas.SetBrush(shape.name.ends_with("brush") ? Brush::Null() : Brush::Black());
        Draw(canvas, shape);
        canvas.FillRect({0, 0, 16, 16}, Brush::Null());
        EXPECT_EQ(bm, Patterned(16, 16)) << shape.name;
    }
}

TEST(GfxEllipse, SymmetricInsideItsBoxAndTouchingEverySide)
{
    for (const Rect& box : {Rect{0, 0, 1, 1}, Rect{0, 0, 2, 2}, Rect{2, 2, 14, 14}, Rect{3, 1, 14, 12},
                            Rect{1, 0, 4, 20}, Rect{0, 5, 19, 8}}) {
        Bitmap bm(20, 20);
        Canvas canvas(bm);
        canvas.SetPen(Pen::Solid(Color::FromPixel(kRed)));
        canvas.SetBrush(Brush::Solid({0, 255, 0}));
        canvas.DrawEllipse(box);
        const std::string label = std::to_string(box.Width()) + "x" + std::to_string(box.Height());
        EXPECT_EQ(Mismatch(bm, [&](int x, int y) { return box.Contains({x, y}) ? bm.At(x, y) : 0u; }), "") << label;
        for (const bool acrossX : {true, false}) {
            const auto mirrored = [&](int x, int y) {
                if (!box.Contains({x, y})) return 0u;
                return acrossX ? bm.At(box.left + box.right - 1 - x, y) : bm.At(x, box.top + box.bottom - 1 - y);
            };
            EXPECT_EQ(Mismatch(bm, mirrored), "") << label;
        }
        int sides = 0;
        for (int i = 0; i < 20; ++i) {
            sides |= (bm.At(box.left, i) != 0) | (bm.At(box.right - 1, i) != 0) << 1 | (bm.At(i, box.top) != 0) << 2 |
                     (bm.At(i, box.bottom - 1) != 0) << 3;
        }
        EXPECT_EQ(sides, 0xF) << label;
    }
}

TEST(GfxClipping, FarOutsidePrimitivesStayInBoundsAndDrawTheirVisiblePart)
{
    Bitmap bm(32, 24);
    Canvas canvas(bm);
    canvas.SetPen(Pen::Solid(Color::FromPixel(kRed)));
    canvas.SetBrush(Brush::Null());
    canvas.DrawLine({-1000000000, -1000000000}, {1000000000, 1000000000});
    EXPECT_EQ(Mismatch(bm, [](int x, int y) { return x == y ? kRed : 0u; }), "");

    canvas.SetRasterOp(RasterOp::Not);
    const Bitmap before = bm;
    const auto overlays = [&] {
        canvas.DrawRectangle({INT_MIN, INT_MIN, INT_MAX, INT_MAX});
        canvas.DrawRectangle({-5, 2, 1000000000, 10});
        canvas.DrawEllipse({-2000000000, -3, 2000000000, 40});
        canvas.DrawLine({INT_MIN, 3}, {INT_MAX, 20});
        canvas.DrawLine({16, INT_MAX}, {16, INT_MIN});
        canvas.SetPen(Pen::Solid(kWhite, 1000));
        canvas.DrawLine({INT_MAX, INT_MAX - 2}, {INT_MIN, INT_MAX});
        canvas.SetPen(Pen::White());
    };
    overlays();
    EXPECT_NE(bm, before);
    overlays();
    EXPECT_EQ(bm, before);

    const Bitmap source = Patterned(10, 10);
    canvas.CopyBlock(INT_MAX - 5, INT_MIN, INT_MAX, INT_MAX, source, INT_MIN, 0);
    canvas.CopyBlock(-3, 4, 10, 10, source, -2, 0);  // source columns 0 .. 7 land at -1 .. 6
    EXPECT_EQ(
        Mismatch(
            bm, [&](int x, int y) { return (y >= 4 && y < 14 && x <= 6) ? source.At(x + 1, y - 4) : before.At(x, y); }),
        "");
    canvas.StretchBlock({INT_MIN, INT_MIN, INT_MAX, INT_MAX}, source, {-1000000000, 0, 1000000010, 5});
    EXPECT_EQ(bm.At(0, 23), source.At(5, 2)) << "the visible part of a huge stretch";
}

}  // namespace
}  // namespace nuvix::gfx
