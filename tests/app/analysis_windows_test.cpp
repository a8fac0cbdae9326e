#include "AppFixture.h"

#include "guiding/CorrectionOutput.h"
#include "platform/ports/RecordingDevice.h"

#include <map>

using nuvix::testing::AppHarness;
using nuvix::testing::CountPixels;
using nuvix::testing::ShowsText;

namespace nuvix {
namespace {

constexpr gfx::Color kOrange{255, 120, 0};
constexpr gfx::Color kRed{255, 0, 0};
constexpr gfx::Color kCaretYellow{240, 240, 0};
constexpr gfx::Color kTextOrange{240, 176, 0};

// The program over a serial line, with nothing on the camera port: frames are drawn by hand.
struct Rig {
    Rig()
    {
        AttachUarts(h.bus, uarts);
        h.StoreRecord({.protocol = kStellonStandard});
        h.Start();
    }
    THistwin& Hist() { return h.Image().Histogram(); }
    specwin& Energy() { return h.Image().EnergyGraph(); }
    AnalysisResults& Analysis() { return h.State().analysis; }
    TrackingState& Tracking() { return h.State().tracking; }
    const gfx::Font* Font() { return h.Main().Drawing().smallFont.get(); }
    void Error(int32_t dx, int32_t dy)
    {
        Tracking().refX = Tracking().boxLeft + Tracking().starX + dx;
        Tracking().refY = Tracking().boxTop + Tracking().starY + dy;
    }
    void Elapse(int64_t ms) { h.kit.Clock().AdvanceMs(ms); }
    bool ShowsElapsed(const char* hours, const char* minutes, const char* seconds)
    {
        return ShowsText(Energy(), {10, 440}, hours, Font(), kTextOrange) &&
               ShowsText(Energy(), {40, 440}, minutes, Font(), kTextOrange) &&
               ShowsText(Energy(), {70, 440}, seconds, Font(), kTextOrange);
    }
    // Orange pixels of the X chart (above y = 176) and of the Y chart.
    std::pair<int, int> Charts()
    {
        return {CountPixels(Energy(), {0, 0, 100, 176}, kOrange), CountPixels(Energy(), {0, 176, 100, 356}, kOrange)};
    }

    AppHarness h;
    RecordingDevice uarts;
};

TEST(HistogramWindow, SquareRootBarsToTheFullestLevelAndTheCaretUnderTheThreshold)
{
    struct Case {
        std::map<int, int32_t> counts;  // level: box pixels
        std::map<int, int> heights;     // level: pixels above the stub every level has
        bool manual;                    // threshold 32
        uint8_t peak;
        int caretX;  // -1: off the window
    };
    const Case cases[] = {
        {{}, {}, false, 0, -1},  // before the first frame
        {{{17, 10000}}, {{17, 90}}, true, 17, 103},
        {{{5, 100}, {6, 400}, {7, 900}}, {{5, 30}, {6, 60}, {7, 90}}, false, 7, 13},
        {{{2, 1}, {3, 9999}}, {{3, 90}}, false, 3, 1},
    };
    Rig rig;
    EXPECT_EQ(rig.Hist().OuterRect(), gfx::Rect::FromSize(324, 220, 210, 242));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caretX);
        rig.Analysis() = {};
        rig.Analysis().peakLevel = c.peak;
        for (const auto& [level, count] : c.counts)
            rig.Analysis().boxHistogram[static_cast<size_t>(level)] = count;
        rig.h.State().panel.manualThresholdOn = c.manual;
        rig.Hist().Update();
        int bars = 0;
        for (int i = 0; i < 64; ++i) {
            const int height = c.heights.contains(i) ? c.heights.at(i) : 0;
            EXPECT_EQ(CountPixels(rig.Hist(), {3 * i + 10, 0, 3 * i + 11, 121}, kOrange), height + 1) << i;
            bars += height + 1;
        }
        EXPECT_EQ(CountPixels(rig.Hist(), {0, 0, 210, 242}, kOrange), bars);
        // The caret's glyph starts at its place, give or take the face's bearing.
        const int caret = c.caretX < 0 ? 0 : CountPixels(rig.Hist(), {c.caretX, 121, c.caretX + 8, 140}, kCaretYellow);
        EXPECT_EQ(CountPixels(rig.Hist(), {0, 0, 210, 242}, kCaretYellow), caret);
        EXPECT_EQ(caret > 0, c.caretX >= 0);
    }
}

