#pragma once

#include "app/NuvixMainWindow.h"
#include "app/NuvixWindow.h"
#include "app/TcamApp.h"
#include "params/ParamFile.h"
#include "platform/headless/HeadlessToolkit.h"
#include "platform/ports/PortBus.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>

namespace nuvix::testing {

// A scratch directory for the parameter file, removed afterwards.
class ScratchDir {
public:
    ScratchDir()
    {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() / ("nuvix-app-" + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir() { std::filesystem::remove_all(path_); }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// A whole application on the headless desktop, over whatever the bus holds.
class AppHarness {
public:
    explicit AppHarness(ui::ScreenMetrics metrics = {}) : kit(metrics) {}

    void Start(FrameBuffers::BlockSource bufferSource = {})
    {
        app = std::make_unique<TcamApp>(kit, bus, (dir / "campar.dat").string());
        app->Context().bufferSource = std::move(bufferSource);
        app->Context().serial = serial;
        app->Context().guidePulses = guidePulses;
        app->Context().guideLogPath = guideLogPath;
        app->InitMainWindow();
        kit.Pump();
    }
    // The parameter file the next start reads.
    void StoreRecord(const tparam& record) { ASSERT_TRUE(SaveParams((dir / "campar.dat").string(), record).saved); }
    NuvixMainWindow& Main() { return *app->MainWindow(); }
    NuvixWindow& Image() { return *app->MainWindow()->ImageWindow(); }
    AppState& State() { return app->State(); }

    ScratchDir dir;
    headless::HeadlessToolkit kit;
    PortBus bus;
    SerialPorts* serial = nullptr;
    GuidePulseSink* guidePulses = nullptr;
    std::string guideLogPath;
    std::unique_ptr<TcamApp> app;
};

}  // namespace nuvix::testing
