#include "AppFixture.h"

#include "guiding/CorrectionOutput.h"

using nuvix::testing::AppHarness;

namespace nuvix {
namespace {

// "OPTO" as the last run left it in the parameter file, on a 1024 x 768 screen.
struct OptoRig {
    explicit OptoRig(int x, int y, int width, int height) : h({1024, 768, 19, 1})
    {
        tparam record;
        record.protocol = kVirtualDiodes;
        record.trackX = x;
        record.trackY = y;
        record.trackWidth = width;
        record.trackHeight = height;
        h.StoreRecord(record);
        h.Start();
    }
    Trackwin& Opto() { return h.Image().Indicators(); }
    const tparam& Record() { return *h.State().parameters.params; }
    bool Lit(int indicator)
    {
        const gfx::Rect r = Opto().Indicator(indicator);
        return Opto().Surface().At(r.left + 1, r.top + 1) == gfx::kWhite.ToPixel();
    }
    AppHarness h;
};

TEST(TrackingWindow, PlacedFromTheRecordAndKeptOnTheScreen)
{
    struct Case {
        int x, y, width, height;
        gfx::Rect outer;
        int cellWidth;
        int storedWidth, storedHeight;  // after the first paint
    };
    const Case cases[] = {
        // The client corner lands on the stored point, which is what a move records.
        {20, 40, 220, 120, gfx::Rect::FromSize(19, 20, 220, 120), 12, 218, 120},
        {-20, 5000, 200, 120, gfx::Rect::FromSize(0, 668, 200, 120), 11, 200, 120},
        {300, 300, 205, 60, gfx::Rect::FromSize(299, 280, 205, 60), 11, 200, 100},
        {5000, -7, 10, 10, gfx::Rect::FromSize(924, 0, 40, 40), 2, 38, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        OptoRig rig(c.x, c.y, c.width, c.height);
        EXPECT_EQ(rig.Opto().OuterRect(), c.outer);
        EXPECT_EQ(rig.Opto().CellWidth(), c.cellWidth);
        EXPECT_EQ(rig.Opto().Caption(), "OPTO");
        EXPECT_EQ(rig.Opto().Style(), ui::WindowStyle::ResizablePopup);
        EXPECT_EQ(rig.Record().trackWidth, c.storedWidth);
        EXPECT_EQ(rig.Record().trackHeight, c.storedHeight);
    }
}

TEST(TrackingWindow, MovesAndSizesReachTheRecord)
{
    OptoRig rig(20, 40, 220, 120);
    ASSERT_TRUE(rig.h.kit.MoveWindow(rig.Opto(), {400, 300}));
    EXPECT_EQ(rig.Record().trackX, 400);
    EXPECT_EQ(rig.Record().trackY, 300);
    ASSERT_TRUE(rig.h.kit.Resize(rig.Opto(), {362, 150}));
    EXPECT_EQ(rig.Opto().CellWidth(), 20);
    EXPECT_EQ(rig.Opto().LabelY(), 150 - 19 - 25);
    EXPECT_EQ(rig.Record().trackWidth, 362);
    EXPECT_EQ(rig.Record().trackHeight, 150);
}

TEST(TrackingWindow, PulsesOfEachAxisAreTheirOwn)
{
    OptoRig rig(20, 40, 220, 120);
    Trackwin& opto = rig.Opto();
    opto.ShowAdPulse(-500);
    EXPECT_TRUE(rig.Lit(0));
    EXPECT_FALSE(rig.Lit(1));
    rig.h.kit.AdvanceMs(100);
    opto.ShowDecPulse(200);  // leaves the AD pulse alone
    EXPECT_TRUE(rig.Lit(0));
    EXPECT_TRUE(rig.Lit(3));
    rig.h.kit.AdvanceMs(199);
    EXPECT_TRUE(rig.Lit(0));
    EXPECT_TRUE(rig.Lit(3));
    rig.h.kit.AdvanceMs(2);
    EXPECT_TRUE(rig.Lit(0));
    EXPECT_FALSE(rig.Lit(3));
    // A resize during a pulse ends it at once.
    ASSERT_TRUE(rig.h.kit.Resize(opto, {230, 130}));
    EXPECT_FALSE(rig.Lit(0));
    EXPECT_TRUE(rig.h.kit.TimerPeriodMs(opto, Trackwin::kAdPulseTimer) == std::nullopt);
}

}  // namespace
}  // namespace nuvix
