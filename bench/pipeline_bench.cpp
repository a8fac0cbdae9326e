// The per-frame cost of the frame pipeline, the star analysis included, beside one bare pass over
// the same memory.
#include "SkyFrame.h"
#include "guiding/StarAnalysis.h"
#include "image/FramePipeline.h"

#include <benchmark/benchmark.h>

namespace {

using nuvix::FrameBuffers;
using nuvix::FrameBytes;
using nuvix::IntegrationState;
using nuvix::kFramePixels;

// The star analysis runs as in the program: every frame goes through it.
class AnalysingHooks : public nuvix::PipelineHooks {
public:
    void AnalyseFrame(const FrameBytes& frame) override
    {
        uint16_t whiteBalance = 170;
        benchmark::DoNotOptimize(nuvix::AnalyseFrame(frame, settings_, tracking_, results_, whiteBalance));
    }
    void DarkFrameTaken() override {}
    void ShowFrameCount(int32_t) override {}

private:
    nuvix::AnalysisSettings settings_;
    nuvix::TrackingState tracking_;
    nuvix::AnalysisResults results_;
};

// What any per-frame pass must at least do: read the frame, read and write the sum, write the frame.
void BarePass(benchmark::State& state)
{
    FrameBuffers buffers;
    buffers.Allocate();
    buffers.frame = nuvix::bench::RawSkyFrame();
    for (auto _ : state) {
        uint8_t* frame = buffers.frame.data();
        int32_t* sum = buffers.sumFrame.data();
        for (int i = 0; i < kFramePixels; ++i) {
            const int32_t s = sum[i] + (frame[i] & 63);
            sum[i] = s;
            frame[i] = static_cast<uint8_t>(s);
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kFramePixels * 10);
}
BENCHMARK(BarePass);

enum Settings : int { kTypical, kAverage, kAverageStretch, kAverageGain, kFrameGain, kEverything };

void Pipeline(benchmark::State& state)
{
    FrameBuffers buffers;
    buffers.Allocate();
    IntegrationState integration;
    nuvix::ResetIntegration(buffers, integration);
    nuvix::TrackingState tracking;
    AnalysingHooks hooks;
    bool darkSpot = false;
    const auto settings = static_cast<Settings>(state.range(0));
    integration.showAverage =
        settings == kAverage || settings == kAverageStretch || settings == kAverageGain || settings == kEverything;
    integration.stretchOn = settings == kAverageStretch || settings == kEverything;
    integration.gainOn = settings == kAverageGain || settings == kFrameGain;
    integration.gain = 1.7f;
    if (settings == kEverything) {
        buffers.useDark = true;
        darkSpot = true;
        tracking.trackingOn = true;  // with the star on its reference, so frames are still added
        tracking.refX = tracking.boxLeft;
        tracking.refY = tracking.boxTop;
    }
    const FrameBytes raw = nuvix::bench::RawSkyFrame();
    buffers.frame = raw;
    for (auto _ : state) {
        nuvix::FramePipeline(buffers, integration, tracking, darkSpot, hooks);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kFramePixels * 10);
}
BENCHMARK(Pipeline)
    ->ArgName("settings")
    ->Arg(kTypical)
    ->Arg(kAverage)
    ->Arg(kAverageStretch)
    ->Arg(kAverageGain)
    ->Arg(kFrameGain)
    ->Arg(kEverything);

// A dark capture is rare, but it adds a division per pixel to that one frame.
void PipelineWithDarkCapture(benchmark::State& state)
{
    FrameBuffers buffers;
    buffers.Allocate();
    IntegrationState integration;
    nuvix::ResetIntegration(buffers, integration);
    nuvix::TrackingState tracking;
    AnalysingHooks hooks;
    buffers.frame = nuvix::bench::RawSkyFrame();
    for (auto _ : state) {
        buffers.darkRequested = true;
        nuvix::FramePipeline(buffers, integration, tracking, false, hooks);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(PipelineWithDarkCapture);

}  // namespace
