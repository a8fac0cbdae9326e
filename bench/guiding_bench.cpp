// The star analysis of one frame beside a bare pass over the tracking box's pixels, and the
// sub-pixel measurement of the same star on the same frame and on a camera's 16-bit picture.
#include "SkyFrame.h"
#include "guiding/StarAnalysis.h"
#include "guiding/StarMeasurement.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <random>
#include <vector>

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

void MeasureStar(benchmark::State& state, const auto& picture)
{
    nuvix::StarMeasurer measurer;
    const auto box = nuvix::BoxInFrame(picture.data(), 110, 70, 100);
    nuvix::MeasuredStar star;
    for (auto _ : state) {
        star = measurer.Measure(box);
        benchmark::DoNotOptimize(star);
    }
    state.counters["snr"] = star.snr;
    state.counters["hfd"] = star.hfd;
}

void MeasureStarSixBits(benchmark::State& state)
{
    MeasureStar(state, SkyFrame());
}
BENCHMARK(MeasureStarSixBits);

// An INDI camera's 16-bit picture: a sky of 1,000 counts with noise of 20 and a guide star of
// half-flux diameter 3.5 pixels at a signal-to-noise ratio near 100, as guide cameras see them.
void MeasureStarSixteenBits(benchmark::State& state)
{
    std::vector<uint16_t> picture(nuvix::kFramePixels);
    std::mt19937 random(5);
    std::normal_distribution<float> noise(0.0f, 20.0f);
    const float sigma = 3.5f / 2.3548f;
    for (int y = 0; y < kFrameHeight; ++y) {
        for (int x = 0; x < kFrameWidth; ++x) {
            const float d2 = static_cast<float>((x - 160) * (x - 160) + (y - 120) * (y - 120));
            const float v = 1000.0f + 1500.0f * std::exp(-d2 / (2 * sigma * sigma)) + noise(random);
            picture[static_cast<size_t>((kFrameHeight - 1 - y) * kFrameWidth + x)] = static_cast<uint16_t>(v);
        }
    }
    MeasureStar(state, picture);
}
BENCHMARK(MeasureStarSixteenBits);

}  // namespace
