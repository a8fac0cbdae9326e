#include "image/FramePipeline.h"

#include <algorithm>
#include <new>

namespace nuvix {

namespace {

std::vector<int32_t> HeapBlock(std::size_t entries)
{
    return std::vector<int32_t>(entries);
}

}  // namespace

bool FrameBuffers::Allocate()
{
    return Allocate(HeapBlock);
}

bool FrameBuffers::Allocate(const BlockSource& source)
{
    try {
        std::vector<int32_t> dark = source(kFramePixels);
        std::vector<int32_t> sum = source(kFramePixels);
        if (dark.size() != kFramePixels || sum.size() != kFramePixels) {
            throw std::bad_alloc();
        }
        // Subtracting before the first capture then removes nothing.
        std::fill(dark.begin(), dark.end(), 0);
        std::fill(sum.begin(), sum.end(), 1);
        darkFrame = std::move(dark);
        sumFrame = std::move(sum);
        return true;
    } catch (const std::bad_alloc&) {
        // Half a pair is no use: the pipeline needs both or neither.
        darkFrame = std::vector<int32_t>();
        sumFrame = std::vector<int32_t>();
        return false;
    }
}

void ResetIntegration(FrameBuffers& buffers, IntegrationState& integration)
{
    // The sum starts at 1, not 0: every reader divides or subtracts with that in mind.
    std::fill(buffers.sumFrame.begin(), buffers.sumFrame.end(), 1);
    integration.frameCount = 0;
}

}  // namespace nuvix
