#include "platform/wx/WxWindowPeer.h"

#include "platform/ui/Dialog.h"
#include "platform/wx/GtkSupport.h"
#include "platform/wx/WxControlPeer.h"
#include "platform/wx/WxText.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/dcclient.h>
#include <wx/dialog.h>
#include <wx/frame.h>
#include <wx/timer.h>

#include <algorithm>

namespace nuvix::wx {

namespace {

// Names our client panels among their siblings, for keeping them in creation order.
const char* const kClientName = "nuvix-client";

}  // namespace

// One seam timer of one window.
class WxWindowPeer::Timer final : public wxTimer {
public:
    Timer(WxSession& session, ui::Window& window, int id) : session_(session), window_(window), id_(id) {}

    void Notify() override
    {
        // The handler may destroy this timer; nothing of it is used afterwards.
        TimerScope scope(session_);
        window_.DispatchTimer(id_);
    }

private:
    WxSession& session_;
    ui::Window& window_;
    int id_;
};

WxWindowPeer::WxWindowPeer(WxSession& session, ui::Window& window)
    : session_(session), window_(window), anchor_(std::make_shared<WxWindowPeer*>(this))
{
    WxWindowPeer* parent = Of(window.Parent());
    const bool child = window.Style() == ui::WindowStyle::Child || window.Style() == ui::WindowStyle::BorderedChild;
    if (child && parent && parent->Client()) {
        CreateChild(parent->Client());
    } else {
        CreateTopLevel(parent ? parent->TopLevel() : nullptr);
    }
    if (window.Style() == ui::WindowStyle::Frame) session_.frames.push_back(&window_);
}

WxWindowPeer::~WxWindowPeer()
{
    *anchor_ = nullptr;
    timers_.clear();
    session_.ForgetFrame(&window_);
    if (top_) {
        if (auto* dialog = dynamic_cast<wxDialog*>(top_.get()); dialog && dialog->IsModal()) {
            dialog->EndModal(ui::Dialog::kCancel);
        }
        top_->Destroy();  // deleted by wx at its next idle time
    } else if (panel_) {
        panel_->Destroy();
    }
}

WxWindowPeer* WxWindowPeer::Of(const ui::Window* window)
{
    return window ? dynamic_cast<WxWindowPeer*>(window->Peer()) : nullptr;
}

wxWindow* WxWindowPeer::TopLevel() const
{
    if (top_) return top_.get();
    return panel_ ? wxGetTopLevelParent(panel_.get()) : nullptr;
}

template <class Event>
void WxWindowPeer::Route(wxWindow& source, const wxEventTypeTag<Event>& type, void (WxWindowPeer::*handler)(Event&))
{
    source.Bind(type, [anchor = anchor_, handler](Event& event) {
        if (WxWindowPeer* peer = *anchor) {
            (peer->*handler)(event);
        } else {
            event.Skip();
        }
    });
}

void WxWindowPeer::CreateTopLevel(wxWindow* parentTop)
{
    const ui::WindowStyle style = window_.Style();
    const gfx::Rect outer = window_.OuterRect();
    const wxPoint position(outer.left, outer.top);
    const wxString caption = ToWx(window_.Caption());
    long flags = 0;
    switch (style) {
    case ui::WindowStyle::Frame:
    case ui::WindowStyle::Dialog:
        flags = wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX;
        break;
    case ui::WindowStyle::Popup:
    case ui::WindowStyle::ResizablePopup:
        // A caption bar but no system menu, hence no close box.
        flags = wxCAPTION | wxFRAME_NO_TASKBAR;
        if (parentTop) flags |= wxFRAME_FLOAT_ON_PARENT;
        if (style == ui::WindowStyle::ResizablePopup) flags |= wxRESIZE_BORDER;
        break;
    case ui::WindowStyle::Child:
    case ui::WindowStyle::BorderedChild:
        // A child whose parent is not on screen has nowhere to live but on its own.
        flags = wxBORDER_NONE | wxFRAME_NO_TASKBAR;
        break;
    }
    if (style == ui::WindowStyle::Dialog) {
        top_ = HandToWx<wxDialog>(parentTop, wxID_ANY, caption, position, wxDefaultSize, flags);
    } else {
        top_ = HandToWx<wxFrame>(parentTop, wxID_ANY, caption, position, wxDefaultSize, flags);
    }
    KeepRequestedPosition(*top_, outer.left, outer.top);
    const gfx::Size client = window_.ClientSize();
    CreateClientPanel(top_.get(), gfx::Rect::FromSize(0, 0, client.width, client.height), wxBORDER_NONE, false);
    SetFixedClientSize(client);
    Route(*top_, wxEVT_CLOSE_WINDOW, &WxWindowPeer::OnClose);
    Route(*top_, wxEVT_SIZE, &WxWindowPeer::OnSize);
    Route(*top_, wxEVT_MOVE, &WxWindowPeer::OnMove);
    if (style == ui::WindowStyle::Dialog) Route(*top_, wxEVT_CHAR_HOOK, &WxWindowPeer::OnCharHook);
}

void WxWindowPeer::CreateChild(wxWindow* parentClient)
{
    const long border = window_.Style() == ui::WindowStyle::BorderedChild ? wxBORDER_SIMPLE : wxBORDER_NONE;
    CreateClientPanel(parentClient, window_.OuterRect(), border, true);
}

wxWindow* WxWindowPeer::CreateClientPanel(wxWindow* parent, gfx::Rect rect, long border, bool hidden)
{
    wxWindow* panel = HandToWx<wxWindow>();
    if (hidden) panel->Hide();  // stays off screen until the window is shown
    panel->SetBackgroundStyle(wxBG_STYLE_PAINT);
    panel->Create(parent, wxID_ANY, wxPoint(rect.left, rect.top), wxSize(rect.Width(), rect.Height()),
                  border | wxFULL_REPAINT_ON_RESIZE, kClientName);
    MarkClientArea(*panel);
    panel_ = panel;
    Route(*panel, wxEVT_PAINT, &WxWindowPeer::OnPaint);
    Route(*panel, wxEVT_LEFT_DOWN, &WxWindowPeer::OnLeftDown);
    Route(*panel, wxEVT_MOTION, &WxWindowPeer::OnMotion);
    return panel;
}

void WxWindowPeer::SetFixedClientSize(gfx::Size client)
{
    const wxSize size(client.width, client.height);
    top_->SetClientSize(size);
    if (window_.Style() != ui::WindowStyle::ResizablePopup) {
        top_->SetMinClientSize(size);
        top_->SetMaxClientSize(size);
    }
}

void WxWindowPeer::Show(bool visible)
{
    const bool appearing = visible && !visible_;
    visible_ = visible;
    if (top_) {
        // A dialog appears with its modal run.
        if (window_.Style() != ui::WindowStyle::Dialog) top_->Show(visible);
    } else if (panel_) {
        panel_->Show(visible);
        if (appearing) RaiseLaterSiblings();
    }
    if (appearing) Invalidate();
}

void WxWindowPeer::RaiseLaterSiblings()
{
    // GTK raises a child window when it is shown; siblings created after it go back on top
    // so that stacking always follows creation order.
    wxWindow* parent = panel_->GetParent();
    if (!parent) return;
    bool later = false;
    for (wxWindow* sibling : parent->GetChildren()) {
        if (sibling == panel_.get()) {
            later = true;
        } else if (later && sibling->GetName() == kClientName && sibling->IsShown()) {
            sibling->Raise();
        }
    }
}

void WxWindowPeer::SetCaption(const std::string& caption)
{
    if (top_) top_->SetTitle(ToWx(caption));
}

void WxWindowPeer::SetOuterRect(gfx::Rect outer)
{
    if (top_) {
        const gfx::Size frame = window_.OuterSizeFor({0, 0});
        const gfx::Size client{outer.Width() - frame.width, outer.Height() - frame.height};
        const wxSize current = top_->GetClientSize();
        if (client.width > 0 && client.height > 0 && (current.x != client.width || current.y != client.height)) {
            SetFixedClientSize(client);
        }
        top_->SetPosition(wxPoint(outer.left, outer.top));
    } else if (panel_) {
        panel_->SetSize(outer.left, outer.top, outer.Width(), outer.Height());
    }
}

void WxWindowPeer::PostOnce(bool& pending, void (WxWindowPeer::*work)())
{
    if (pending) return;
    pending = true;
    wxTheApp->CallAfter([anchor = anchor_, work] {
        if (WxWindowPeer* peer = *anchor) (peer->*work)();
    });
}

void WxWindowPeer::SurfaceChanged()
{
    // Drawing goes on until the handler returns; the screen is told what changed then.
    PostOnce(flushPending_, &WxWindowPeer::FlushSurface);
}

void WxWindowPeer::FlushSurface()
{
    flushPending_ = false;
    if (!panel_) return;
    for (const gfx::Rect& r : shown_.Update(window_.Surface()))
        panel_->RefreshRect(wxRect(r.left, r.top, r.Width(), r.Height()), false);
}

void WxWindowPeer::Invalidate()
{
    PostOnce(paintPending_, &WxWindowPeer::DeferredPaint);
}

void WxWindowPeer::DeferredPaint()
{
    paintPending_ = false;
    // A hidden window is painted when it is shown.
    if (visible_) window_.DispatchPaint();
}

void WxWindowPeer::SetTimer(int id, int periodMs)
{
    std::unique_ptr<Timer>& timer = timers_[id];
    if (!timer) timer = std::make_unique<Timer>(session_, window_, id);
    timer->Start(std::max(periodMs, 1));  // restarts a running timer with the new period
}

void WxWindowPeer::KillTimer(int id)
{
    // Only stopped: the handler that asks may be this timer's own.
    if (auto it = timers_.find(id); it != timers_.end()) it->second->Stop();
}

std::unique_ptr<ui::ControlPeer> WxWindowPeer::CreateControl(ui::Control& control)
{
    if (!panel_) return nullptr;
    return std::make_unique<WxControlPeer>(control, *panel_);
}

void WxWindowPeer::EndModal(int result)
{
    if (auto* dialog = dynamic_cast<wxDialog*>(top_.get()); dialog && dialog->IsModal()) dialog->EndModal(result);
}

void WxWindowPeer::RunModalLoop()
{
    if (auto* dialog = dynamic_cast<wxDialog*>(top_.get())) dialog->ShowModal();
}

void WxWindowPeer::OnPaint(wxPaintEvent&)
{
    wxPaintDC dc(panel_.get());
    const gfx::Bitmap& surface = window_.Surface();
    if (!shown_.Fits(surface)) {
        // The first paint, or one after a change of size: all of it, everywhere.
        shown_.Update(surface);
        panel_->Refresh(false);
    }
    if (shown_.Bitmap().IsOk()) dc.DrawBitmap(shown_.Bitmap(), 0, 0, false);
    // Black frames are lines on the client area, under every control they enclose.
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(*wxBLACK_BRUSH);
    for (const auto& control : window_.Controls()) {
        if (control->Kind() != ui::ControlKind::BlackFrame || !control->IsVisible()) continue;
        const gfx::Rect r = control->Bounds();
        dc.DrawRectangle(r.left, r.top, r.Width(), 1);
        dc.DrawRectangle(r.left, r.bottom - 1, r.Width(), 1);
        dc.DrawRectangle(r.left, r.top, 1, r.Height());
        dc.DrawRectangle(r.right - 1, r.top, 1, r.Height());
    }
}

void WxWindowPeer::OnLeftDown(wxMouseEvent& event)
{
    event.Skip();
    window_.DispatchLeftButtonDown({event.GetX(), event.GetY()});
}

void WxWindowPeer::OnMotion(wxMouseEvent& event)
{
    event.Skip();
    window_.DispatchMouseMove({event.GetX(), event.GetY()}, event.LeftIsDown());
}

void WxWindowPeer::OnClose(wxCloseEvent& event)
{
    // The window's owner decides; wx must not destroy the window itself.
    if (event.CanVeto()) event.Veto();
    window_.DispatchClose();
}

void WxWindowPeer::OnSize(wxSizeEvent& event)
{
    event.Skip();  // the frame still lays its client panel out
    if (window_.Style() != ui::WindowStyle::ResizablePopup || !top_) return;
    const wxSize client = top_->GetClientSize();
    if (client.x <= 0 || client.y <= 0 || gfx::Size{client.x, client.y} == window_.ClientSize()) return;
    window_.DispatchSize(window_.OuterSizeFor({client.x, client.y}));
    shown_.Reset();
    Invalidate();
}

void WxWindowPeer::OnMove(wxMoveEvent& event)
{
    event.Skip();
    if (!top_) return;
    // Reported as the client's corner, from which the window derives the same outer
    // corner that wx gives for the frame, so that a move and MoveTo agree.
    const wxPoint p = top_->GetPosition();
    const gfx::Rect outer = window_.OuterRect();
    if (p.x == outer.left && p.y == outer.top) return;
    const gfx::Point offset = window_.ClientOffset();
    window_.DispatchMove({p.x + offset.x, p.y + offset.y});
}

void WxWindowPeer::OnCharHook(wxKeyEvent& event)
{
    switch (event.GetKeyCode()) {
    case WXK_ESCAPE:
        window_.DispatchCommand(ui::Dialog::kCancel, ui::notify::kClicked);
        return;
    case WXK_TAB:
        // The template's tab order, which GTK's own focus chain does not follow.
        if (auto* dialog = dynamic_cast<ui::Dialog*>(&window_)) {
            if (!event.ControlDown() && !event.AltDown()) {
                dialog->TabToNextStop(event.ShiftDown());
                return;
            }
        }
        break;
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
        // A focused button takes Enter itself; otherwise the default button, or IDOK.
        if (dynamic_cast<wxButton*>(wxWindow::FindFocus())) break;
        for (const auto& control : window_.Controls()) {
            if (control->Kind() == ui::ControlKind::PushButton && control->Style().defaultButton &&
                control->IsVisible() && control->IsEnabled()) {
                control->UserClick();
                return;
            }
        }
        window_.DispatchCommand(ui::Dialog::kOk, ui::notify::kClicked);
        return;
    default:
        break;
    }
    event.Skip();
}

}  // namespace nuvix::wx
