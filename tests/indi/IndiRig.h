#pragma once

#include "app/AppFixture.h"
#include "guiding/CalibrationStore.h"
#include "platform/files/ReplaceFile.h"
#include "platform/indi/IndiLink.h"
#include "platform/indi/IndiMount.h"
#include "platform/indi/IndiPointing.h"
#include "sim/SimCamera.h"
#include "sim/Sky.h"

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>

namespace nuvix::testing {

// A private indiserver with INDI's telescope simulator (or its CCD simulator, or both) on a free
// loopback port, driven by scripts/indi-simulator; stopped, drivers included, when the object goes.
class SimulatorServer {
public:
    enum class Driver { Telescope, Camera, TelescopeAndCamera };
    explicit SimulatorServer(std::filesystem::path dir, Driver driver = Driver::Telescope)
        : dir_(std::move(dir)), port_(FreePort()), driver_(driver)
    {
        std::filesystem::create_directories(dir_);
        // As the program does: a server killed while INDI's client writes to it is told by the
        // write's error, not by a signal that ends the process.
        std::signal(SIGPIPE, SIG_IGN);
    }
    ~SimulatorServer() { Run("stop " + Quoted(dir_.string())); }
    SimulatorServer(const SimulatorServer&) = delete;
    SimulatorServer& operator=(const SimulatorServer&) = delete;

    // Starts it and sets the mount up: unparked, tracking, after a goto to `hourAngle` (-1: east
    // of the meridian, the mount west of its pier), which takes a quarter of a minute. With both
    // drivers, `cameraFirst` starts the camera's first. The camera is left unconnected.
    bool Start(double hourAngle = -1.0, bool cameraFirst = false)
    {
        const std::string where = Quoted(dir_.string()) + " " + std::to_string(port_);
        if (driver_ == Driver::Camera) return Run("camera " + where);
        const char* drivers = driver_ == Driver::Telescope ? "" : cameraFirst ? " camera-first" : " both";
        return Run("start " + where + " " + std::to_string(hourAngle) + drivers);
    }
    // A goto to another hour angle (1: across the meridian, about half a minute).
    bool Goto(double hourAngle) { return Run("goto " + std::to_string(port_) + " " + std::to_string(hourAngle)); }
    bool Park() { return Run("park " + std::to_string(port_)); }
    bool Unpark() { return Run("unpark " + std::to_string(port_)); }
    // Connects the camera, with noise of `noise` counts, and saves every picture it sends in `saveDir`.
    bool SetCameraUp(int noise, const std::filesystem::path& saveDir)
    {
        return Run("camera-setup " + std::to_string(port_) + " " + std::to_string(noise) + " " +
                   Quoted(saveDir.string()));
    }
    // Ends server and driver at once, as a crash would.
    void Kill() { Run("kill " + Quoted(dir_.string())); }
    indi::ServerAddress Address() const { return {"127.0.0.1", port_}; }

private:
    static int FreePort()
    {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        int port = 0;
        if (fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            port = ntohs(address.sin_port);
        }
        if (fd >= 0) close(fd);
        return port;
    }
    static std::string Quoted(const std::string& text) { return "'" + text + "'"; }
    bool Run(const std::string& arguments)
    {
        return std::system((std::string(NUVIX_INDI_SIMULATOR) + " " + arguments + " >/dev/null").c_str()) == 0;
    }

    std::filesystem::path dir_;
    int port_;
    Driver driver_;
};

// A calibration of INDI's telescope simulator from an earlier night, in the settings file `path`: west of the pier at
// 10 degrees of declination, the camera square to the sky (there a west pulse moves the star toward +x and a north
// pulse toward +y), the guide rate half the sidereal rate, at the scale of a focal length of `focalCm` and 7.5 µm
// pixels.
inline void StoreEarlierCalibration(const std::filesystem::path& path, double focalCm,
                                    const std::string& mount = "Telescope Simulator")
{
    const double scale = 2 * std::atan(7.5 * 0.5 * 0.0001 / focalCm) * 180 * 3600 / M_PI;
    Calibration earlier;
    earlier.mount = mount;
    earlier.ra = {0.0, 7.52 / scale * std::cos(10.0 * M_PI / 180.0) / 1000.0};
    earlier.dec = {90.0, 7.52 / scale / 1000.0};
    earlier.decDegrees = 10.0;
    earlier.pierSide = PierSide::West;
    earlier.arcsecPerPixel = scale;
    files::KeyFile keys;
    WriteCalibration(keys, earlier);
    const std::string text = keys.Text();
    ASSERT_TRUE(
        files::ReplaceFile(path.string(), {std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size())})
            .written);
}

