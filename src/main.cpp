// The program's entry: the command line, the backends (desktop, camera port), the run.
#include "app/TcamApp.h"
#include "platform/indi/IndiAddress.h"
#include "platform/indi/IndiCamera.h"
#include "platform/indi/IndiLink.h"
#include "platform/indi/IndiMount.h"
#include "platform/indi/IndiPointing.h"
#include "platform/linux/ParallelPort.h"
#include "platform/linux/SerialLines.h"
#include "platform/net/SocketServer.h"
#include "platform/ports/PortBus.h"
#include "platform/ports/PortFanOut.h"
#include "platform/text/Translate.h"
#include "platform/wx/WxToolkit.h"
#include "server/ListenAddress.h"
#include "sim/SimCamera.h"
#include "sim/SimFaults.h"
#include "sim/SimMount.h"
#include "sim/Sky.h"
#include "sim/StuckPointing.h"

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
    std::optional<nuvix::indi::ServerAddress> indi;
    std::string indiMount;   // empty: the first device that offers timed guide pulses
    std::string indiCamera;  // empty: the parallel-port camera
    std::string guideLog;
    nuvix::server::ListenAddress server;  // the guiding server: loopback, port 4400 by default
};

void PrintUsage(std::FILE* to)
{
    std::fprintf(
        to,
        "Usage: nuvix [--simulate[=FAULTS]] [--parport PATH] [--serial COMn=PATH]... [--indi HOST[:PORT]]\n"
        "             [--indi-mount DEVICE] [--indi-camera DEVICE] [--guide-log PATH] [--server [ADDR:]PORT|off]\n"
        "             [--help] [--version]\n"
        "  --simulate         use the simulated camera, sky and mount instead of the hardware\n"
        "  --simulate=FAULTS  the same, playing faults at times counted from the program's start,\n"
        "                     for example unplug-after=10s,replug-after=20s: the camera is\n"
        "                     unplugged during the first frame from 10 s on and powered again\n"
        "                     at 20 s; ra-stuck-after=T or dec-stuck-after=T: from T on that\n"
        "                     axis of the mount takes its corrections and does not move\n"
        "                     (times are whole numbers of ms, s or min); camera-angle=DEG:\n"
        "                     the camera turned DEG degrees against the sky; camera-mirror:\n"
        "                     its picture mirrored\n"
        "  --parport PATH     parallel port device of the camera (default %s)\n"
        "  --serial COMn=PATH serial line of COM1 to COM4, where the mount's corrections go\n"
        "                     (default /dev/ttyS0 to /dev/ttyS3; with --simulate, none)\n"
        "  --indi HOST[:PORT] also send the corrections as timed guide pulses to a mount on this\n"
        "                     INDI server (default port %d); with --simulate the simulated sky\n"
        "                     follows that mount's coordinates; the server of --indi-camera too\n"
        "  --indi-mount DEVICE\n"
        "                     the INDI device to guide (default: the first telescope that takes guide\n"
        "                     pulses; a camera's guide port only when named here; with --indi-camera,\n"
        "                     only the one named here is guided)\n"
        "  --indi-camera DEVICE\n"
        "                     take the frames from this camera on the INDI server instead of the\n"
        "                     parallel port (a webcam through indi_v4l2_ccd, an astronomy camera)\n"
        "  --guide-log PATH   append every guided frame to this guide log\n"
        "  --server [ADDR:]PORT\n"
        "                     where imaging programs (Ekos, NINA, CCDciel...) reach the guiding\n"
        "                     server (default 127.0.0.1:4400, this computer only; when the port is\n"
        "                     taken, the next free one); --server off: no server\n"
        "  --help             show this help and exit\n"
        "  --version          show the version and exit\n"
        "Settings are kept in campar.dat in the current directory and stored when the program ends\n"
        "(close box, SIGINT, SIGTERM or SIGHUP); the INDI mount's calibration in nuvix.ini beside it.\n"
        "Shift+click on Track calibrates the INDI mount again.\n"
        "\"Sauve\" writes buffer.bmp and the sum itself as buffer.fits in the current directory. A photo\n"
        "series named NAME.bmp writes \"NAME 0042.bmp\"..., one named NAME.fits (.fit, .fts) FITS\n"
        "pictures \"NAME 0042.fits\"...; a series never replaces a file: it takes the next free number.\n"
        "Exit status: 0 normal end; 1 the display could not be opened or was lost; 2 usage error;\n"
        "  3 this session's settings could not be stored in campar.dat (the reason is on stderr).\n",
        nuvix::kDefaultParallelPort, nuvix::indi::kDefaultPort);
}

