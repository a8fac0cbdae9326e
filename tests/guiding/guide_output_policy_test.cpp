// What each DEC guide mode and the output switch let through, and where a dither moves the
// reference.
#include "guiding/Dither.h"
#include "guiding/GuideOutputPolicy.h"

#include <gtest/gtest.h>

namespace nuvix {
namespace {

TEST(GuideOutputPolicy, EachModeLetsItsDirectionsThroughOnDecOnly)
{
    const AxisCorrection computed{40, false, true};
    const AxisCorrection saturated{63, true, true};
    struct Case {
        Axis axis;
        int32_t error;  // after inversion: >= 0 is north on DEC
        GuideOutputPolicy policy;
        int code;
    };
    const Case table[] = {
        {Axis::Dec, 3, {true, DecGuideMode::Auto}, 40},   {Axis::Dec, -3, {true, DecGuideMode::Auto}, 40},
        {Axis::Dec, 3, {true, DecGuideMode::Off}, 0},     {Axis::Dec, -3, {true, DecGuideMode::Off}, 0},
        {Axis::Dec, 3, {true, DecGuideMode::North}, 40},  {Axis::Dec, -3, {true, DecGuideMode::North}, 0},
        {Axis::Dec, 3, {true, DecGuideMode::South}, 0},   {Axis::Dec, -3, {true, DecGuideMode::South}, 40},
        {Axis::Ra, -3, {true, DecGuideMode::Off}, 40},    {Axis::Ra, 3, {false, DecGuideMode::Auto}, 0},
        {Axis::Dec, -3, {false, DecGuideMode::South}, 0},
    };
    for (const Case& c : table) {
        const AxisCorrection out = AllowedCorrection(c.axis, computed, c.error, c.policy);
        EXPECT_EQ(out.pulseCode, c.code) << DecGuideModeName(c.policy.decMode) << " " << c.error;
        EXPECT_TRUE(out.usable);
        // Held back, a saturated correction is no longer shown as cut.
        EXPECT_EQ(AllowedCorrection(c.axis, saturated, c.error, c.policy).saturated, c.code != 0);
    }
    DecGuideMode mode = DecGuideMode::Off;
    EXPECT_TRUE(ParseDecGuideMode("South", mode));
    EXPECT_EQ(mode, DecGuideMode::South);
    EXPECT_FALSE(ParseDecGuideMode("south", mode));
}

TEST(Dither, OffsetsStayWithinTheAmountAndTheReferenceWithinTheBox)
{
    struct Case {
        double amount;
        bool raOnly;
        double ux, uy;
        int32_t dx, dy;
    };
    const Case draws[] = {
        {5, false, 0.0, 0.9999, -5, 5}, {5, false, 0.5, 0.5, 0, 0},        {5, true, 1.0, 0.0, 5, 0},
        {2.4, false, 0.0, 1.0, -2, 2},  {1e9, false, 1.0, 0.0, 100, -100}, {-3, false, 1.0, 1.0, 0, 0},
    };
    for (const Case& c : draws) {
        const DitherOffset o = DrawDither(c.amount, c.raOnly, c.ux, c.uy);
        EXPECT_EQ(o.dx, c.dx) << c.amount;
        EXPECT_EQ(o.dy, c.dy) << c.amount;
    }
    TrackingState t;  // box at (110, 70)
    t.refX = 158;
    t.refY = 72;
    const DitherOffset made = MoveReference(t, {-5, -5});
    EXPECT_EQ(t.refX, 153);
    EXPECT_EQ(t.refY, 74);  // 4 pixels inside the box's top
    EXPECT_EQ(made.dx, -5);
    EXPECT_EQ(made.dy, 2);
}

}  // namespace
}  // namespace nuvix
