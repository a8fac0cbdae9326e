#pragma once

#include "AppFixture.h"

#include "platform/ui/Dialog.h"
#include "sim/SimCamera.h"
#include "sim/SimPixelEncoder.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace nuvix::testing {

// Makes a directory the process's current one while it lives.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::filesystem::path& directory) : saved_(std::filesystem::current_path())
    {
        std::filesystem::current_path(directory);
    }
    ~WorkingDirectory()
    {
        std::error_code ignored;
        std::filesystem::current_path(saved_, ignored);
    }
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;

private:
    std::filesystem::path saved_;
};

inline std::vector<uint8_t> FileBytes(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The application in its scratch directory, which is the current one (where "buffer.bmp" and
// the default series go), with the simulated camera sending its test pattern when plugged.
class CaptureApp {
public:
    static constexpr int kPhotoButton = 455;

    CaptureApp() : camera(h.kit.Clock(), nullptr) {}

    void Start(bool withCamera)
    {
        if (withCamera) h.bus.Attach(port::kLptData, port::kLptControl, camera);
        h.Start();
        here = std::make_unique<WorkingDirectory>(Dir());
        h.kit.AdvanceMs(600);  // past the first tick and its message
        h.kit.ClearRecords();
    }
    std::filesystem::path Dir() { return h.dir / ""; }
    ui::Window& Addition() { return *h.kit.FindWindow("Addition"); }
    IntegrationState& Integration() { return h.State().integration; }
    SeriesState& Series() { return h.State().series; }

    // Runs ticks until the camera has sent `n` more frames.
    void Frames(int n)
    {
        const int target = camera.FramesSent() + n;
        for (int guard = 0; camera.FramesSent() < target && guard < 1000; ++guard)
            h.kit.AdvanceToNextTimer();
        ASSERT_EQ(camera.FramesSent(), target);
    }
    // The scaled test pattern, as the frame holds it.
    static FrameBytes ScaledPattern()
    {
        FrameBytes frame{};
        for (int k = 0; k < kFramePixels; ++k)
            frame[kFramePixels - 1 - k] = static_cast<uint8_t>(4 * sim::TestPatternPixel(k));
        return frame;
    }

    // Presses "Photo"; the script plays the observer while the dialog is open.
    void Photo(headless::DialogScript script)
    {
        h.kit.QueueDialogScript(std::move(script));
        h.kit.Click(h.Image(), kPhotoButton);
    }
    // Opens the dialog and starts a series of `typed` in the unit at `unit`.
    void StartSeries(const std::string& typed, int unit)
    {
        Photo([&](ui::Dialog& d) {
            h.kit.Type(d, 301, typed);
            h.kit.Select(d, 302, unit);
            h.kit.Click(d, 306);
        });
    }
    // Every picture file under the scratch directory, relative to it.
    std::set<std::string> Pictures()
    {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(Dir())) {
            if (entry.path().extension() == ".bmp") names.insert(entry.path().lexically_relative(Dir()).string());
        }
        return names;
    }

    AppHarness h;
    sim::SimCamera camera;
    std::unique_ptr<WorkingDirectory> here;
};

}  // namespace nuvix::testing
