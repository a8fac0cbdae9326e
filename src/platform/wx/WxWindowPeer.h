#pragma once

#include "platform/ui/Window.h"
#include "platform/wx/ScreenImage.h"
#include "platform/wx/WxSession.h"

#include <wx/bitmap.h>
#include <wx/toplevel.h>
#include <wx/weakref.h>
#include <wx/window.h>

#include <map>
#include <memory>

class wxDC;
class wxCloseEvent;
class wxKeyEvent;
class wxMouseEvent;
class wxMoveEvent;
class wxPaintEvent;
class wxSizeEvent;

namespace nuvix::wx {

class WxWindowPeer;
// Deferred work and wx event handlers reach the peer through this; it holds null once the
// peer is gone (a top-level wx window outlives its peer until the next idle time).
using PeerAnchor = std::shared_ptr<WxWindowPeer*>;

// One window of the system on the desktop. Every style has a client panel that shows the
// window's surface in one blit and holds its controls and child windows; frames, pop-ups
// and dialogs wrap that panel in a top-level wx window.
class WxWindowPeer final : public ui::WindowPeer {
public:
    WxWindowPeer(WxSession& session, ui::Window& window);
    ~WxWindowPeer() override;
    WxWindowPeer(const WxWindowPeer&) = delete;
    WxWindowPeer& operator=(const WxWindowPeer&) = delete;

    void Show(bool visible) override;
    void SetCaption(const std::string& caption) override;
    void SetOuterRect(gfx::Rect outer) override;
    void SurfaceChanged() override;
    void Invalidate() override;
    void SetTimer(int id, int periodMs) override;
    void KillTimer(int id) override;
    std::unique_ptr<ui::ControlPeer> CreateControl(ui::Control& control) override;
    void EndModal(int result) override;

    // Dialogs: runs the modal loop until EndModal.
    void RunModalLoop();
    wxWindow* Client() const { return panel_.get(); }
    wxWindow* TopLevel() const;
    const PeerAnchor& Anchor() const { return anchor_; }

    // The peer of a created window of ours, or null.
    static WxWindowPeer* Of(const ui::Window* window);

private:
    class Timer;

    void CreateTopLevel(wxWindow* parentTop);
    void CreateChild(wxWindow* parentClient);
    wxWindow* CreateClientPanel(wxWindow* parent, gfx::Rect rect, long border, bool hidden);
    void SetFixedClientSize(gfx::Size client);
    void RaiseLaterSiblings();
    // Runs `work` on this peer once the running handler has returned: once however often
    // asked meanwhile, and not at all when the peer is gone by then.
    void PostOnce(bool& pending, void (WxWindowPeer::*work)());
    void DeferredPaint();
    void FlushSurface();
    template <class Event>
    void Route(wxWindow& source, const wxEventTypeTag<Event>& type, void (WxWindowPeer::*handler)(Event&));

    void OnPaint(wxPaintEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnMotion(wxMouseEvent& event);
    void OnClose(wxCloseEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnMove(wxMoveEvent& event);
    void OnCharHook(wxKeyEvent& event);

    WxSession& session_;
    ui::Window& window_;
    PeerAnchor anchor_;
    wxWeakRef<wxTopLevelWindow> top_;
    wxWeakRef<wxWindow> panel_;
    std::map<int, std::unique_ptr<Timer>> timers_;
    ScreenImage shown_;  // the surface as the screen has it
    bool flushPending_ = false;
    bool paintPending_ = false;
    bool visible_ = false;
};

}  // namespace nuvix::wx
