// The frame transfer's cost against the simulated camera on the real clock: per frame, per
// port access, and a bare decode pass over the same memory for comparison.
#include "camera/FrameTransfer.h"
#include "camera/QuickCam.h"
#include "platform/clock/RealClock.h"
#include "platform/ports/PortBus.h"
#include "sim/SimCamera.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>

namespace nuvix {
namespace {

// Passes every access through to the camera and counts it.
class CountingDevice final : public PortDevice {
public:
    explicit CountingDevice(PortDevice& inner) : inner_(inner) {}
    uint8_t ReadPort(uint16_t address) override
    {
        ++accesses;
        return inner_.ReadPort(address);
    }
    void WritePort(uint16_t address, uint8_t value) override
    {
        ++accesses;
        inner_.WritePort(address, value);
    }
    int64_t accesses = 0;

private:
    PortDevice& inner_;
};

// A detected, probed simulated camera sending its test pattern.
struct Bench {
    Bench()
    {
        bus.Attach(port::kLptData, port::kLptControl, counter);
        if (!DetectCamera(link) || ProbePortMode(link) != PortMode::Bidirectional) {
            std::fprintf(stderr, "simulated camera did not answer\n");
        }
    }
    RealClock clock;
    sim::SimCamera camera{clock, nullptr};
    CountingDevice counter{camera};
    PortBus bus;
    CameraLink link{bus, clock};
};

void BM_ReadFrame(benchmark::State& state)
{
    Bench bench;
    CameraSettings settings;
    FrameBytes frame{};
    UploadSettings(bench.link, settings);
    bench.counter.accesses = 0;
    int64_t frames = 0;
    for (auto _ : state) {
        UploadSettings(bench.link, settings);
        if (!ReadFrame(bench.link, frame)) state.SkipWithError("frame given up");
        PulseReset(bench.link);
        benchmark::DoNotOptimize(frame.data());
        ++frames;
    }
    state.counters["accesses/frame"] = static_cast<double>(bench.counter.accesses) / static_cast<double>(frames);
    // Seconds per access, shown with an SI prefix (n for nanoseconds).
    state.counters["s/access"] = benchmark::Counter(static_cast<double>(bench.counter.accesses),
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ReadFrame)->Unit(benchmark::kMillisecond);

void BM_UploadSettings(benchmark::State& state)
{
    Bench bench;
    CameraSettings settings;
    for (auto _ : state) {
        benchmark::DoNotOptimize(UploadSettings(bench.link, settings));
    }
}
BENCHMARK(BM_UploadSettings)->Unit(benchmark::kMicrosecond);

// One status read through the bus and the simulator.
void BM_PortAccess(benchmark::State& state)
{
    Bench bench;
    for (auto _ : state) {
        benchmark::DoNotOptimize(bench.link.ReadPort(port::kLptStatus));
    }
}
BENCHMARK(BM_PortAccess);

// The same decoding and downward stores with the port taken away: the memory floor.
void BM_BareDecodePass(benchmark::State& state)
{
    std::array<uint8_t, kFramePixels> lines{};  // data and status bytes of every half
    for (size_t i = 0; i < lines.size(); ++i)
        lines[i] = static_cast<uint8_t>(i * 37);
    FrameBytes frame{};
    for (auto _ : state) {
        uint8_t* out = frame.data() + frame.size();
        for (size_t i = 0; i < lines.size(); i += 2) {
            const uint8_t data = lines[i];
            const uint8_t status = lines[i + 1];
            *--out = static_cast<uint8_t>(63 - ((data >> 1) & 0x3F));
            *--out = static_cast<uint8_t>(63 - (((status >> 2) & 0x3E) | (data >> 7)));
        }
        benchmark::DoNotOptimize(frame.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BareDecodePass)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace nuvix
