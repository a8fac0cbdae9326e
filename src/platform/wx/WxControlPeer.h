#pragma once

#include "platform/ui/Control.h"

#include <wx/weakref.h>
#include <wx/window.h>

namespace nuvix::wx {

// One control on the desktop. The user's actions go to the control's User* calls, which
// update its state and send the command; changes made by the program come back through
// the peer callbacks and send nothing. Black frames have no widget: the client panel
// draws them.
class WxControlPeer final : public ui::ControlPeer {
public:
    WxControlPeer(ui::Control& control, wxWindow& client);
    ~WxControlPeer() override;
    WxControlPeer(const WxControlPeer&) = delete;
    WxControlPeer& operator=(const WxControlPeer&) = delete;

    void TextChanged() override;
    void CheckedChanged() override;
    void VisibilityChanged() override;
    void EnabledChanged() override;
    void ReadOnlyChanged() override;
    void ItemsChanged() override;
    void SelectionChanged() override;
    void FocusRequested() override;

private:
    wxWindow* CreateWidget(wxWindow& client);
    void BindUserActions();
    void FocusChanged(bool gained);
    void SyncChecked();
    void SyncText();

    ui::Control& control_;
    wxWeakRef<wxWindow> client_;
    wxWeakRef<wxWindow> widget_;
    // Set while the widget is taken down: GTK may still report a focus change then.
    bool detached_ = false;
};

}  // namespace nuvix::wx
