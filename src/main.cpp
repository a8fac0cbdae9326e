// The program's entry: the command line, the backends (desktop, camera port), the run.
#include "app/TcamApp.h"
#include "platform/linux/ParallelPort.h"
#include "platform/ports/PortBus.h"
#include "platform/wx/WxToolkit.h"
#include "sim/SimCamera.h"
#include "sim/Sky.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

namespace {

constexpr const char* kVersion = "2.07";

struct Options {
    bool simulate = false;
    std::string parport = nuvix::kDefaultParallelPort;
};

void PrintUsage(std::FILE* to)
{
    std::fprintf(to,
                 "Usage: nuvix [--simulate] [--parport PATH] [--help] [--version]\n"
                 "  --simulate       use the simulated camera, sky and mount instead of the hardware\n"
                 "  --parport PATH   parallel port device of the camera (default %s)\n"
                 "  --help           show this help and exit\n"
                 "  --version        show the version and exit\n",
                 nuvix::kDefaultParallelPort);
}

// Options, or the exit code when the program is to end at once.
std::optional<Options> ParseCommandLine(int argc, char** argv, int& exitCode)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--simulate") {
            options.simulate = true;
        } else if (arg == "--parport" && i + 1 < argc) {
            options.parport = argv[++i];
        } else if (arg.rfind("--parport=", 0) == 0) {
            options.parport = arg.substr(std::strlen("--parport="));
        } else if (arg == "--help") {
            PrintUsage(stdout);
            exitCode = 0;
            return std::nullopt;
        } else if (arg == "--version") {
            std::printf("Nuvix %s\n", kVersion);
            exitCode = 0;
            return std::nullopt;
        } else {
            std::fprintf(stderr, "nuvix: %s '%s'\n",
                         arg == "--parport" ? "--parport needs a device path after" : "unknown option", arg.c_str());
            PrintUsage(stderr);
            exitCode = 2;
            return std::nullopt;
        }
    }
    return options;
}

extern "C" void OnQuitSignal(int)
{
    nuvix::wx::WxToolkit::RequestQuitFromSignal();
}

}  // namespace

int main(int argc, char** argv)
{
    int exitCode = 0;
    const std::optional<Options> options = ParseCommandLine(argc, argv, exitCode);
    if (!options) return exitCode;

    nuvix::wx::WxToolkit toolkit;
    nuvix::PortBus bus;

    // The camera: the simulator, or the real parallel port. Without either the camera is
    // simply not detected.
    nuvix::sim::Sky sky(20261207);
    nuvix::sim::SimCamera simulatedCamera(toolkit.GetClock(), &sky);
    std::unique_ptr<nuvix::PortDevice> parallelPort;
    if (options->simulate) {
        bus.Attach(nuvix::port::kLptData, nuvix::port::kLptControl, simulatedCamera);
    } else {
        nuvix::ParallelPortOpening opened = nuvix::OpenParallelPort(options->parport);
        if (opened.device) {
            parallelPort = std::move(opened.device);
            bus.Attach(nuvix::port::kLptData, nuvix::port::kLptControl, *parallelPort);
        } else {
            std::fprintf(stderr, "nuvix: %s\n", opened.reason.c_str());
        }
    }

    // Ending on a signal is ending by the close box: the parameters are stored.
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    nuvix::TcamApp app(toolkit, bus);
    return toolkit.Run([&] { app.InitMainWindow(); }, [&] { app.CloseMainWindow(); });
}