// The true star's spread about its mean position over a run of guiding: the guiding's RMS, pixels.
class StarSpread {
public:
    void Add(const sim::SkyPoint& at)
    {
        x_ += at.x;
        y_ += at.y;
        squares_ += at.x * at.x + at.y * at.y;
        ++n_;
    }
    double Rms() const
    {
        if (n_ == 0) return 1e9;
        const double mx = x_ / n_, my = y_ / n_;
        return std::sqrt(std::max(squares_ / n_ - mx * mx - my * my, 0.0));
    }

private:
    double x_ = 0.0, y_ = 0.0, squares_ = 0.0;
    int n_ = 0;
};

// Runs the headless program for `ms` of real time, or until `done`, its fake clock moved along with
// the real one (the server keeps real time): each timer fires when real time reaches it, and
// `afterTimer` runs after each.
inline void RunInRealTime(headless::HeadlessToolkit& kit, int64_t ms, const std::function<bool()>& done = {},
                          const std::function<void()>& afterTimer = {})
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    const int64_t fakeStart = kit.Clock().NowNs();
    for (;;) {
        const int64_t real = fakeStart + std::chrono::nanoseconds(Clock::now() - start).count();
        if (real - fakeStart >= ms * 1'000'000 || (done && done())) return;
        const std::optional<int64_t> due = kit.NextTimerDueNs();
        if (due && *due <= real) {
            kit.AdvanceToNextTimer();
            if (afterTimer) afterTimer();
            continue;
        }
        kit.Clock().AdvanceToNs(real);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// The whole program headless on the simulated camera and sky, the sky pointed by a mount on a
// real INDI server. The server keeps real time, so the program's fake clock is moved along with
// the real one: each timer fires when real time reaches it.
class IndiLoop : public ::testing::Test {
protected:
    IndiLoop() : server(h.dir / "indi"), camera(h.kit.Clock(), &sky) {}

    // Starts the program guiding the mount of this server (or of the one at `address`), with a guide
    // log when `logPath` is set.
    void Start(const tparam& record, const std::string& logPath = {},
               std::optional<indi::ServerAddress> address = std::nullopt)
    {
        link = std::make_unique<indi::IndiLink>(address.value_or(server.Address()), indi::LinkChoice{true, "", ""});
        mount = link->Mount();
        pointing = std::make_unique<indi::IndiPointing>(
            *mount, [this] { return static_cast<double>(h.State().parameters.arcsecPerPixel); });
        sky.SetMount(pointing.get());
        h.bus.Attach(port::kLptData, port::kLptControl, camera);
        h.guidePulses = mount;
        h.guideLogPath = logPath;
        h.StoreRecord(record);
        h.Start();
    }

    // Runs for `ms` of real time, or until `done`; `frame` after every frame shown.
    void RunFor(int64_t ms, const std::function<bool()>& done = {}, const std::function<void()>& frame = {})
    {
        int lastFrame = camera.FramesSent();
        RunInRealTime(h.kit, ms, done, [&] {
            if (camera.FramesSent() == lastFrame) return;
            lastFrame = camera.FramesSent();
            if (frame) frame();
        });
    }

    // Runs the program while `work` (a script that takes its time) runs on a thread of its own.
    bool RunWhile(std::function<bool()> work)
    {
        std::future<bool> done = std::async(std::launch::async, std::move(work));
        RunFor(120'000, [&] { return done.wait_for(std::chrono::seconds(0)) == std::future_status::ready; });
        return done.get();
    }

    // Until the mount is ready to guide, at most 15 s.
    bool WaitForMount()
    {
        RunFor(15'000, [this] { return mount->Report().Ready(); });
        return mount->Report().Ready();
    }

    sim::SkyPoint StarNow() { return sky.GuideStarAt(h.kit.Clock().NowNs()); }
    int Boxes(const std::string& text) const { return h.BoxesSaying(text); }

    AppHarness h;
    SimulatorServer server;
    sim::Sky sky{20261207};
    sim::SimCamera camera;
    std::unique_ptr<indi::IndiLink> link;
    indi::IndiMount* mount = nullptr;
    std::unique_ptr<indi::IndiPointing> pointing;
};

}  // namespace nuvix::testing
