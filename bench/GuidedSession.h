#pragma once

#include "app/NuvixWindow.h"
#include "app/TcamApp.h"
#include "capture/IntegrationWindow.h"
#include "guiding/CorrectionOutput.h"
#include "params/ParamFile.h"
#include "platform/headless/HeadlessToolkit.h"
#include "platform/ports/PortBus.h"
#include "platform/ports/SerialPorts.h"
#include "platform/ui/Dialog.h"
#include "sim/SimCamera.h"
#include "sim/SimMount.h"
#include "sim/Sky.h"

#include <filesystem>
#include <memory>
#include <string>

namespace nuvix::bench {

// The whole program on the headless desktop over the simulator, guiding: the simulated camera
// and sky, the simulated mount on every serial port under the serial protocol. Devices attached
// to the bus before Start() stand in front of these (to watch the traffic).
class GuidedSession {
public:
    GuidedSession(const std::filesystem::path& dir, sim::SkyScene scene = {})
        : dir_(dir), sky(20261207, scene), camera(kit.Clock(), &sky), mount(kit.Clock())
    {
        sky.SetMount(&mount);
        bus.Attach(port::kLptData, port::kLptControl, camera);
        AttachUarts(bus, mount);
    }
    ~GuidedSession() { app.reset(); }

    // Starts the program, lets the first message and frames pass, and presses "Track".
    void Start()
    {
        tparam record;
        record.protocol = kStellonStandard;
        SaveParams((dir_ / "campar.dat").string(), record);
        app = std::make_unique<TcamApp>(kit, bus, (dir_ / "campar.dat").string());
        app->Context().guideServer = guideServer;
        app->InitMainWindow();
        kit.AdvanceMs(2000);
        kit.Click(Image(), 450);
    }
    NuvixWindow& Image() { return *app->MainWindow()->ImageWindow(); }
    ui::Window& Addition() { return *kit.FindWindow("Addition"); }

    // Shows the integrated sum stretched, as a long exposure is watched.
    void ShowStretchedSum()
    {
        kit.Click(Addition(), compwin::kShowAverageBox);
        kit.Click(Addition(), compwin::kStretchBox);
    }
    // A photo series of one picture every `interval` of `unit` (0 seconds, 1 minutes), named
    // from `basePath`.
    void StartSeries(const std::string& interval, int unit, const std::string& basePath)
    {
        kit.QueueSaveFileAnswer(basePath);
        kit.QueueDialogScript([&](ui::Dialog& d) {
            kit.Click(d, 304);
            kit.Type(d, 301, interval);
            kit.Select(d, 302, unit);
            kit.Click(d, 306);
        });
        kit.Click(Image(), 455);
    }

private:
    std::filesystem::path dir_;

public:
    headless::HeadlessToolkit kit;
    PortBus bus;
    sim::Sky sky;
    sim::SimCamera camera;
    sim::SimMount mount;
    std::unique_ptr<TcamApp> app;
    server::Transport* guideServer = nullptr;  // the guiding server's connections; null: none
};

}  // namespace nuvix::bench
