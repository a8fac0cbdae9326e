#include "image/pipeline_rig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <limits>
#include <random>
#include <vector>

namespace nuvix {
namespace {

using test::PipelineRig;

enum Setting : unsigned { kPlain = 0, kDarkSpot = 1, kAverage = 2, kStretch = 4, kGain = 8 };

// One uniform raw frame right after a reset, under one combination of settings.
struct TransformCase {
    const char* name;
    uint8_t raw;
    unsigned settings;
    int32_t dark;  // -1: no dark subtraction
    float gain;
    uint8_t analysed;  // what the star analysis sees
    uint8_t shown;     // what the window and the files get
};

class FrameTransform : public testing::TestWithParam<TransformCase> {};

TEST_P(FrameTransform, ScalesSubtractsAndShows)
{
    const TransformCase& c = GetParam();
    PipelineRig rig;
    ASSERT_TRUE(rig.allocated);
    rig.darkSpotGuiding = c.settings & kDarkSpot;
    rig.buffers.useDark = c.dark >= 0;
    std::fill(rig.buffers.darkFrame.begin(), rig.buffers.darkFrame.end(), c.dark);
    rig.integration.showAverage = c.settings & kAverage;
    rig.integration.stretchOn = c.settings & kStretch;
    rig.integration.gainOn = c.settings & kGain;
    rig.integration.gain = c.gain;
    rig.Run(c.raw);
    EXPECT_EQ(rig.hooks.analysed.front(), c.analysed);
    EXPECT_EQ(rig.hooks.analysed.back(), c.analysed);
    EXPECT_EQ(rig.buffers.frame.front(), c.shown);
    EXPECT_EQ(rig.buffers.frame.back(), c.shown);
    EXPECT_EQ(rig.integration.frameCount, 1);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Settings, FrameTransform, testing::Values(
    TransformCase{"Plain",                     25, kPlain,              -1,   1.0f, 100, 100},
    TransformCase{"AboveSixBitsHeldAtWhite",   70, kPlain,              -1,   1.0f, 252, 252},
    TransformCase{"DarkSpotZeroBecomesWhite",   0, kDarkSpot,           -1,   1.0f, 252, 252},
    TransformCase{"DarkSpotWhiteBecomesBlack", 63, kDarkSpot,           -1,   1.0f,   0,   0},
    TransformCase{"DarkBelow",                 25, kPlain,              99,   1.0f,   1,   1},
    TransformCase{"DarkEqual",                 25, kPlain,             100,   1.0f,   0,   0},
    TransformCase{"DarkAbove",                 25, kPlain,             250,   1.0f,   0,   0},
    TransformCase{"AverageAddsTheStartingOne", 25, kAverage,            -1,   1.0f, 100, 101},
    TransformCase{"UniformStretchIsBlack",     25, kAverage | kStretch, -1,   1.0f, 100,   0},
    TransformCase{"StretchAloneChangesNothing",25, kStretch,            -1,   1.0f, 100, 100},
    TransformCase{"GainZeroIsBlack",           25, kGain,               -1,   0.0f, 100,   0},
    TransformCase{"GainTwoClipsAtWhite",       50, kGain,               -1,   2.0f, 200, 255},
    TransformCase{"GainTruncates",             25, kGain,               -1,   0.3f, 100,  30},
    TransformCase{"GainWithoutFlagIgnored",    25, kPlain,              -1,   2.0f, 100, 100},
    TransformCase{"AverageTimesGain",          25, kAverage | kGain,    -1,   1.5f, 100, 151},
    TransformCase{"AverageTimesGainClips",     63, kAverage | kGain,    -1,   3.0f, 252, 255}),
    [](const testing::TestParamInfo<TransformCase>& info) { return std::string(info.param.name); });
// clang-format on

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

// The mean shown and the dark frame are sum / frameCount truncated, whatever the size of either.
TEST(FramePipeline, DividesTheSumExactly)
{
    constexpr int32_t kTop = std::numeric_limits<int32_t>::max();
    for (int64_t count : {1, 2, 3, 7, 49, 103, 255, 1000, 65'537, 1'000'003, 46'341, kTop - 1, kTop}) {
        SCOPED_TRACE(count);
        // Exact multiples and their neighbours, the clamp of the view at 255, the largest sums, and any.
        std::vector<int32_t> sums = {0, 1, kTop, kTop - 1};
        for (int64_t k : {int64_t{1}, int64_t{254}, int64_t{255}, kTop / count}) {
            if (k * count > kTop) continue;
            sums.push_back(static_cast<int32_t>(k * count));
            sums.push_back(static_cast<int32_t>(k * count - 1));
        }
        std::mt19937 random(static_cast<uint32_t>(count));
        for (int k = 0; k < 200; ++k)
            sums.push_back(static_cast<int32_t>(random() % kTop));

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

// The stretch spreads the sum's range over 0-255. The minimum's search starts at 1,410,065,408,
// so sums that all lie above it stretch from there rather than from the smallest.
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

    std::fill(rig.buffers.sumFrame.begin(), rig.buffers.sumFrame.end(), 1'500'000'000);
    rig.buffers.sumFrame[7] = 2'000'000'000;
    rig.Run(0);
    EXPECT_EQ(rig.buffers.frame[0], 38);  // (1.5e9 - 1,410,065,408) x 255 / (2e9 - 1,410,065,408) = 38.9
    EXPECT_EQ(rig.buffers.frame[7], 255);
}

// Neither the sum nor the count wraps.
TEST(FramePipeline, SumAndCountSaturate)
{
    PipelineRig rig;
    constexpr int32_t kTop = std::numeric_limits<int32_t>::max();
    rig.buffers.sumFrame[3] = kTop - 10;
    rig.buffers.sumFrame[4] = kTop;
    rig.integration.showAverage = true;
    rig.integration.stretchOn = true;
    rig.integration.frameCount = kTop;
    rig.Run(63);
    EXPECT_EQ(rig.integration.frameCount, kTop);
    EXPECT_EQ(rig.buffers.sumFrame[3], kTop);
    EXPECT_EQ(rig.buffers.sumFrame[4], kTop);
    EXPECT_EQ(rig.buffers.sumFrame[5], 253);
    EXPECT_GE(rig.buffers.frame[3], 254);  // still the brightest, not wrapped to black
    EXPECT_EQ(rig.buffers.frame[5], 0);
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

// The pipeline written the plain way, one step after the other over the whole frame, in the
// arithmetic the system fixes (divisions, single-precision views).
struct PlainPipeline {
    FrameBytes frame{};
    std::vector<int32_t> dark, sum;
    int32_t count = 0;

    void Run(bool gateOpen, bool darkSpot, bool useDark, bool darkRequested, const IntegrationState& view)
    {
        constexpr int64_t kTop = std::numeric_limits<int32_t>::max();
        if (count < kTop) ++count;
        if (!gateOpen) --count;
        for (int i = 0; i < kFramePixels; ++i) {
            int p = std::min<int>(frame[i], 63);
            if (darkSpot) p = 63 - p;
            int32_t v = 4 * p;
            if (useDark) v = dark[i] >= v ? 0 : v - dark[i];
            frame[i] = static_cast<uint8_t>(v);
        }
        count = std::max(count, 1);
        int32_t maximum = 0, minimum = 1'410'065'408;
        for (int i = 0; i < kFramePixels; ++i) {
            if (gateOpen) sum[i] = static_cast<int32_t>(std::min<int64_t>(int64_t{sum[i]} + frame[i], kTop));
            maximum = std::max(maximum, sum[i]);
            minimum = std::min(minimum, sum[i]);
        }
        if (maximum == minimum) maximum = minimum + 1;
        if (darkRequested) {
            for (int i = 0; i < kFramePixels; ++i)
                dark[i] = sum[i] / count;
        }
        const float scale = 255.0f / static_cast<float>(int64_t{maximum} - minimum);
        for (int i = 0; i < kFramePixels; ++i) {
            float t = 0.0f;
            if (view.showAverage) {
                t = static_cast<float>(sum[i] / count);
                if (view.stretchOn) t = static_cast<float>(sum[i] - minimum) * scale;
                if (view.gainOn) t = t * view.gain;
            } else if (view.gainOn) {
                t = static_cast<float>(frame[i]) * view.gain;
            } else {
                continue;
            }
            frame[i] = static_cast<uint8_t>(t > 255.0f ? 255.0f : (t < 0.0f ? 0.0f : t));
        }
    }
};

// Every combination of settings on random frames, dark frames and sums, small and near the
// top: the fast passes give the plain pipeline's bytes, pixel for pixel.
TEST(FramePipeline, GivesThePlainPipelinesBytes)
{
    std::mt19937 random(2026);
    const auto below = [&](uint32_t n) { return static_cast<int32_t>(random() % n); };
    for (unsigned settings = 0; settings < 256; ++settings) {
        SCOPED_TRACE(settings);
        const bool gateOpen = (settings & 1) == 0;
        const bool darkSpot = settings & 2;
        const bool useDark = settings & 4;
        const bool darkRequested = settings & 8;
        IntegrationState view;
        view.showAverage = settings & 16;
        view.stretchOn = settings & 32;
        view.gainOn = settings & 64;
        view.gain = std::array<float, 4>{0.0f, 0.37f, 1.7f, 3.0f}[random() % 4];
        const bool hugeSums = settings & 128;

        PipelineRig rig;
        PlainPipeline plain;
        plain.dark.resize(kFramePixels);
        plain.sum.resize(kFramePixels);
        for (int i = 0; i < kFramePixels; ++i) {
            plain.frame[i] = static_cast<uint8_t>(below(72));
            plain.dark[i] = below(260);
            plain.sum[i] = hugeSums ? std::numeric_limits<int32_t>::max() - below(1'000'000'000) : 1 + below(60'000);
        }
        plain.count = hugeSums ? 1 + below(5'000'000) : 1 + below(240);
        rig.buffers.frame = plain.frame;
        rig.buffers.darkFrame = plain.dark;
        rig.buffers.sumFrame = plain.sum;
        rig.integration = view;
        rig.integration.frameCount = plain.count;
        rig.darkSpotGuiding = darkSpot;
        rig.buffers.useDark = useDark;
        rig.buffers.darkRequested = darkRequested;
        if (!gateOpen) rig.StarOffBy(5, 0);

        rig.Run();
        plain.Run(gateOpen, darkSpot, useDark, darkRequested, view);
        ASSERT_EQ(rig.integration.frameCount, plain.count);
        ASSERT_TRUE(rig.buffers.frame == plain.frame);
        ASSERT_TRUE(rig.buffers.sumFrame == plain.sum);
        ASSERT_TRUE(rig.buffers.darkFrame == plain.dark);
    }
}

}  // namespace
}  // namespace nuvix
