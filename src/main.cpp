// The program's entry: the command line, the backends (desktop, camera port), the run.
#include "app/TcamApp.h"
#include "platform/linux/ParallelPort.h"
#include "platform/linux/SerialLines.h"
#include "platform/ports/PortBus.h"
#include "platform/ports/PortFanOut.h"
#include "platform/wx/WxToolkit.h"
#include "sim/SimCamera.h"
#include "sim/SimFaults.h"
#include "sim/SimMount.h"
#include "sim/Sky.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

namespace {

// The session's settings could not be stored at the end (0, 1 and 2 are the usual ones).
constexpr int kExitSettingsNotStored = 3;

constexpr const char* kVersion = NUVIX_VERSION;  // the build's project version

struct Options {
    bool simulate = false;
    nuvix::sim::SimFaultPlan faults;
    std::string parport = nuvix::kDefaultParallelPort;
    nuvix::SerialPaths serial;  // lines named on the command line; empty: the default
};

void PrintUsage(std::FILE* to)
{
    std::fprintf(to,
                 "Usage: nuvix [--simulate[=FAULTS]] [--parport PATH] [--serial COMn=PATH]... [--help] [--version]\n"
                 "  --simulate         use the simulated camera, sky and mount instead of the hardware\n"
                 "  --simulate=FAULTS  the same, playing faults at times counted from the program's start,\n"
                 "                     for example unplug-after=10s,replug-after=20s: the camera is\n"
                 "                     unplugged during the first frame from 10 s on and powered again\n"
                 "                     at 20 s; ra-stuck-after=T or dec-stuck-after=T: from T on that\n"
                 "                     axis of the mount takes its corrections and does not move\n"
                 "                     (times are whole numbers of ms, s or min)\n"
                 "  --parport PATH     parallel port device of the camera (default %s)\n"
                 "  --serial COMn=PATH serial line of COM1 to COM4, where the mount's corrections go\n"
                 "                     (default /dev/ttyS0 to /dev/ttyS3; with --simulate, none)\n"
                 "  --help             show this help and exit\n"
                 "  --version          show the version and exit\n"
                 "Settings are kept in campar.dat in the current directory and stored when the program ends\n"
                 "(close box, SIGINT, SIGTERM or SIGHUP).\n"
                 "Exit status: 0 normal end; 1 the display could not be opened or was lost; 2 usage error;\n"
                 "  3 this session's settings could not be stored in campar.dat (the reason is on stderr).\n",
                 nuvix::kDefaultParallelPort);
}

// "COMn=PATH" into the options; false when it is not that.
bool TakeSerialLine(const std::string& text, Options& options)
{
    const bool com = text.size() > 5 && (text.compare(0, 3, "COM") == 0 || text.compare(0, 3, "com") == 0);
    if (!com || text[3] < '1' || text[3] > '4' || text[4] != '=') return false;
    options.serial[static_cast<size_t>(text[3] - '1')] = text.substr(5);
    return true;
}

// Options, or the exit code when the program is to end at once.
std::optional<Options> ParseCommandLine(int argc, char** argv, int& exitCode)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        std::string problem;
        if (arg == "--simulate") {
            options.simulate = true;
        } else if (arg.rfind("--simulate=", 0) == 0) {
            const nuvix::sim::SimFaultParse parsed = nuvix::sim::ParseSimFaults(arg.substr(std::strlen("--simulate=")));
            options.simulate = true;
            if (parsed.plan) {
                options.faults = *parsed.plan;
            } else {
                problem = "--simulate: " + parsed.error;
            }
        } else if (arg == "--parport" && i + 1 < argc && argv[i + 1][0] != '\0') {
            options.parport = argv[++i];
        } else if (arg.rfind("--parport=", 0) == 0 && arg.size() > std::strlen("--parport=")) {
            options.parport = arg.substr(std::strlen("--parport="));
        } else if (arg == "--serial" && i + 1 < argc && TakeSerialLine(argv[i + 1], options)) {
            ++i;
        } else if (arg.rfind("--serial=", 0) == 0 && TakeSerialLine(arg.substr(std::strlen("--serial=")), options)) {
        } else if (arg == "--help") {
            PrintUsage(stdout);
            exitCode = 0;
            return std::nullopt;
        } else if (arg == "--version") {
            std::printf("Nuvix %s\n", kVersion);
            exitCode = 0;
            return std::nullopt;
        } else {
            problem = "unknown option '" + arg + "'";
            if (arg.rfind("--parport", 0) == 0) problem = "--parport needs a device path (an empty one names nothing)";
            if (arg.rfind("--serial", 0) == 0) {
                problem = "--serial needs COM1 to COM4, '=' and a device path, after '" + arg + "'";
            }
        }
        if (!problem.empty()) {
            std::fprintf(stderr, "nuvix: %s\n", problem.c_str());
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

    // The mount's serial lines: the simulated mount listens on every port, and the lines named
    // on the command line hear the same bytes; without the simulator COM1 to COM4 are the
    // machine's own serial ports unless named otherwise.
    nuvix::SerialPaths serialPaths = options->simulate ? nuvix::SerialPaths{} : nuvix::kDefaultSerialPaths;
    for (size_t i = 0; i < serialPaths.size(); ++i) {
        if (!options->serial[i].empty()) serialPaths[i] = options->serial[i];
    }
    nuvix::SerialLines serialLines(serialPaths, std::cerr);
    nuvix::sim::SimMount simulatedMount(toolkit.GetClock());
    nuvix::PortFanOut mountAndLines{&simulatedMount, &serialLines};
    if (options->simulate) {
        nuvix::sim::ApplySimFaults(options->faults, simulatedCamera, simulatedMount);
        sky.SetMount(&simulatedMount);
        nuvix::AttachUarts(bus, mountAndLines);
    } else {
        nuvix::AttachUarts(bus, serialLines);
    }

    // Ending on a signal is ending by the close box: the parameters are stored. A closed terminal
    // too; and a reader of our output that went with it must not end us before the store.
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    nuvix::TcamApp app(toolkit, bus);
    app.Context().serial = &serialLines;
    toolkit.OnDisplayLost([&] {
        app.StoreParameters();
        return app.ParametersNotStored() ? kExitSettingsNotStored : 1;
    });
    const int code = toolkit.Run([&] { app.InitMainWindow(); }, [&] { app.CloseMainWindow(); });
    return code == 0 && app.ParametersNotStored() ? kExitSettingsNotStored : code;
}
