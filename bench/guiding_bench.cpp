// The star analysis of one frame beside a bare pass over the tracking box's pixels.
#include "SkyFrame.h"
#include "guiding/StarAnalysis.h"

#include <benchmark/benchmark.h>

#include <array>

namespace {

using nuvix::FrameBytes;
using nuvix::kFrameHeight;
using nuvix::kFrameWidth;

// The sky frame scaled to 0-252, as the analysis sees it.
FrameBytes SkyFrame()
{
    FrameBytes frame = nuvix::bench::RawSkyFrame();
    for (auto& p : frame)
        p = static_cast<uint8_t>(4 * p);
    return frame;
}

// What any analysis must at least do: read each of the box's 10,000 pixels once.
void BareBoxPass(benchmark::State& state)
{
    const FrameBytes frame = SkyFrame();
    for (auto _ : state) {
        unsigned total = 0;
        for (int y = 70; y < 170; ++y) {
            const uint8_t* row = frame.data() + (kFrameHeight - 1 - y) * kFrameWidth;
            for (int x = 110; x < 210; ++x)
                total += row[x];
        }
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BareBoxPass);

// The box's histogram written the plain way, one table: the least an analysis that gives the
// histogram has to do, before any care for speed.
void PlainBoxHistogram(benchmark::State& state)
{
    const FrameBytes frame = SkyFrame();
    for (auto _ : state) {
        std::array<int32_t, 64> counts{};
        for (int y = 70; y < 170; ++y) {
            const uint8_t* row = frame.data() + (kFrameHeight - 1 - y) * kFrameWidth;
            for (int x = 110; x < 210; ++x)
                ++counts[static_cast<size_t>(row[x] >> 2)];
        }
        benchmark::DoNotOptimize(counts);
    }
}
BENCHMARK(PlainBoxHistogram);

void AnalyseFrame(benchmark::State& state)
{
    const FrameBytes frame = SkyFrame();
    nuvix::TrackingState tracking;
    nuvix::AnalysisResults results;
    nuvix::AnalysisSettings settings;
    settings.autoWhiteBalance = state.range(0) != 0;
    uint16_t whiteBalance = 170;
    for (auto _ : state) {
        benchmark::DoNotOptimize(nuvix::AnalyseFrame(frame, settings, tracking, results, whiteBalance));
        whiteBalance = 170;
    }
    state.counters["population"] = results.population;
}
BENCHMARK(AnalyseFrame)->Arg(0)->Arg(1);

}  // namespace
