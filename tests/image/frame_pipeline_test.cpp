#include "image/pipeline_rig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>
#include <vector>

namespace nuvix {
namespace {

using test::PipelineRig;

// One uniform raw frame right after a reset, under one combination of settings.
struct TransformCase {
    const char* name;
    uint8_t raw;
    bool darkSpot = false;
    int32_t dark = -1;  // -1: no dark subtraction
    bool showAverage = false;
    bool stretchOn = false;
    bool gainOn = false;
    float gain = 1.0f;
    uint8_t analysed;  // what the star analysis sees
    uint8_t shown;     // what the window and the files get
};

class FrameTransform : public testing::TestWithParam<TransformCase> {};

TEST_P(FrameTransform, ScalesSubtractsAndShows)
{
    const TransformCase& c = GetParam();
    PipelineRig rig;
    ASSERT_TRUE(rig.allocated);
    rig.darkSpotGuiding = c.darkSpot;
    if (c.dark >= 0) {
        rig.buffers.useDark = true;
        std::fill(rig.buffers.darkFrame.begin(), rig.buffers.darkFrame.end(), c.dark);
    }
    rig.integration.showAverage = c.showAverage;
    rig.integration.stretchOn = c.stretchOn;
    rig.integration.gainOn = c.gainOn;
    rig.integration.gain = c.gain;

    rig.Run(c.raw);

    EXPECT_EQ(rig.hooks.analysed.front(), c.analysed);
    EXPECT_EQ(rig.hooks.analysed.back(), c.analysed);
    EXPECT_EQ(rig.buffers.frame.front(), c.shown);
    EXPECT_EQ(rig.buffers.frame.back(), c.shown);
    EXPECT_EQ(rig.integration.frameCount, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, FrameTransform,
    testing::Values(
        TransformCase{.name = "Plain", .raw = 25, .analysed = 100, .shown = 100},
        TransformCase{.name = "AboveSixBitsHeldAtWhite", .raw = 70, .analysed = 252, .shown = 252},
        TransformCase{.name = "DarkSpotZeroBecomesWhite", .raw = 0, .darkSpot = true, .analysed = 252, .shown = 252},
        TransformCase{.name = "DarkSpotWhiteBecomesBlack", .raw = 63, .darkSpot = true, .analysed = 0, .shown = 0},
        TransformCase{.name = "DarkBelow", .raw = 25, .dark = 99, .analysed = 1, .shown = 1},
        TransformCase{.name = "DarkEqual", .raw = 25, .dark = 100, .analysed = 0, .shown = 0},
        TransformCase{.name = "DarkAbove", .raw = 25, .dark = 250, .analysed = 0, .shown = 0},
        TransformCase{
            .name = "AverageAddsTheStartingOne", .raw = 25, .showAverage = true, .analysed = 100, .shown = 101},
        TransformCase{.name = "UniformStretchIsBlack",
                      .raw = 25,
                      .showAverage = true,
                      .stretchOn = true,
                      .analysed = 100,
                      .shown = 0},
        TransformCase{
            .name = "StretchAloneChangesNothing", .raw = 25, .stretchOn = true, .analysed = 100, .shown = 100},
        TransformCase{.name = "GainZeroIsBlack", .raw = 25, .gainOn = true, .gain = 0.0f, .analysed = 100, .shown = 0},
        TransformCase{
            .name = "GainTwoClipsAtWhite", .raw = 50, .gainOn = true, .gain = 2.0f, .analysed = 200, .shown = 255},
        TransformCase{.name = "GainTruncates", .raw = 25, .gainOn = true, .gain = 0.3f, .analysed = 100, .shown = 30},
        TransformCase{.name = "GainWithoutFlagIgnored", .raw = 25, .gain = 2.0f, .analysed = 100, .shown = 100},
        TransformCase{.name = "AverageTimesGain",
                      .raw = 25,
                      .showAverage = true,
                      .gainOn = true,
                      .gain = 1.5f,
                      .analysed = 100,
                      .shown = 151},
        TransformCase{.name = "AverageTimesGainClips",
                      .raw = 63,
                      .showAverage = true,
                      .gainOn = true,
                      .gain = 3.0f,
                      .analysed = 252,
                      .shown = 255}),
    [](const testing::TestParamInfo<TransformCase>& info) { return std::string(info.param.name); });

// Every pixel goes its own way: a pattern catches a pass that misses or mixes indexes.
TEST(FramePipeline, TreatsEveryPixelOnItsOwn)
{
    PipelineRig rig;
    for (int i = 0; i < kFramePixels; ++i)
        rig.buffers.frame[i] = static_cast<uint8_t>(i * 7 % 64);
    rig.integration.showAverage = true;
    rig.Run();
    for (int i = 0; i < kFramePixels; ++i) {
        const int scaled = 4 * (i * 7 % 64);
        ASSERT_EQ(rig.hooks.analysed[i], scaled) << i;
        ASSERT_EQ(rig.buffers.sumFrame[i], 1 + scaled) << i;
        ASSERT_EQ(rig.buffers.frame[i], 1 + scaled) << i;
    }
}

TEST(FramePipeline, AverageDividesByTheCountTruncating)
{
    PipelineRig rig;
    rig.integration.showAverage = true;
    rig.Run(25);  // 100
    rig.Run(26);  // 104
    rig.Run(26);  // 104
    EXPECT_EQ(rig.integration.frameCount, 3);
    EXPECT_EQ(rig.buffers.sumFrame[500], 309);
    EXPECT_EQ(rig.buffers.frame[500], 103);  // 309 / 3
}

// The mean shown and the dark frame are sum / frameCount truncated, whatever the size of either.
TEST(FramePipeline, DividesTheSumExactly)
{
    constexpr int32_t kTop = std::numeric_limits<int32_t>::max();
    for (int64_t count : {1, 2, 3, 7, 49, 103, 255, 1000, 65'537, 1'000'003, 46'341, kTop - 1, kTop}) {
        SCOPED_TRACE(count);
        std::vector<int64_t> wanted = {0,
                                       1,
                                       count - 1,
                                       count,
                                       count + 1,
                                       254 * count,
                                       255 * count - 1,
                                       255 * count,
                                       kTop,
                                       kTop - 1,
                                       kTop / count * count,
                                       kTop / count * count - 1};
        std::mt19937 random(static_cast<uint32_t>(count));
        for (int k = 0; k < 200; ++k)
            wanted.push_back(random() % kTop);
        std::vector<int32_t> sums;
        for (int64_t s : wanted) {
            if (s <= kTop) sums.push_back(static_cast<int32_t>(s));
        }

        PipelineRig rig;
        std::copy(sums.begin(), sums.end(), rig.buffers.sumFrame.begin());
        rig.integration.frameCount = static_cast<int32_t>(count - 1);
        rig.integration.showAverage = true;
        rig.buffers.darkRequested = true;
        rig.Run(0);  // adds nothing

        ASSERT_EQ(rig.integration.frameCount, count);
        for (std::size_t i = 0; i < sums.size(); ++i) {
            ASSERT_EQ(rig.buffers.darkFrame[i], sums[i] / count) << sums[i];
            ASSERT_EQ(rig.buffers.frame[i], std::min<int64_t>(sums[i] / count, 255)) << sums[i];
        }
    }
}

// The stretch spreads the sum's range over 0-255: black at the minimum, white at the maximum.
TEST(FramePipeline, StretchSpansTheSumsRange)
{
    PipelineRig rig;
    rig.integration.showAverage = true;
    rig.integration.stretchOn = true;
    rig.buffers.frame.fill(25);
    rig.buffers.frame[0] = 0;
    rig.buffers.frame[1] = 63;
    rig.Run();
    EXPECT_EQ(rig.buffers.frame[0], 0);
    EXPECT_EQ(rig.buffers.frame[2], 101);  // (101 - 1) x 255 / 252 = 101.19
    EXPECT_GE(rig.buffers.frame[1], 254);
}

// The minimum search starts at 1,410,065,408: sums that all lie above it stretch from there.
TEST(FramePipeline, MinimumSearchStartsAtItsFixedCeiling)
{
    PipelineRig rig;
    rig.integration.showAverage = true;
    rig.integration.stretchOn = true;
    std::fill(rig.buffers.sumFrame.begin(), rig.buffers.sumFrame.end(), 1'500'000'000);
    rig.buffers.sumFrame[7] = 2'000'000'000;
    rig.Run(0);
    // (1.5e9 - 1,410,065,408) x 255 / (2e9 - 1,410,065,408) = 38.9
    EXPECT_EQ(rig.buffers.frame[0], 38);
    EXPECT_EQ(rig.buffers.frame[7], 255);
}

TEST(FramePipeline, SumSaturatesInsteadOfWrapping)
{
    PipelineRig rig;
    constexpr int32_t kTop = std::numeric_limits<int32_t>::max();
    rig.buffers.sumFrame[3] = kTop - 10;
    rig.buffers.sumFrame[4] = kTop;
    rig.integration.showAverage = true;
    rig.integration.stretchOn = true;
    rig.Run(63);
    EXPECT_EQ(rig.buffers.sumFrame[3], kTop);
    EXPECT_EQ(rig.buffers.sumFrame[4], kTop);
    EXPECT_EQ(rig.buffers.sumFrame[5], 253);
    EXPECT_GE(rig.buffers.frame[3], 254);  // still the brightest, not wrapped to black
    EXPECT_EQ(rig.buffers.frame[5], 0);
}

TEST(FramePipeline, CountStopsAtItsLargestValue)
{
    PipelineRig rig;
    rig.integration.frameCount = std::numeric_limits<int32_t>::max();
    rig.Run(1);
    EXPECT_EQ(rig.integration.frameCount, std::numeric_limits<int32_t>::max());
}

TEST(FramePipeline, AsksTheSystemInOrder)
{
    PipelineRig rig;
    rig.Run(1);
    rig.buffers.darkRequested = true;
    rig.Run(1);
    const std::vector<std::string> expected = {"AnalyseFrame", "ShowFrameCount", "AnalyseFrame", "DarkFrameTaken",
                                               "ShowFrameCount"};
    EXPECT_EQ(rig.hooks.calls, expected);
    EXPECT_EQ(rig.hooks.shownCounts, (std::vector<int32_t>{1, 2}));
}

// Memory was short at start-up: the pipeline must neither touch the frame nor call anyone.
TEST(FramePipeline, DoesNothingWithoutItsBuffers)
{
    PipelineRig rig;
    rig.buffers.sumFrame.clear();
    rig.buffers.frame.fill(9);
    rig.Run();
    EXPECT_TRUE(rig.hooks.calls.empty());
    EXPECT_EQ(rig.buffers.frame[0], 9);
    EXPECT_EQ(rig.integration.frameCount, 0);
}

}  // namespace
}  // namespace nuvix
