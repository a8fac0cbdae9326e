#pragma once

#include "guiding/TrackingState.h"
#include "image/FrameGeometry.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace nuvix {

// How the integration window wants the sum shown, and the count of frames in the sum
// (also the photo series' picture number).
struct IntegrationState {
    bool showAverage = false;
    bool stretchOn = false;
    bool gainOn = false;
    float gain = 1.0f;
    int32_t tolerance = 0;
    int32_t frameCount = 0;
};

// The image window's picture data.
struct FrameBuffers {
    FrameBytes frame{};              // the current picture: 0-63 after a transfer, 0-255 after the pipeline
    FrameBytes incoming{};           // where a transfer lands; swapped into `frame` when it completes
    std::vector<int32_t> darkFrame;  // 0-252 scale; zeros until the first capture
    std::vector<int32_t> sumFrame;   // 1 + sum of accepted scaled frames; empty if it could not be had
    bool useDark = false;
    bool darkRequested = false;

    // Where a block of int32 entries comes from; it may throw std::bad_alloc. Tests hand in
    // one that runs out, to reach the failure path without exhausting real memory.
    using BlockSource = std::function<std::vector<int32_t>(std::size_t entries)>;

    // Allocates the dark frame (zeros) and the sum; false (and both left empty) when memory is short.
    bool Allocate();
    bool Allocate(const BlockSource& source);
    bool Allocated() const { return !sumFrame.empty(); }
};

// Every entry of the sum back to 1 and the count to 0.
void ResetIntegration(FrameBuffers& buffers, IntegrationState& integration);

// What the pipeline asks of the rest of the system on its way.
class PipelineHooks {
public:
    virtual ~PipelineHooks() = default;
    virtual void AnalyseFrame(const FrameBytes& frame) = 0;  // on the scaled frame, before accumulation
    virtual void DarkFrameTaken() = 0;                       // the dark request has been served
    virtual void ShowFrameCount(int32_t frameCount) = 0;     // the last step
};

// Turns the raw six-bit `frame` into the picture the rest of the system sees: dark-spot
// inversion, tolerance gate, scaling and dark subtraction, analysis, accumulation, dark
// capture and the display transform, in that order. Returns whether the frame went into the sum.
bool FramePipeline(FrameBuffers& buffers, IntegrationState& integration, const TrackingState& tracking,
                   bool darkSpotGuiding, PipelineHooks& hooks);

}  // namespace nuvix
