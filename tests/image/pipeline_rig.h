#pragma once

#include "image/FramePipeline.h"

#include <functional>
#include <string>
#include <vector>

namespace nuvix::test {

// Records what the pipeline asks of the system, and may act during the analysis.
class RecordingHooks : public PipelineHooks {
public:
    std::vector<std::string> calls;
    FrameBytes analysed{};
    std::vector<int32_t> shownCounts;
    std::function<void()> duringAnalysis;

    void AnalyseFrame(const FrameBytes& frame) override
    {
        calls.push_back("AnalyseFrame");
        analysed = frame;
        if (duringAnalysis) duringAnalysis();
    }
    void DarkFrameTaken() override { calls.push_back("DarkFrameTaken"); }
    void ShowFrameCount(int32_t frameCount) override
    {
        calls.push_back("ShowFrameCount");
        shownCounts.push_back(frameCount);
    }
};

// The image window's picture state, freshly allocated and reset, as at start-up.
struct PipelineRig {
    FrameBuffers buffers;
    IntegrationState integration;
    TrackingState tracking;
    RecordingHooks hooks;
    bool darkSpotGuiding = false;
    bool allocated = false;

    PipelineRig()
    {
        allocated = buffers.Allocate();
        ResetIntegration(buffers, integration);
    }

    // One transfer of a uniform raw picture through the pipeline.
    void Run(uint8_t raw)
    {
        buffers.frame.fill(raw);
        Run();
    }
    void Run() { FramePipeline(buffers, integration, tracking, darkSpotGuiding, hooks); }

    // Puts the measured star dx, dy pixels away from the guide reference, with guiding on.
    void StarOffBy(int32_t dx, int32_t dy)
    {
        tracking.trackingOn = true;
        tracking.starX = 40;
        tracking.starY = 60;
        tracking.refX = tracking.boxLeft + tracking.starX - dx;
        tracking.refY = tracking.boxTop + tracking.starY - dy;
    }
};

}  // namespace nuvix::test
