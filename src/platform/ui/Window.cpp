#include "platform/ui/Window.h"

#include "platform/text/Translate.h"
#include "platform/ui/HandlerWatch.h"
#include "platform/ui/Toolkit.h"

#include <algorithm>
#include <limits>

namespace nuvix::ui {

namespace {
// The system's window background before a window paints itself.
constexpr gfx::Pixel kWindowBackground = gfx::Color{192, 192, 192}.ToPixel();

HandlerWatch* handlerWatch = nullptr;

// Tells the watch, if any, that a handler runs for the scope's life.
class Watched {
public:
    Watched(const Window& window, const char* handler, int id = 0) : watch_(handlerWatch)
    {
        if (watch_) watch_->Began(window, handler, id);
    }
    ~Watched()
    {
        if (watch_) watch_->Ended();
    }
    Watched(const Watched&) = delete;
    Watched& operator=(const Watched&) = delete;

private:
    HandlerWatch* watch_;
};
}  // namespace

void SetHandlerWatch(HandlerWatch* watch)
{
    handlerWatch = watch;
}

Window::Window(Toolkit& toolkit, Window* parent, std::string caption, WindowStyle style, gfx::Rect outer, bool visible)
    : toolkit_(toolkit), parent_(parent), caption_(std::move(caption)), style_(style), outer_(outer), visible_(visible)
{
    const gfx::Size client = ClientSizeFor({outer.Width(), outer.Height()});
    surface_.Resize(client.width, client.height, kWindowBackground);
}

Window::~Window()
{
    Destroy();
}

void Window::Create()
{
    if (peer_) return;
    peer_ = toolkit_.CreatePeer(*this);
    for (auto& control : controls_)
        control->AttachPeer(peer_->CreateControl(*control));
    SetupWindow();
    if (visible_) {
        peer_->Show(true);
        peer_->Invalidate();
    }
}

void Window::Destroy()
{
    if (!peer_) return;
    for (int id : timers_)
        peer_->KillTimer(id);
    timers_.clear();
    // Control peers live inside the window's peer, so they go first.
    for (auto& control : controls_)
        control->AttachPeer(nullptr);
    peer_.reset();
}

gfx::Point Window::ClientOffset() const
{
    const ScreenMetrics m = toolkit_.Metrics();
    switch (style_) {
    case WindowStyle::Child:
        return {0, 0};
    case WindowStyle::BorderedChild:
        return {m.borderWidth, m.borderWidth};
    case WindowStyle::Frame:
    case WindowStyle::Popup:
    case WindowStyle::ResizablePopup:
    case WindowStyle::Dialog:
        break;
    }
    return {m.borderWidth, m.captionHeight + m.borderWidth};
}

gfx::Size Window::OuterSizeFor(gfx::Size client) const
{
    // Borders on every side; the caption, if any, only above.
    const gfx::Point offset = ClientOffset();
    const int border = offset.x;
    return {client.width + 2 * border, client.height + offset.y + border};
}

gfx::Size Window::ClientSizeFor(gfx::Size outer) const
{
    const gfx::Size frame = OuterSizeFor({0, 0});
    return {std::max(0, outer.width - frame.width), std::max(0, outer.height - frame.height)};
}

gfx::Point Window::ClientOriginOnScreen() const
{
    const gfx::Point offset = ClientOffset();
    gfx::Point origin{outer_.left + offset.x, outer_.top + offset.y};
    const bool onScreen = style_ != WindowStyle::Child && style_ != WindowStyle::BorderedChild;
    if (!onScreen && parent_) {
        const gfx::Point parentOrigin = parent_->ClientOriginOnScreen();
        origin.x += parentOrigin.x;
        origin.y += parentOrigin.y;
    }
    return origin;
}

void Window::SetCaption(std::string caption)
{
    caption_ = std::move(caption);
    if (peer_) peer_->SetCaption(caption_);
}

void Window::MoveTo(gfx::Point topLeft)
{
    outer_ = gfx::Rect::FromSize(topLeft.x, topLeft.y, outer_.Width(), outer_.Height());
    if (peer_) peer_->SetOuterRect(outer_);
}

void Window::Show(bool visible)
{
    visible_ = visible;
    if (peer_) peer_->Show(visible);
}

Control& Window::AddControl(int id, ControlKind kind, std::string text, gfx::Rect bounds, ControlStyle style)
{
    controls_.push_back(std::make_unique<Control>(*this, id, kind, std::move(text), bounds, style));
    Control& control = *controls_.back();
    if (peer_) control.AttachPeer(peer_->CreateControl(control));
    return control;
}

void Window::AddControls(std::span<const ControlPlacement> layout)
{
    for (const ControlPlacement& c : layout) {
        AddControl(c.id, c.kind, Tr(c.text), gfx::Rect::FromSize(c.x, c.y, c.width, c.height));
    }
}

Control* Window::FindControl(int id) const
{
    for (const auto& control : controls_) {
        if (control->Id() == id) return control.get();
    }
    return nullptr;
}

void Window::RemoveControls()
{
    for (auto& control : controls_)
        control->AttachPeer(nullptr);
    controls_.clear();
    focusedId_ = kNoControl;
}

void Window::MoveFocus(Control& to)
{
    if (Control* previous = FocusedControl(); previous && previous != &to) previous->UserFocus(false);
    to.UserFocus(true);
    if (to.Peer()) to.Peer()->FocusRequested();
}

void Window::SetTimer(int id, int periodMs)
{
    if (!peer_) return;
    // The system's timers take an unsigned period with a 10 ms floor: zero (an empty photo
    // interval) gives 10 ms instead of a timer that never lets the loop rest, and a negative
    // value (an overflowed interval) reads as the longest period.
    periodMs = periodMs < 0 ? std::numeric_limits<int>::max() : std::max(periodMs, kMinimumTimerPeriodMs);
    timers_.insert(id);
    peer_->SetTimer(id, periodMs);
}

void Window::KillTimer(int id)
{
    timers_.erase(id);
    if (peer_) peer_->KillTimer(id);
}

gfx::Canvas Window::ClientCanvas()
{
    if (peer_) peer_->SurfaceChanged();
    return gfx::Canvas(surface_, toolkit_.DefaultFont());
}

void Window::Invalidate()
{
    if (peer_) peer_->Invalidate();
}

bool Window::DispatchCommand(int id, int code)
{
    const Watched watched(*this, "command", id);
    return Command(id, code);
}

void Window::DispatchTimer(int id)
{
    const Watched watched(*this, "timer", id);
    Timer(id);
}

void Window::DispatchPaint()
{
    const Watched watched(*this, "paint");
    gfx::Canvas canvas = ClientCanvas();
    Paint(canvas);
}

void Window::DispatchLeftButtonDown(gfx::Point p)
{
    const Watched watched(*this, "left button");
    LeftButtonDown(p);
}

void Window::DispatchMouseMove(gfx::Point p, bool leftButtonHeld)
{
    const Watched watched(*this, "mouse move");
    MouseMove(p, leftButtonHeld);
}

void Window::DispatchSize(gfx::Size outerSize)
{
    const Watched watched(*this, "size");
    outer_ = gfx::Rect::FromSize(outer_.left, outer_.top, outerSize.width, outerSize.height);
    const gfx::Size client = ClientSizeFor(outerSize);
    if (client != ClientSize()) surface_.Resize(client.width, client.height, kWindowBackground);
    Sized(outerSize);
}

void Window::DispatchMove(gfx::Point clientTopLeftOnScreen)
{
    const Watched watched(*this, "move");
    const gfx::Point origin = ClientOriginOnScreen();
    outer_ = gfx::Rect::FromSize(outer_.left + clientTopLeftOnScreen.x - origin.x,
                                 outer_.top + clientTopLeftOnScreen.y - origin.y, outer_.Width(), outer_.Height());
    Moved(clientTopLeftOnScreen);
}

void Window::DispatchClose()
{
    const Watched watched(*this, "close");
    CloseRequested();
}

void Window::CloseRequested()
{
    if (style_ == WindowStyle::Frame) toolkit_.Quit();
}

}  // namespace nuvix::ui
