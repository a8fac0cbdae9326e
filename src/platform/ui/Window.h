#pragma once

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Geometry.h"
#include "platform/ui/Control.h"

#include <memory>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace nuvix::ui {

class Toolkit;

enum class WindowStyle {
    Frame,           // top level: caption, close box, no maximise, fixed size
    Child,           // inside its parent's client area, no border
    BorderedChild,   // the same with a thin border
    Popup,           // free-floating, caption bar, no system menu (no close box), fixed size
    ResizablePopup,  // the same with a sizing border
    Dialog,          // modal dialog with caption and system menu
};

// One control of a window's fixed layout, in client pixels. Its text, marked with TrLater, is
// translated as the control is added.
struct ControlPlacement {
    int id;
    ControlKind kind;
    const char* text;
    int x, y, width, height;
};

// The backend's side of one window.
class WindowPeer {
public:
    virtual ~WindowPeer() = default;
    virtual void Show(bool visible) = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual void SetOuterRect(gfx::Rect outer) = 0;
    // The client canvas was drawn on; show it once the current handler has returned.
    virtual void SurfaceChanged() = 0;
    // The program asks for a paint: call DispatchPaint once the current handler has returned.
    virtual void Invalidate() = 0;
    virtual void SetTimer(int id, int periodMs) = 0;
    virtual void KillTimer(int id) = 0;
    virtual std::unique_ptr<ControlPeer> CreateControl(Control& control) = 0;
    // Dialogs: the modal run is to end.
    virtual void EndModal(int result) { (void)result; }
};

// A window of the system. It has a position, a client area with a canvas that holds its
// pixels, child controls created by id, and receives commands, timer ticks, paint, mouse,
// size and move events through the virtual handlers below.
class Window {
public:
    // `outer` is the outer rectangle: on the screen for frames and pop-ups, in the
    // parent's client area for children.
    Window(Toolkit& toolkit, Window* parent, std::string caption, WindowStyle style, gfx::Rect outer,
           bool visible = true);
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Makes the window exist on screen: its peer, then its controls, then SetupWindow.
    void Create();
    // Takes the window off the screen (timers, control peers, then its own peer); the
    // object and its controls' state remain and Create may run again.
    void Destroy();
    bool IsCreated() const { return peer_ != nullptr; }

    Toolkit& Kit() const { return toolkit_; }
    Window* Parent() const { return parent_; }
    WindowStyle Style() const { return style_; }
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);

    gfx::Rect OuterRect() const { return outer_; }
    gfx::Size ClientSize() const { return {surface_.Width(), surface_.Height()}; }
    // Where the client area's top-left corner is on the screen.
    gfx::Point ClientOriginOnScreen() const;
    // The frame around the client area (borders, caption): where the client area starts in
    // the outer rectangle, and the outer size that holds a given client size.
    gfx::Point ClientOffset() const;
    gfx::Size OuterSizeFor(gfx::Size client) const;
    void MoveTo(gfx::Point topLeft);
    bool IsVisible() const { return visible_; }
    void Show(bool visible);

    Control& AddControl(int id, ControlKind kind, std::string text, gfx::Rect bounds, ControlStyle style = {});
    // Adds a whole layout, in order.
    void AddControls(std::span<const ControlPlacement> layout);
    Control* FindControl(int id) const;
    const std::vector<std::unique_ptr<Control>>& Controls() const { return controls_; }
    // Controls nobody refers to share this id, which is also the focus when no control has it.
    static constexpr int kNoControl = -1;
    int FocusedControlId() const { return focusedId_; }
    Control* FocusedControl() const { return focusedId_ == kNoControl ? nullptr : FindControl(focusedId_); }
    // The user (or a dialog key) moves the focus: the control that had it hears of losing it
    // first, then the new one of gaining it, and the backend shows the move.
    void MoveFocus(Control& to);

    // Periods below 10 ms run at 10 ms; negative ones at the longest period.
    static constexpr int kMinimumTimerPeriodMs = 10;
    void SetTimer(int id, int periodMs);
    void KillTimer(int id);
    const std::set<int>& ActiveTimers() const { return timers_; }

    // A canvas on the client area with a fresh drawing state, like a device context
    // obtained for a few calls; what is drawn reaches the screen after the handler.
    gfx::Canvas ClientCanvas();
    const gfx::Bitmap& Surface() const { return surface_; }
    // Asks for a paint once the current handler has returned.
    void Invalidate();

    // Called by the backends.
    // True when the window had a handler for it.
    bool DispatchCommand(int id, int code);
    void DispatchTimer(int id);
    void DispatchPaint();
    void DispatchLeftButtonDown(gfx::Point p);
    void DispatchMouseMove(gfx::Point p, bool leftButtonHeld);
    void DispatchSize(gfx::Size outerSize);
    void DispatchMove(gfx::Point clientTopLeftOnScreen);
    void DispatchClose();
    void NoteFocus(int controlId) { focusedId_ = controlId; }
    WindowPeer* Peer() const { return peer_.get(); }

protected:
    virtual void SetupWindow() {}
    virtual void Paint(gfx::Canvas& canvas) { (void)canvas; }
    virtual bool Command(int id, int code)
    {
        (void)id;
        (void)code;
        return false;
    }
    virtual void Timer(int id) { (void)id; }
    virtual void LeftButtonDown(gfx::Point p) { (void)p; }
    virtual void MouseMove(gfx::Point p, bool leftButtonHeld)
    {
        (void)p;
        (void)leftButtonHeld;
    }
    virtual void Sized(gfx::Size outerSize) { (void)outerSize; }
    virtual void Moved(gfx::Point clientTopLeftOnScreen) { (void)clientTopLeftOnScreen; }
    // The close box or the system's close key. A frame ends the application by default.
    virtual void CloseRequested();
    void RemoveControls();

private:
    gfx::Size ClientSizeFor(gfx::Size outer) const;

    Toolkit& toolkit_;
    Window* parent_;
    std::string caption_;
    WindowStyle style_;
    gfx::Rect outer_;
    bool visible_;
    gfx::Bitmap surface_;
    std::vector<std::unique_ptr<Control>> controls_;
    std::set<int> timers_;
    int focusedId_ = kNoControl;
    std::unique_ptr<WindowPeer> peer_;
};

}  // namespace nuvix::ui
