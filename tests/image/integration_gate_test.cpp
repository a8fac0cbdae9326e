#include "image/pipeline_rig.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace nuvix {
namespace {

using test::PipelineRig;

struct GateCase {
    const char* name;
    bool trackingOn;
    int32_t dx, dy;  // star minus reference
    int32_t tolerance;
    bool adds;
};

class IntegrationGate : public testing::TestWithParam<GateCase> {};

// After two accepted frames, a third one is added or left out by the star's distance.
TEST_P(IntegrationGate, AddsOnlyNearTheReference)
{
    const GateCase& c = GetParam();
    PipelineRig rig;
    rig.Run(10);
    rig.Run(10);
    const std::vector<int32_t> sumBefore = rig.buffers.sumFrame;

    rig.StarOffBy(c.dx, c.dy);
    rig.tracking.trackingOn = c.trackingOn;
    rig.integration.tolerance = c.tolerance;
    rig.Run(25);

    EXPECT_EQ(rig.integration.frameCount, c.adds ? 3 : 2);
    EXPECT_EQ(rig.buffers.sumFrame[1000], c.adds ? 181 : 81);
    EXPECT_EQ(rig.buffers.sumFrame == sumBefore, !c.adds);
    // Added or not, the frame is scaled, analysed and shown.
    EXPECT_EQ(rig.hooks.analysed[1000], 100);
    EXPECT_EQ(rig.buffers.frame[1000], 100);
    EXPECT_EQ(rig.hooks.shownCounts.back(), rig.integration.frameCount);
}

INSTANTIATE_TEST_SUITE_P(
    Distances, IntegrationGate,
    testing::Values(GateCase{"OnReference", true, 0, 0, 0, true}, GateCase{"OneRight", true, 1, 0, 0, false},
                    GateCase{"OneUp", true, 0, -1, 0, false}, GateCase{"AtToleranceBothAxes", true, 2, -2, 2, true},
                    GateCase{"PastToleranceX", true, -3, 0, 2, false}, GateCase{"PastToleranceY", true, 0, 3, 2, false},
                    GateCase{"FarButNotTracking", false, 50, 50, 0, true}),
    [](const testing::TestParamInfo<GateCase>& info) { return std::string(info.param.name); });

// The gate judges the position found on the previous frame, not the one this frame's analysis finds.
TEST(IntegrationGate, JudgesThePositionFromBeforeTheAnalysis)
{
    PipelineRig rig;
    rig.StarOffBy(0, 0);
    rig.hooks.duringAnalysis = [&rig] { rig.tracking.starX += 30; };  // the star is lost on this frame

    rig.Run(10);
    EXPECT_EQ(rig.integration.frameCount, 1);
    EXPECT_EQ(rig.buffers.sumFrame[0], 41);

    rig.Run(10);  // now judged with the position the first analysis left
    EXPECT_EQ(rig.integration.frameCount, 1);
    EXPECT_EQ(rig.buffers.sumFrame[0], 41);
}

// After a reset a rejected frame still gives a count of 1, and the average shows the sum alone.
TEST(IntegrationGate, RejectedFirstFrameCountsOne)
{
    PipelineRig rig;
    rig.StarOffBy(5, 0);
    rig.integration.showAverage = true;
    rig.Run(30);
    EXPECT_EQ(rig.integration.frameCount, 1);
    EXPECT_EQ(rig.buffers.sumFrame[0], 1);
    EXPECT_EQ(rig.buffers.frame[0], 1);
}

TEST(DarkCapture, RightAfterResetStoresOnePlusTheFrame)
{
    PipelineRig rig;
    rig.buffers.frame.fill(10);
    rig.buffers.frame[123] = 63;
    rig.buffers.darkRequested = true;
    rig.Run();
    EXPECT_FALSE(rig.buffers.darkRequested);
    EXPECT_EQ(rig.buffers.darkFrame[0], 41);
    EXPECT_EQ(rig.buffers.darkFrame[123], 253);
    EXPECT_EQ(rig.buffers.darkFrame.back(), 41);
}

// The dark frame is the truncated mean of the sum; once in use it is taken off every later frame.
TEST(DarkCapture, IsTheMeanOfTheSumAndIsSubtractedAfterwards)
{
    PipelineRig rig;
    rig.Run(10);  // 40
    rig.Run(11);  // 44
    rig.buffers.darkRequested = true;
    rig.Run(11);  // 44: sum 1 + 128 = 129, mean 43
    EXPECT_EQ(rig.buffers.darkFrame[77], 43);

    rig.buffers.useDark = true;
    rig.Run(12);  // 48 - 43
    EXPECT_EQ(rig.hooks.analysed[77], 5);
    EXPECT_EQ(rig.buffers.sumFrame[77], 134);
}

}  // namespace
}  // namespace nuvix
