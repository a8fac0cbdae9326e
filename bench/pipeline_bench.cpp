// The per-frame cost of the frame pipeline beside one bare pass over the same memory.
#include "image/FramePipeline.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

using nuvix::FrameBuffers;
using nuvix::FrameBytes;
using nuvix::IntegrationState;
using nuvix::kFramePixels;

class NoHooks : public nuvix::PipelineHooks {
public:
    void AnalyseFrame(const FrameBytes& frame) override { benchmark::DoNotOptimize(frame.data()); }
    void DarkFrameTaken() override {}
    void ShowFrameCount(int32_t) override {}
};

FrameBytes RawFrame()
{
    FrameBytes raw{};
    std::mt19937 random(7);
    for (auto& p : raw)
        p = static_cast<uint8_t>(random() % 64);
    return raw;
}

// What any per-frame pass must at least do: read the frame, read and write the sum, write the frame.
void BarePass(benchmark::State& state)
{
    FrameBuffers buffers;
    buffers.Allocate();
    buffers.frame = RawFrame();
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
    NoHooks hooks;
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
    const FrameBytes raw = RawFrame();
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
    NoHooks hooks;
    buffers.frame = RawFrame();
    for (auto _ : state) {
        buffers.darkRequested = true;
        nuvix::FramePipeline(buffers, integration, tracking, false, hooks);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(PipelineWithDarkCapture);

}  // namespace
