#pragma once

#include "platform/ui/Toolkit.h"

#include <functional>
#include <string>

namespace nuvix {

// The toolkit the windows use while the guiding server runs: the real one, with every message
// box the observer sees also told to a listener, so that the server's clients read the same
// notices.
class AlertRelay final : public ui::Toolkit {
public:
    using Listener = std::function<void(const std::string& text, const std::string& caption)>;

    explicit AlertRelay(ui::Toolkit& toolkit) : toolkit_(toolkit) {}
    void SetListener(Listener listener) { listener_ = std::move(listener); }

    Clock& GetClock() override { return toolkit_.GetClock(); }
    ui::ScreenMetrics Metrics() const override { return toolkit_.Metrics(); }
    gfx::FontLibrary& Fonts() override { return toolkit_.Fonts(); }
    const gfx::Font* DefaultFont() const override { return toolkit_.DefaultFont(); }
    std::unique_ptr<ui::WindowPeer> CreatePeer(ui::Window& window) override { return toolkit_.CreatePeer(window); }
    void MessageBox(ui::Window* owner, const std::string& text, const std::string& caption) override
    {
        if (listener_) listener_(text, caption);
        toolkit_.MessageBox(owner, text, caption);
    }
    void MessageBeep(int type) override { toolkit_.MessageBeep(type); }
    std::optional<std::string> SaveFileDialog(ui::Window* owner, const ui::SaveFileRequest& request) override
    {
        return toolkit_.SaveFileDialog(owner, request);
    }
    int RunModal(ui::Dialog& dialog) override { return toolkit_.RunModal(dialog); }
    void Quit() override { toolkit_.Quit(); }

private:
    ui::Toolkit& toolkit_;
    Listener listener_;
};

}  // namespace nuvix
