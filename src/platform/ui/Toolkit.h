#pragma once

#include "platform/clock/Clock.h"
#include "platform/gfx/Font.h"
#include "platform/text/Translate.h"
#include "platform/ui/Window.h"

#include <memory>
#include <optional>
#include <string>

namespace nuvix::ui {

class Dialog;

struct ScreenMetrics {
    int screenWidth = 1024;
    int screenHeight = 768;
    int captionHeight = 19;
    int borderWidth = 1;
};

struct SaveFileRequest {
    std::string filterName = Tr("Image (*.bmp)");
    std::string pattern = "*.bmp";
    std::string defaultExtension = "bmp";
    std::string initialPath;  // full path proposed to the user
};

// Beep types of the message beep.
inline constexpr int kBeepDefault = 0;
inline constexpr int kBeepOk = 1;

// The toolkit seam: what the windows of the system ask of the desktop.
class Toolkit {
public:
    virtual ~Toolkit() = default;

    virtual Clock& GetClock() = 0;
    virtual ScreenMetrics Metrics() const = 0;
    virtual gfx::FontLibrary& Fonts() = 0;
    // The font of a fresh device context.
    virtual const gfx::Font* DefaultFont() const = 0;

    virtual std::unique_ptr<WindowPeer> CreatePeer(Window& window) = 0;

    // A modal box with an OK button. Asked for inside a timer handler it opens once the
    // handler has returned, so that ticks keep arriving while it is open.
    virtual void MessageBox(Window* owner, const std::string& text, const std::string& caption) = 0;
    virtual void MessageBeep(int type) = 0;
    // The chosen full path, or nothing when the user cancels.
    virtual std::optional<std::string> SaveFileDialog(Window* owner, const SaveFileRequest& request) = 0;
    // Creates the dialog, runs it modally and returns the result given to EndDialog.
    virtual int RunModal(Dialog& dialog) = 0;

    // Ends the message loop: the application's main window was closed.
    virtual void Quit() = 0;
};

}  // namespace nuvix::ui
