#pragma once

#include "platform/headless/HeadlessRecords.h"
#include "platform/ui/Window.h"

#include <memory>

namespace nuvix::headless {

class HeadlessToolkit;

// The headless side of one window: it keeps what a screen would show and hands timers and
// paint requests to the toolkit, which runs them as its message loop would.
class HeadlessWindowPeer final : public ui::WindowPeer {
public:
    HeadlessWindowPeer(HeadlessToolkit& kit, ui::Window& window);
    ~HeadlessWindowPeer() override;
    HeadlessWindowPeer(const HeadlessWindowPeer&) = delete;
    HeadlessWindowPeer& operator=(const HeadlessWindowPeer&) = delete;

    void Show(bool visible) override;
    void SetCaption(const std::string& caption) override;
    void SetOuterRect(gfx::Rect outer) override;
    void SurfaceChanged() override { ++record_.surfaceUpdates; }
    void Invalidate() override;
    void SetTimer(int id, int periodMs) override;
    void KillTimer(int id) override;
    std::unique_ptr<ui::ControlPeer> CreateControl(ui::Control& control) override;

    ui::Window& Window() const { return window_; }
    const ScreenRecord& Record() const { return record_; }
    ScreenRecord& MutableRecord() { return record_; }
    // The toolkit is going away before its windows: stop reporting to it.
    void Detach() { kit_ = nullptr; }

private:
    HeadlessToolkit* kit_;
    ui::Window& window_;
    ScreenRecord record_;
};

}  // namespace nuvix::headless