// "COMn=PATH" into the options; false when it is not that.
bool TakeSerialLine(const std::string& text, Options& options)
{
    const bool com = text.size() > 5 && (text.compare(0, 3, "COM") == 0 || text.compare(0, 3, "com") == 0);
    if (!com || text[3] < '1' || text[3] > '4' || text[4] != '=') return false;
    options.serial[static_cast<size_t>(text[3] - '1')] = text.substr(5);
    return true;
}

// The value of "--name VALUE" or "--name=VALUE" at argv[i] (moving i past it); empty when argv[i]
// is another option or the value is missing or empty.
std::optional<std::string> TakeValue(const std::string& name, int argc, char** argv, int& i)
{
    const std::string arg = argv[i];
    if (arg == name && i + 1 < argc && argv[i + 1][0] != '\0') return std::string(argv[++i]);
    if (arg.size() > name.size() + 1 && arg.compare(0, name.size() + 1, name + "=") == 0) {
        return arg.substr(name.size() + 1);
    }
    return std::nullopt;
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
        } else if (const auto path = TakeValue("--parport", argc, argv, i)) {
            options.parport = *path;
        } else if (arg == "--serial" && i + 1 < argc && TakeSerialLine(argv[i + 1], options)) {
            ++i;
        } else if (arg.rfind("--serial=", 0) == 0 && TakeSerialLine(arg.substr(std::strlen("--serial=")), options)) {
        } else if (const auto indi = TakeValue("--indi", argc, argv, i)) {
            options.indi = nuvix::indi::ParseServerAddress(*indi);
            if (!options.indi) {
                std::fprintf(stderr, "nuvix: --indi needs HOST or HOST:PORT (port 1 to 65535), not '%s'\n",
                             indi->c_str());
                PrintUsage(stderr);
                exitCode = 2;
                return std::nullopt;
            }
        } else if (const auto mount = TakeValue("--indi-mount", argc, argv, i)) {
            options.indiMount = *mount;
        } else if (const auto camera = TakeValue("--indi-camera", argc, argv, i)) {
            options.indiCamera = *camera;
        } else if (const auto log = TakeValue("--guide-log", argc, argv, i)) {
            options.guideLog = *log;
        } else if (const auto server = TakeValue("--server", argc, argv, i)) {
            const std::optional<nuvix::server::ListenAddress> parsed = nuvix::server::ParseListenAddress(*server);
            if (parsed) {
                options.server = *parsed;
            } else {
                problem = "--server needs PORT, ADDR:PORT (port 1 to 65535) or off, not '" + *server + "'";
            }
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
            if (arg.rfind("--indi", 0) == 0 || arg.rfind("--guide-log", 0) == 0 || arg.rfind("--server", 0) == 0) {
                problem = "a value is needed after '" + arg + "'";
            }
        }
        if (!problem.empty()) {
            std::fprintf(stderr, "nuvix: %s\n", problem.c_str());
            PrintUsage(stderr);
            exitCode = 2;
            return std::nullopt;
        }
    }
    for (const auto& [given, name] : {std::pair{!options.indiMount.empty(), "--indi-mount"},
                                      std::pair{!options.indiCamera.empty(), "--indi-camera"}}) {
        if (!given || options.indi) continue;
        std::fprintf(stderr, "nuvix: %s needs --indi\n", name);
        PrintUsage(stderr);
        exitCode = 2;
        return std::nullopt;
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
    nuvix::UseObserverLanguage(nuvix::CatalogueDirectory(NUVIX_LOCALE_FROM_PROGRAM));
    int exitCode = 0;
    const std::optional<Options> options = ParseCommandLine(argc, argv, exitCode);
    if (!options) return exitCode;

    nuvix::wx::WxToolkit toolkit;
    nuvix::PortBus bus;

    // The camera: the simulator, or the real parallel port unless the frames come from INDI.
    // Without either the camera is simply not detected.
    nuvix::sim::Sky sky(20261207);
    nuvix::sim::SimCamera simulatedCamera(toolkit.GetClock(), &sky);
    std::unique_ptr<nuvix::PortDevice> parallelPort;
    if (options->simulate) {
        bus.Attach(nuvix::port::kLptData, nuvix::port::kLptControl, simulatedCamera);
    } else if (options->indiCamera.empty()) {
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
    // A mount on an INDI server takes the same corrections, and a camera there may give the frames;
    // their client runs on its own thread. With a camera, a mount is guided only when named.
    std::unique_ptr<nuvix::indi::IndiLink> indi;
    if (options->indi) {
        const bool guideMount = options->indiCamera.empty() || !options->indiMount.empty();
        indi = std::make_unique<nuvix::indi::IndiLink>(
            *options->indi, nuvix::indi::LinkChoice{guideMount, options->indiMount, options->indiCamera});
    }
    nuvix::indi::IndiMount* indiMount = indi ? indi->Mount() : nullptr;
    nuvix::PortFanOut mountAndLines{&simulatedMount, &serialLines};
    if (options->simulate) {
        nuvix::sim::ApplySimFaults(options->faults, simulatedCamera, simulatedMount, sky);
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

    // The guiding server listens before the windows exist, and outlives them.
    std::unique_ptr<nuvix::net::SocketServer> guideServer;
    if (options->server.enabled) {
        nuvix::net::Listening listening = nuvix::net::SocketServer::Start(options->server);
        guideServer = std::move(listening.server);
        if (!guideServer) {
            std::fprintf(stderr, "nuvix: guiding server off: %s\n", listening.problem.c_str());
        } else if (guideServer->Port() != options->server.port) {
            std::fprintf(stderr, "nuvix: port %d is taken: the guiding server listens on %s:%d\n", options->server.port,
                         guideServer->Host().c_str(), guideServer->Port());
        }
    }

    nuvix::TcamApp app(toolkit, bus);
    app.Context().guideServer = guideServer.get();
    app.Context().serial = &serialLines;
    app.Context().guidePulses = indiMount;
    if (indi && indi->Camera()) app.Context().frameSource = indi->Camera();
    app.Context().guideLogPath = options->guideLog;
    // With the simulator, the INDI mount points the sky: its reported coordinates move the star,
    // through the axes the simulator jams.
    std::unique_ptr<nuvix::indi::IndiPointing> indiPointing;
    std::unique_ptr<nuvix::sim::StuckPointing> stuckPointing;
    if (options->simulate && indiMount) {
        indiPointing = std::make_unique<nuvix::indi::IndiPointing>(
            *indiMount, [&app] { return static_cast<double>(app.State().parameters.arcsecPerPixel); });
        stuckPointing = std::make_unique<nuvix::sim::StuckPointing>(*indiPointing, options->faults.raJammedAtMs,
                                                                    options->faults.decJammedAtMs);
        sky.SetMount(stuckPointing.get());
    }
    toolkit.OnDisplayLost([&] {
        app.StoreParameters();
        return app.ParametersNotStored() ? kExitSettingsNotStored : 1;
    });
    const int code = toolkit.Run([&] { app.InitMainWindow(); }, [&] { app.CloseMainWindow(); });
    return code == 0 && app.ParametersNotStored() ? kExitSettingsNotStored : code;
}
