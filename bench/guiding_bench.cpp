// The star analysis of one frame beside a bare pass over the tracking box's pixels.
#include "guiding/StarAnalysis.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>

namespace {

using nuvix::FrameBytes;
using nuvix::kFrameHeight;
using nuvix::kFrameWidth;

// A sky of the simulator's kind, scaled to 0-252: background near 44, a blurred star in the box.
FrameBytes SkyFrame()
{
    FrameBytes frame{};
    std::mt19937 random(11);
    std::normal_distribution<float> noise(0.0f, 2.4f);
    for (int y = 0; y < kFrameHeight; ++y) {
        for (int x = 0; x < kFrameWidth; ++x) {
            const float d2 = static_cast<float>((x - 160) * (x - 160) + (y - 120) * (y - 120));
            const float level = 11.0f + 36.0f * std::exp(-d2 / 50.0f) + noise(random) / 4.0f;
            frame[static_cast<size_t>((kFrameHeight - 1 - y) * kFrameWidth + x)] =
                static_cast<uint8_t>(4 * std::clamp(static_cast<int>(level), 0, 63));
        }
    }
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
