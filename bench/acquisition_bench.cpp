// The whole acquisition step (settings upload, transfer, pipeline, drawing) on the
// simulated camera and sky, with the headless desktop: frames per second of CPU work.
#include "app/NuvixWindow.h"
#include "app/TcamApp.h"
#include "platform/headless/HeadlessToolkit.h"
#include "sim/SimCamera.h"
#include "sim/Sky.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

void AcquisitionStep(benchmark::State& state)
{
    const bool skyPicture = state.range(0) != 0;
    nuvix::headless::HeadlessToolkit toolkit;
    nuvix::PortBus bus;
    nuvix::sim::Sky sky(1);
    nuvix::sim::SimCamera camera(toolkit.Clock(), skyPicture ? &sky : nullptr);
    bus.Attach(nuvix::port::kLptData, nuvix::port::kLptControl, camera);
    const auto paramFile = std::filesystem::temp_directory_path() / "nuvix-bench-campar.dat";
    {
        nuvix::TcamApp app(toolkit, bus, paramFile.string());
        app.InitMainWindow();
        nuvix::NuvixWindow& window = *app.MainWindow()->ImageWindow();
        for (auto _ : state)
            window.AcquisitionStep();
        state.counters["frames/s"] =
            benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    }
    std::filesystem::remove(paramFile);
}
BENCHMARK(AcquisitionStep)->ArgName("sky")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
