#pragma once

#include "AppFixture.h"

#include "platform/ui/Dialog.h"
#include "sim/SimCamera.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace nuvix::testing {

inline std::vector<uint8_t> FileBytes(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The application in its scratch directory, the current one while it lives (where "buffer.bmp"
// and the default series go), with the simulated camera's test pattern when plugged.
class CaptureApp {
public:
    // With `sky`, the camera shows it instead of its test pattern; `mount` takes the corrections.
    explicit CaptureApp(bool withCamera, sim::SkyModel* sky = nullptr, GuidePulseSink* mount = nullptr)
        : camera(h.kit.Clock(), sky)
    {
        if (withCamera) h.bus.Attach(port::kLptData, port::kLptControl, camera);
        h.guidePulses = mount;
        h.Start();
        std::filesystem::current_path(Dir());
        h.kit.AdvanceMs(600);  // past the first tick and its message
        h.kit.ClearRecords();
    }
    ~CaptureApp() { std::filesystem::current_path(saved_); }

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
    // Presses "Photo"; the script plays the observer while the dialog is open.
    void Photo(headless::DialogScript script)
    {
        h.kit.QueueDialogScript(std::move(script));
        h.kit.Click(h.Image(), 455);
    }
    // Starts a series of `typed` units, with the base name chosen in the file dialog if given.
    void StartSeries(const std::string& typed, int unit, const std::string& chosen = {})
    {
        if (!chosen.empty()) h.kit.QueueSaveFileAnswer(chosen);
        Photo([&](ui::Dialog& d) {
            if (!chosen.empty()) h.kit.Click(d, 304);
            h.kit.Type(d, 301, typed);
            h.kit.Select(d, 302, unit);
            h.kit.Click(d, 306);
        });
    }
    // Every picture file under the scratch directory, relative to it, with this extension.
    std::set<std::string> Pictures(const std::string& extension = ".bmp")
    {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(Dir())) {
            if (entry.path().extension() == extension) names.insert(entry.path().lexically_relative(Dir()).string());
        }
        return names;
    }

    std::filesystem::path saved_ = std::filesystem::current_path();
    AppHarness h;
    sim::SimCamera camera;
};

}  // namespace nuvix::testing
