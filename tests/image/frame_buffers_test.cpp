#include "image/FramePipeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <new>

namespace nuvix {
namespace {

TEST(FrameBuffers, AllocatesAZeroDarkFrameAndAResetSum)
{
    FrameBuffers buffers;
    EXPECT_FALSE(buffers.Allocated());
    ASSERT_TRUE(buffers.Allocate());
    EXPECT_TRUE(buffers.Allocated());
    ASSERT_EQ(buffers.darkFrame.size(), static_cast<std::size_t>(kFramePixels));
    ASSERT_EQ(buffers.sumFrame.size(), static_cast<std::size_t>(kFramePixels));
    EXPECT_TRUE(std::all_of(buffers.darkFrame.begin(), buffers.darkFrame.end(), [](int32_t v) { return v == 0; }));
}

// Memory runs out on the first or the second block, or a block comes back short: never half a pair.
TEST(FrameBuffers, ShortMemoryLeavesBothEmpty)
{
    for (int failingCall : {1, 2, 0}) {
        SCOPED_TRACE(failingCall);
        FrameBuffers buffers;
        int calls = 0;
        const bool ok = buffers.Allocate([&](std::size_t entries) {
            ++calls;
            if (calls == failingCall) throw std::bad_alloc();
            return std::vector<int32_t>(failingCall == 0 ? entries - 1 : entries);
        });
        EXPECT_FALSE(ok);
        EXPECT_FALSE(buffers.Allocated());
        EXPECT_TRUE(buffers.darkFrame.empty());
        EXPECT_TRUE(buffers.sumFrame.empty());
    }
}

TEST(FrameBuffers, ResetPutsOneInEverySumEntryAndZeroInTheCount)
{
    FrameBuffers buffers;
    ASSERT_TRUE(buffers.Allocate());
    std::fill(buffers.sumFrame.begin(), buffers.sumFrame.end(), 777);
    IntegrationState integration;
    integration.frameCount = 42;
    ResetIntegration(buffers, integration);
    EXPECT_EQ(integration.frameCount, 0);
    EXPECT_TRUE(std::all_of(buffers.sumFrame.begin(), buffers.sumFrame.end(), [](int32_t v) { return v == 1; }));
}

}  // namespace
}  // namespace nuvix
