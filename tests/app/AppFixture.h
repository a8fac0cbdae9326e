#pragma once

#include "app/NuvixMainWindow.h"
#include "app/NuvixWindow.h"
#include "app/TcamApp.h"
#include "params/ParamFile.h"
#include "platform/headless/HeadlessToolkit.h"
#include "platform/ports/PortBus.h"
#include "platform/ports/SerialPorts.h"
#include "sim/SimCamera.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

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

// The serial ports as the program sets them up: every device-control text, accepted.
struct FakeSerialPorts final : SerialPorts {
    bool Configure(const std::string& lineSettings) override
    {
        texts.push_back(lineSettings);
        return true;
    }
    std::vector<std::string> texts;
};

// How many pixels of the window's rectangle have the colour.
inline int CountPixels(const ui::Window& w, gfx::Rect r, gfx::Color c)
{
    int n = 0;
    for (int y = std::max(r.top, 0); y < std::min(r.bottom, w.Surface().Height()); ++y)
        for (int x = std::max(r.left, 0); x < std::min(r.right, w.Surface().Width()); ++x)
            n += w.Surface().At(x, y) == c.ToPixel();
    return n;
}

// Whether the window shows the text at that place as a canvas draws it there on black.
inline bool ShowsText(const ui::Window& window, gfx::Point at, std::string_view text, const gfx::Font* font,
                      gfx::Color colour)
{
    gfx::Bitmap expected(window.Surface().Width(), window.Surface().Height(), gfx::kBlack.ToPixel());
    gfx::Canvas canvas(expected);
    canvas.SetFont(font);
    canvas.SetTextColor(colour);
    canvas.SetBackgroundColor(gfx::kBlack);
    canvas.DrawText(at, text);
    const gfx::Size extent = canvas.TextExtent(text);
    for (int y = at.y; y < at.y + extent.height; ++y) {
        for (int x = at.x; x < at.x + extent.width; ++x) {
            if (expected.Contains(x, y) && expected.At(x, y) != window.Surface().At(x, y)) return false;
        }
    }
    return extent.width > 0;
}

// A whole application on the headless desktop, over whatever the bus holds.
class AppHarness {
public:
    explicit AppHarness(ui::ScreenMetrics metrics = {}) : kit(metrics) {}

    void Start(FrameBuffers::BlockSource bufferSource = {})
    {
        app = std::make_unique<TcamApp>(kit, bus, paramFile.empty() ? (dir / "campar.dat").string() : paramFile);
        app->Context().bufferSource = std::move(bufferSource);
        app->Context().serial = serial;
        app->Context().guidePulses = guidePulses;
        app->Context().frameSource = frameSource;
        app->Context().guideLogPath = guideLogPath;
        app->Context().guideServer = guideServer;
        app->InitMainWindow();
        kit.Pump();
    }
    // The parameter file the next start reads.
    void StoreRecord(const tparam& record) { ASSERT_TRUE(SaveParams((dir / "campar.dat").string(), record).saved); }
    NuvixMainWindow& Main() { return *app->MainWindow(); }
    NuvixWindow& Image() { return *app->MainWindow()->ImageWindow(); }
    AppState& State() { return app->State(); }
    // How many message boxes said `text` so far, under `caption` when one is given.
    int BoxesSaying(const std::string& text, const std::string& caption = {}) const
    {
        int count = 0;
        for (const auto& box : kit.MessageBoxes())
            count += box.text == text && (caption.empty() || box.caption == caption);
        return count;
    }

    ScratchDir dir;
    std::string paramFile;  // empty: campar.dat in dir
    headless::HeadlessToolkit kit;
    PortBus bus;
    SerialPorts* serial = nullptr;
    GuidePulseSink* guidePulses = nullptr;
    FrameSource* frameSource = nullptr;  // null: the parallel-port camera on the bus
    std::string guideLogPath;
    server::Transport* guideServer = nullptr;
    std::unique_ptr<TcamApp> app;
};

// The whole program on the headless desktop, with the simulated camera sending its test
// pattern.
class CameraApp {
public:
    CameraApp() : camera(h.kit.Clock(), nullptr) {}

    void Plug() { h.bus.Attach(port::kLptData, port::kLptControl, camera); }
    void Start(FrameBuffers::BlockSource bufferSource = {})
    {
        h.Start(std::move(bufferSource));
        setupMs = h.Image().LastFrameEnd();
    }
    // Plugged, started and two frames into acquiring at the level.
    void AcquiringAt(uint16_t level)
    {
        Plug();
        Start();
        SetLevel(level);
        Frames(2);
    }
    // Moves the clock to `ms` after the image window's set-up.
    void AdvanceToSinceSetup(int32_t ms) { h.kit.AdvanceMs(setupMs + ms - h.kit.Clock().PeekMilliseconds()); }
    void SetLevel(uint16_t level)
    {
        h.State().camera.exposureStep = level;
        h.State().camera.exposureLevel = level;
    }
    // Runs ticks until the camera has sent `n` more frames.
    void Frames(int n)
    {
        const int target = camera.FramesSent() + n;
        for (int guard = 0; camera.FramesSent() < target && guard < 1000; ++guard)
            h.kit.AdvanceToNextTimer();
        ASSERT_EQ(camera.FramesSent(), target);
    }
    int AcquisitionPeriod() { return h.kit.TimerPeriodMs(h.Image(), NuvixWindow::kAcquisitionTimer).value_or(-1); }
    int MessagesSaying(const std::string& text) const { return h.BoxesSaying(text); }

    AppHarness h;
    sim::SimCamera camera;
    int32_t setupMs = 0;
};

}  // namespace nuvix::testing
