#include "guiding/StarAnalysis.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace nuvix {
namespace {

// A scaled frame (0-252) drawn in picture coordinates, row 0 at the top.
struct Picture {
    FrameBytes frame{};
    void Set(int x, int y, uint8_t value)
    {
        frame[static_cast<size_t>((kFrameHeight - 1 - y) * kFrameWidth + x)] = value;
    }
    void Block(int x0, int y0, int width, int height, uint8_t value)
    {
        for (int y = y0; y < y0 + height; ++y)
            for (int x = x0; x < x0 + width; ++x)
                Set(x, y, value);
    }
};

struct Analysis {
    TrackingState tracking;  // box at (110, 70)
    AnalysisResults results;
    AnalysisSettings settings;
    uint16_t whiteBalance = 170;
    ExposureChange Run(const Picture& p) { return AnalyseFrame(p.frame, settings, tracking, results, whiteBalance); }
};

TEST(StarAnalysis, PositionFromTheProfiles)
{
    struct Case {
        const char* what;
        int x0, y0, width, height;  // the star's pixels, in the picture
        int32_t starX, starY, population;
    };
    const Case cases[] = {
        // Box columns 49-51: the first of the equal maxima is 49, the centroid 50.
        {"3 x 3 star centred on box column 50", 159, 99, 3, 3, 50, 30, 9},
        {"peak column 6 is not refined", 116, 95, 1, 3, 6, 26, 3},
        {"peak column 94 is not refined", 204, 95, 1, 3, 94, 26, 3},
        {"empty box reads 0 on both axes", 0, 0, 0, 0, 0, 0, 0},
        {"row centroid may start at index 0", 150, 70, 2, 2, 40, 0, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Picture p;
        p.Block(c.x0, c.y0, c.width, c.height, 200);
        Analysis a;
        a.tracking.starX = 77;  // stale, from an earlier frame
        a.tracking.starY = 77;
        a.Run(p);
        EXPECT_EQ(a.tracking.starX, c.starX);
        EXPECT_EQ(a.tracking.starY, c.starY);
        EXPECT_EQ(a.results.population, c.population);
    }
}

TEST(StarAnalysis, HistogramPeakAndProfilesOfTheBoxOnly)
{
    Picture p;
    p.Block(0, 0, kFrameWidth, kFrameHeight, 40);  // level 10 everywhere
    p.Block(150, 100, 4, 2, 200);                  // level 50 inside the box
    p.Set(20, 20, 252);                            // brighter, but outside the box
    Analysis a;
    a.results.peakLevel = 60;  // threshold 55: the star is below it
    a.Run(p);
    EXPECT_EQ(a.results.boxHistogram[10], 100 * 100 - 8);
    EXPECT_EQ(a.results.boxHistogram[50], 8);
    EXPECT_EQ(a.results.peakLevel, 50);
    EXPECT_EQ(a.results.autoThreshold, 55);
    EXPECT_EQ(a.results.population, 0);
}

TEST(StarAnalysis, ThresholdFromThePreviousPeakOrTheManualLevel)
{
    struct Case {
        uint8_t previousPeak;
        bool manual;
        uint8_t threshold;
    };
    for (const Case c :
         {Case{7, false, 0}, Case{8, false, 3}, Case{0, false, 0}, Case{200, false, 58}, Case{50, true, 32}}) {
        Analysis a;
        a.results.peakLevel = c.previousPeak;
        a.settings.manualThresholdOn = c.manual;
        a.Run(Picture{});
        EXPECT_EQ(a.results.autoThreshold, c.threshold) << int{c.previousPeak};
    }
}

// A box partly outside the picture (possible while guiding) counts only the pixels that exist.
TEST(StarAnalysis, BoxBeyondThePictureEdge)
{
    Picture p;
    p.Block(0, 230, 3, 3, 200);  // box columns 20-22, rows 80-82
    Analysis a;
    a.tracking.boxLeft = -20;
    a.tracking.boxTop = 150;
    a.Run(p);
    EXPECT_EQ(a.results.population, 9);
    EXPECT_EQ(a.tracking.starX, 21);
    EXPECT_EQ(a.tracking.starY, 81);
    int counted = 0;
    for (int32_t n : a.results.boxHistogram)
        counted += n;
    EXPECT_EQ(counted, 80 * 90);  // the columns from 0 and the rows down to 239
}

TEST(StarAnalysis, LostOrSwampedStarReadsAsTheReferenceWhileGuiding)
{
    for (int side : {2, 15}) {  // 4 pixels, then 225
        Picture p;
        p.Block(140, 90, side, side, 200);
        Analysis a;
        a.tracking.trackingOn = true;
        a.tracking.refX = 163;
        a.tracking.refY = 101;
        a.Run(p);
        EXPECT_EQ(a.tracking.DeltaX(), 0) << side;
        EXPECT_EQ(a.tracking.DeltaY(), 0) << side;
    }
}

TEST(StarAnalysis, AutomaticWhiteBalanceAndExposure)
{
    struct Case {
        const char* what;
        uint8_t previousPeak;
        int starPixels;  // side of a square star of level 50
        bool manual;
        bool darkSpot;
        uint16_t whiteBalance;
        uint16_t balanceAfter;
        ExposureChange change;
    };
    const Case cases[] = {
        {"900 star pixels ask for -2", 50, 30, false, false, 170, 168, ExposureChange::Longer},
        {"reversed on a dark spot", 50, 30, false, true, 170, 172, ExposureChange::Longer},
        {"a faint threshold always asks +1", 20, 30, false, false, 170, 171, ExposureChange::Longer},
        {"a nearly empty box asks +1", 50, 3, false, false, 155, 156, ExposureChange::None},
        {"+3 at 180 stays 180, exposure longer", 10, 5, true, false, 180, 180, ExposureChange::Longer},
        {"a hand-set value is pulled up to 130", 50, 5, false, false, 20, 130, ExposureChange::Shorter},
        {"and down to 180", 50, 5, false, false, 250, 180, ExposureChange::Longer},
        {"151-159 leaves the exposure alone", 50, 12, false, false, 155, 156, ExposureChange::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Picture p;
        p.Block(120, 80, c.starPixels, c.starPixels, 200);
        Analysis a;
        a.results.peakLevel = c.previousPeak;
        a.settings.autoWhiteBalance = true;
        a.settings.manualThresholdOn = c.manual;
        a.settings.manualThreshold = 40;
        a.settings.darkSpotGuiding = c.darkSpot;
        a.whiteBalance = c.whiteBalance;
        EXPECT_EQ(a.Run(p), c.change);
        EXPECT_EQ(a.whiteBalance, c.balanceAfter);
    }
}

TEST(StarAnalysis, WithoutAutoTheWhiteBalanceStays)
{
    Analysis a;
    a.whiteBalance = 20;
    EXPECT_EQ(a.Run(Picture{}), ExposureChange::None);
    EXPECT_EQ(a.whiteBalance, 20);
}

TEST(StarAnalysis, TrackTakesTheReferenceAndTheFirstErrorIsZero)
{
    TrackingState t;
    t.starX = 40;
    t.starY = 60;
    t.ToggleGuiding();
    EXPECT_TRUE(t.trackingOn);
    EXPECT_EQ(t.refX, 150);
    EXPECT_EQ(t.refY, 130);
    EXPECT_EQ(t.DeltaX(), 0);
    EXPECT_EQ(t.DeltaY(), 0);
    t.starX = 50;
    t.ToggleGuiding();
    EXPECT_FALSE(t.trackingOn);
    EXPECT_EQ(t.refX, 150);  // switching off keeps the reference
}

}  // namespace
}  // namespace nuvix
