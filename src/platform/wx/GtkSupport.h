#pragma once

#include <functional>

class wxWindow;

namespace nuvix::wx {

// Loads the one application style rule: inside our client areas, buttons, edits, check
// boxes and lists lose GTK's padding and minimum sizes and use a small font, so every
// text of the layout shows within its fixed rectangle (a "+" in 25 x 16 pixels).
void InstallApplicationStyle();

// Puts a client area under that rule.
void MarkClientArea(wxWindow& window);

// A check box with no text of its own (its caption is painted beside it) needs no gap
// after the box, which would not fit in 13 x 13 pixels.
void MarkBareCheckBox(wxWindow& checkBox);

// wx asks GTK to centre dialogs on their parent when they appear; ours go where the
// program placed them.
void KeepRequestedPosition(wxWindow& topLevel, int x, int y);

// GTK gives a drop-down list's focus to a button inside it, of which wx hears nothing: the
// callback is told when any widget inside the window gains or loses the focus.
void ReportInnerFocus(wxWindow& window, std::function<void(bool gained)> changed);

// Without a window manager nothing keeps a box above the window it belongs to, and a box under
// the main window would block every click unseen: while no window manager runs, every open
// native message box is raised. With one, the box's owner keeps it on top.
void KeepMessageBoxesOnTop();

// Answers every open native message box (they run their own GTK loop), so that a quit
// asked for while one is open can end the program.
void CloseNativeMessageBoxes();

}  // namespace nuvix::wx
