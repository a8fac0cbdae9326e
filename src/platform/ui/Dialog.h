#pragma once

#include "platform/ui/Window.h"

#include <string>
#include <vector>

namespace nuvix::ui {

// A control of a dialog template, in dialog units.
struct DialogItem {
    int id;
    ControlKind kind;
    std::string text;
    int x, y, width, height;
    ControlStyle style = {};
};

// A dialog laid out in dialog units: a quarter of the base character width across and an
// eighth of its height down.
struct DialogTemplate {
    int resourceId = 0;
    std::string caption;
    std::string fontName;
    int fontPoints = 8;
    int x = 0, y = 0, width = 0, height = 0;  // client area
    std::vector<DialogItem> items;
};

// Base character size of the dialog font, in pixels.
inline constexpr int kDialogBaseUnitX = 8;
inline constexpr int kDialogBaseUnitY = 16;
gfx::Rect DialogUnitsToPixels(int x, int y, int width, int height);

// A modal dialog built from a template, whose caption and texts (marked with TrLater) are
// translated as it is built: the template stays French. IDOK (1) and IDCANCEL (2), sent by Enter and
// Escape, close it with that result.
class Dialog : public Window {
public:
    static constexpr int kOk = 1;
    static constexpr int kCancel = 2;

    Dialog(Toolkit& toolkit, Window* parent, const DialogTemplate& layout);

    // Runs the dialog modally; the result given to EndDialog.
    int Execute();
    void EndDialog(int result);
    bool IsEnded() const { return ended_; }
    int Result() const { return result_; }
    const DialogTemplate& Layout() const { return layout_; }

    // Tab moves the focus to the next tab stop in template order, Shift+Tab to the previous one,
    // round the end; false when no other control takes it.
    bool TabToNextStop(bool backward);
    // As the dialog appears: unless its set-up placed the focus, the first tab stop takes it, as
    // the user's first Tab would give it.
    void FocusFirstTabStop();

protected:
    bool Command(int id, int code) override;
    void CloseRequested() override { EndDialog(kCancel); }

private:
    DialogTemplate layout_;
    bool ended_ = false;
    int result_ = kCancel;
};

}  // namespace nuvix::ui
