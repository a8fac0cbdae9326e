#pragma once

#include "platform/ui/Toolkit.h"

#include <functional>
#include <memory>

namespace nuvix::wx {

class WxWindowPeer;

// The toolkit seam on wxWidgets (GTK 3). This header names no wx type, so the program's
// entry can use it without the toolkit's include paths.
class WxToolkit final : public ui::Toolkit {
public:
    WxToolkit();
    ~WxToolkit() override;
    WxToolkit(const WxToolkit&) = delete;
    WxToolkit& operator=(const WxToolkit&) = delete;

    // Starts the desktop, calls `start` from inside the running message loop (the
    // application creates its main window there), runs the loop until Quit, then calls
    // `stop` (the application destroys its windows) before the desktop is shut down.
    // Returns the exit code: 0 after a normal end, 1 when the display cannot be opened.
    int Run(std::function<void()> start, std::function<void()> stop);

    // What to do when the display is lost while the loop runs (see DisplayLoss.h): work that
    // needs no window, returning the exit status.
    void OnDisplayLost(std::function<int()> lastWork);

    // Async-signal-safe: only sets a flag. Within about 100 ms the running loop closes the
    // main window as its close box would, which ends the program.
    static void RequestQuitFromSignal();

    // The seam. Windows may be created only while Run is running.
    Clock& GetClock() override;
    ui::ScreenMetrics Metrics() const override;
    gfx::FontLibrary& Fonts() override;
    const gfx::Font* DefaultFont() const override;
    std::unique_ptr<ui::WindowPeer> CreatePeer(ui::Window& window) override;
    void MessageBox(ui::Window* owner, const std::string& text, const std::string& caption) override;
    void MessageBeep(int type) override;
    std::optional<std::string> SaveFileDialog(ui::Window* owner, const ui::SaveFileRequest& request) override;
    int RunModal(ui::Dialog& dialog) override;
    void Quit() override;

private:
    struct State;
    void PollQuitSignal();
    // One box at a time, owned by `owner`'s window, or else by the main window.
    void ShowBox(WxWindowPeer* owner, const std::string& text, const std::string& caption);
    void ShowWaitingBoxes();
    std::unique_ptr<State> state_;
};

}  // namespace nuvix::wx
