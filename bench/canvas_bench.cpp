// Per-frame drawing costs of the live view: the palette-index copy of the 320 x 240 picture
// into the back buffer and the 2x zoom of the 100 x 100 tracking box, each beside a bare pass
// that writes the same number of pixels.
#include "platform/gfx/Canvas.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>
#include <vector>

namespace {

using nuvix::gfx::Bitmap;
using nuvix::gfx::Canvas;
using nuvix::gfx::Palette;
using nuvix::gfx::Pixel;
using nuvix::gfx::Rect;

constexpr int kFrameWidth = 320;
constexpr int kFrameHeight = 240;
constexpr int kBackBufferHeight = 460;

std::vector<uint8_t> NoisyFrame()
{
    std::vector<uint8_t> frame(static_cast<size_t>(kFrameWidth) * kFrameHeight);
    uint32_t state = 12345;
    for (auto& v : frame) {
        state = state * 1664525u + 1013904223u;
        v = static_cast<uint8_t>((state >> 24) & 0xFC);  // 6-bit samples times 4
    }
    return frame;
}

void BM_Indexed8Copy320x240(benchmark::State& state)
{
    const auto frame = NoisyFrame();
    std::array<uint16_t, 256> identity{};
    std::iota(identity.begin(), identity.end(), uint16_t{0});
    const Palette grey = Palette::Grey();
    Bitmap backBuffer(kFrameWidth, kBackBufferHeight);
    for (auto _ : state) {
        Canvas(backBuffer).DrawIndexed8(0, 0, kFrameWidth, kFrameHeight, frame, identity, grey);
        benchmark::DoNotOptimize(backBuffer.Pixels().data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kFrameWidth * kFrameHeight);
}
BENCHMARK(BM_Indexed8Copy320x240);

void BM_BarePass320x240(benchmark::State& state)
{
    const auto frame = NoisyFrame();
    Bitmap backBuffer(kFrameWidth, kBackBufferHeight);
    for (auto _ : state) {
        std::transform(frame.begin(), frame.end(), backBuffer.Pixels().begin(),
                       [](uint8_t v) { return Pixel{v} * 0x010101u; });
        benchmark::DoNotOptimize(backBuffer.Pixels().data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kFrameWidth * kFrameHeight);
}
BENCHMARK(BM_BarePass320x240);

// The zoom reads and writes the same back buffer, as the live view does.
void BM_Stretch2x100x100(benchmark::State& state)
{
    Bitmap backBuffer(kFrameWidth, kBackBufferHeight);
    std::iota(backBuffer.Pixels().begin(), backBuffer.Pixels().end(), Pixel{0});
    for (auto _ : state) {
        Canvas(backBuffer)
            .StretchBlock(Rect::FromSize(100, 250, 200, 200), backBuffer, Rect::FromSize(110, 70, 100, 100));
        benchmark::DoNotOptimize(backBuffer.Pixels().data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 200 * 200);
}
BENCHMARK(BM_Stretch2x100x100);

// The same 2x stretch through the general nearest-neighbour path (the zoom one pixel off the
// bitmap's right edge), for comparison with the dedicated one.
void BM_Stretch2x100x100General(benchmark::State& state)
{
    Bitmap backBuffer(kFrameWidth, kBackBufferHeight);
    std::iota(backBuffer.Pixels().begin(), backBuffer.Pixels().end(), Pixel{0});
    for (auto _ : state) {
        Canvas(backBuffer)
            .StretchBlock(Rect::FromSize(121, 250, 200, 200), backBuffer, Rect::FromSize(110, 70, 100, 100));
        benchmark::DoNotOptimize(backBuffer.Pixels().data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 199 * 200);
}
BENCHMARK(BM_Stretch2x100x100General);

void BM_BarePass200x200(benchmark::State& state)
{
    Bitmap backBuffer(kFrameWidth, kBackBufferHeight);
    Pixel v = 0;
    for (auto _ : state) {
        for (int y = 250; y < 450; ++y) {
            auto row = backBuffer.Row(y).subspan(100, 200);
            std::fill(row.begin(), row.end(), ++v);
        }
        benchmark::DoNotOptimize(backBuffer.Pixels().data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 200 * 200);
}
BENCHMARK(BM_BarePass200x200);

}  // namespace
