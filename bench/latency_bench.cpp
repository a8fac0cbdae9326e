// The guider's latency: from the end of a frame's transfer on the simulator (the control write
// that gives the data lines back, right after the last pixel) to the first command byte written
// to the serial line, through the pipeline, the star analysis, the windows' updates and the
// drawing; beside it, the transfer itself (turnaround to last pixel). Wall-clock time, on the
// headless desktop, whose fake clock makes the busy waits free.
#include "GuidedSession.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Microseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::micro>(d).count();
}

// Stands in front of the camera and of the mount and notes when a transfer starts and ends,
// and when the first byte after it reaches the line.
class Stopwatch {
public:
    class Camera final : public nuvix::PortDevice {
    public:
        Camera(Stopwatch& watch, nuvix::PortDevice& device) : watch_(watch), device_(device) {}
        uint8_t ReadPort(uint16_t address) override { return device_.ReadPort(address); }
        void WritePort(uint16_t address, uint8_t value) override
        {
            if (address == nuvix::port::kLptControl) watch_.OnControl(value);
            device_.WritePort(address, value);
        }

    private:
        Stopwatch& watch_;
        nuvix::PortDevice& device_;
    };
    class Line final : public nuvix::PortDevice {
    public:
        Line(Stopwatch& watch, nuvix::PortDevice& device) : watch_(watch), device_(device) {}
        uint8_t ReadPort(uint16_t address) override { return device_.ReadPort(address); }
        void WritePort(uint16_t address, uint8_t value) override
        {
            watch_.OnLineByte();
            device_.WritePort(address, value);
        }

    private:
        Stopwatch& watch_;
        nuvix::PortDevice& device_;
    };

    std::vector<double> latencies;  // us
    std::vector<double> transfers;  // us

private:
    void OnControl(uint8_t value)
    {
        constexpr uint8_t kTurnaround = 0x2E;
        constexpr uint8_t kIdle = 0x00;
        if (!inTransfer_ && value == kTurnaround) {
            inTransfer_ = true;
            start_ = Clock::now();
        } else if (inTransfer_ && value == kIdle) {
            inTransfer_ = false;
            end_ = Clock::now();
            transfers.push_back(Microseconds(end_ - start_));
            waitingForByte_ = true;
        }
    }
    void OnLineByte()
    {
        if (!waitingForByte_) return;
        waitingForByte_ = false;
        latencies.push_back(Microseconds(Clock::now() - end_));
    }

    bool inTransfer_ = false;
    bool waitingForByte_ = false;
    Clock::time_point start_, end_;
};

double Percentile(std::vector<double> values, double p)
{
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(p * static_cast<double>(values.size() - 1))];
}

void CorrectionLatency(benchmark::State& state)
{
    const auto dir = std::filesystem::temp_directory_path() / "nuvix-latency-bench";
    std::filesystem::create_directories(dir);
    {
        nuvix::bench::GuidedSession session(dir);
        Stopwatch watch;
        Stopwatch::Camera camera(watch, session.camera);
        Stopwatch::Line line(watch, session.mount);
        session.bus.Attach(nuvix::port::kLptData, nuvix::port::kLptControl, camera);
        nuvix::AttachUarts(session.bus, line);
        session.Start();
        if (state.range(0) != 0) session.ShowStretchedSum();
        watch.latencies.clear();
        watch.transfers.clear();
        for (auto _ : state)
            session.Image().AcquisitionStep();
        state.counters["latency_p50_us"] = Percentile(watch.latencies, 0.50);
        state.counters["latency_p99_us"] = Percentile(watch.latencies, 0.99);
        state.counters["latency_max_us"] = Percentile(watch.latencies, 1.0);
        state.counters["transfer_p50_us"] = Percentile(watch.transfers, 0.50);
        state.counters["transfer_p99_us"] = Percentile(watch.transfers, 0.99);
        if (watch.latencies.size() != watch.transfers.size()) state.SkipWithError("a frame sent no correction");
    }
    std::filesystem::remove_all(dir);
}
BENCHMARK(CorrectionLatency)->ArgName("stretched_sum")->Arg(0)->Arg(1)->Iterations(3000)->Unit(benchmark::kMillisecond);

}  // namespace
