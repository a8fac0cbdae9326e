#pragma once

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Geometry.h"
#include "platform/wx/WxToolkit.h"

#include <gtk/gtk.h>

#include <functional>
#include <optional>
#include <string>

namespace nuvix::wx::smoke {

// A generous bound for anything the desktop does on its own.
inline constexpr int kWaitMs = 3000;

// The toolkit that main runs the tests in.
WxToolkit& Toolkit();
void SetToolkit(WxToolkit& toolkit);

// Lets the desktop run (GTK events, wx timers, deferred paints and boxes).
void PumpFor(int ms);
// Runs the desktop until `done` holds; false when `timeoutMs` passed first.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs);

// NUVIX_SMOKE_HOLD_MS keeps windows on screen that much longer, for a screenshot taken
// from outside; 0 when unset.
int ScreenshotHoldMs();
void HoldForScreenshot();

// What the X server shows in `area` of the screen.
std::optional<gfx::Bitmap> CaptureScreen(gfx::Rect area);

// The client area, on the screen, of the visible top-level window with that title.
std::optional<gfx::Rect> ClientAreaOnScreen(const std::string& title);
// Whether the top-level window with that title holds a label that reads `text`.
bool HasLabel(const std::string& title, const std::string& text);

// The first widget of that top-level window's tree that `match` accepts, or null.
GtkWidget* FindWidget(const std::string& title, const std::function<bool(GtkWidget*)>& match);
// The button (push, check or radio) of that window that shows `text`, or null.
GtkWidget* FindButton(const std::string& title, const std::string& text);

// The user's mouse, as GDK reports it to the client panel `width` x `height` (outer
// size, border included) of that window, at a point of the panel's drawing area (inside
// any border): a left button press, or a motion with or without the left button held.
// False when there is no such panel.
bool PressLeftButton(const std::string& title, int width, int height, gfx::Point at);
bool MoveMouse(const std::string& title, int width, int height, gfx::Point at, bool leftHeld);

// The open message box, as the user sees it.
struct OpenBox {
    std::string title;
    std::string text;
};
std::optional<OpenBox> FindOpenMessageBox();
// Presses OK in every open message box.
void AnswerMessageBoxes();

// Pixels of `image` inside `area` darker than text on a light ground.
int CountDarkPixels(const gfx::Bitmap& image, gfx::Rect area);
// Pixels of `image` inside `area` of another colour than `ground`.
int CountPixelsUnlike(const gfx::Bitmap& image, gfx::Rect area, gfx::Color ground);

}  // namespace nuvix::wx::smoke