TEST(HistogramWindow, BarHeightsAreExactOnTheSquareRootScale)
{
    // The fullest level is 90 pixels for every box: in double precision 530, 538, 559... gave 89.
    for (int32_t m = 1; m <= 10000; ++m) ASSERT_EQ(HistogramBarHeight(m, m), 90) << m;
    struct Case {
        int32_t count, largest;
        int height;
    };
    // Exact squares sit on the boundary: 45 / 90 is sqrt(2025 / 8100), and one count less falls short.
    const Case cases[] = {{0, 530, 0}, {-3, 10, 0}, {1, 10000, 0}, {1, 8100, 1}, {2, 8100, 1}, {2025, 8100, 45},
                          {2024, 8100, 44}, {100, 400, 45}, {1, 9999, 0}, {9, 10000, 2}, {4999, 9998, 63}};
    for (const Case& c : cases) EXPECT_EQ(HistogramBarHeight(c.count, c.largest), c.height) << c.count << " " << c.largest;
}

TEST(HistogramWindow, OneStarPixelFillsBothProfiles)
{
    Rig rig;
    rig.Analysis().columnProfile[40] = 1;
    rig.Analysis().rowProfile[60] = 1;
    rig.Analysis().population = 1;
    rig.Hist().Update();
    EXPECT_EQ(CountPixels(rig.Hist(), {145, 0, 146, 232}, kRed), 90);
    EXPECT_EQ(CountPixels(rig.Hist(), {0, 191, 100, 192}, kRed), 90);
    EXPECT_EQ(CountPixels(rig.Hist(), {0, 0, 210, 242}, kRed), 180);
    EXPECT_TRUE(ShowsText(rig.Hist(), {150, 3}, "1", rig.Font(), kTextOrange));
}

TEST(EnergyGraph, CountsEachGuidedFramesErrorFromTheSwitchOn)
{
    struct Case {
        int32_t dx, dy;
        std::pair<int, int> pixels;  // the zero bar alone is 150 pixels
        int barX;                    // where the X error's bar stands; -1: not counted
    };
    const Case cases[] = {
        {0, 0, {150, 150}, 50},  {-25, 0, {300, 150}, 0},   {23, -3, {300, 300}, 96},
        {25, 0, {150, 150}, -1}, {-26, 99, {150, 150}, -1}, {-2, -25, {300, 300}, 46},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dx);
        Rig rig;
        EXPECT_FALSE(rig.Energy().IsVisible());
        rig.h.kit.Click(rig.h.Image(), 450);
        EXPECT_TRUE(rig.Energy().IsVisible());
        rig.Error(c.dx, c.dy);
        rig.h.Image().ShowFrame();
        EXPECT_EQ(rig.Charts(), c.pixels);
        if (c.barX >= 0) {
            EXPECT_EQ(CountPixels(rig.Energy(), {c.barX, 0, c.barX + 1, 176}, kOrange), 150);
        }
        rig.h.kit.Click(rig.h.Image(), 450);
        EXPECT_FALSE(rig.Energy().IsVisible());
    }
}

TEST(EnergyGraph, SuspendStopsCorrectionsCountsAndClockUntilRestartAndResetStartsAgain)
{
    Rig rig;
    const ui::Control& button = *rig.Energy().FindControl(specwin::kSuspendButton);
    const auto suspend = [&] { rig.h.kit.Click(rig.Energy(), specwin::kSuspendButton); };
    const auto track = [&] { rig.h.kit.Click(rig.h.Image(), 450); };
    track();
    rig.Elapse(130'000);
    suspend();
    EXPECT_EQ(button.Text(), "Re-start");
    rig.uarts.ClearLog();
    rig.Error(7, 7);
    rig.Elapse(600'000);
    rig.h.Image().ShowFrame();
    EXPECT_TRUE(rig.uarts.Log().empty());
    EXPECT_EQ(rig.Charts(), std::make_pair(0, 0));  // not drawn since the switch-on
    suspend();
    rig.h.Image().ShowFrame();
    EXPECT_FALSE(rig.uarts.Log().empty());
    EXPECT_EQ(rig.Charts(), std::make_pair(300, 300));  // the suspended frame was not counted
    EXPECT_TRUE(rig.ShowsElapsed("0h", "2mn", "10s"));

    // Switched off and on again while suspended, guiding stays suspended; an hour later, 1h.
    suspend();
    track();
    track();
    EXPECT_TRUE(rig.Tracking().guidingSuspended);
    EXPECT_EQ(button.Text(), "Re-start");
    suspend();
    rig.Elapse(3'600'000);
    rig.h.Image().ShowFrame();
    EXPECT_TRUE(rig.ShowsElapsed("1h", "0mn", "0s"));

    // "Reset": the seeded count at zero and the current error once; the clock from 0.
    rig.Error(3, 0);
    for (int i = 0; i < 3; ++i)
        rig.h.Image().ShowFrame();
    EXPECT_EQ(rig.Charts().first, 150 + 50 + 50);  // three at +3, one at +7, the seeded one at 0
    rig.h.kit.Click(rig.Energy(), specwin::kResetButton);
    EXPECT_EQ(rig.Charts().first, 150 + 150);
    EXPECT_TRUE(rig.ShowsElapsed("0h", "0mn", "0s"));
}

}  // namespace
}  // namespace nuvix
