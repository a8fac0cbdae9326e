#include "platform/wx/WxControlPeer.h"

#include "platform/ui/Window.h"
#include "platform/wx/GtkSupport.h"
#include "platform/wx/WxText.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/radiobut.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <algorithm>

namespace nuvix::wx {

namespace {

// A drop-down list's rectangle includes its opened list; closed it is as tall as an edit.
constexpr int kClosedListHeight = 24;

wxArrayString ItemsOf(const ui::Control& control)
{
    wxArrayString items;
    for (const std::string& item : control.Items())
        items.Add(ToWx(item));
    return items;
}

bool StartsRadioGroup(const ui::Control& control)
{
    const auto& all = control.Owner().Controls();
    for (size_t i = 0; i < all.size(); ++i) {
        if (all[i].get() == &control) return i == 0 || all[i - 1]->Kind() != ui::ControlKind::RadioButton;
    }
    return true;
}

}  // namespace

WxControlPeer::WxControlPeer(ui::Control& control, wxWindow& client) : control_(control), client_(&client)
{
    widget_ = CreateWidget(client);
    if (!widget_) {
        client.Refresh(false);  // a black frame
        return;
    }
    widget_->Show(control.IsVisible());
    widget_->Enable(control.IsEnabled());
    BindUserActions();
}

WxControlPeer::~WxControlPeer()
{
    detached_ = true;
    if (widget_) {
        widget_->Destroy();
    } else if (client_) {
        client_->Refresh(false);
    }
}

wxWindow* WxControlPeer::CreateWidget(wxWindow& client)
{
    const gfx::Rect b = control_.Bounds();
    const wxPoint pos(b.left, b.top);
    const wxSize size(b.Width(), b.Height());
    const wxString text = ToWx(control_.Text());
    const ui::ControlStyle& style = control_.Style();
    // Ids stay wxID_ANY: our handlers are bound per control, and wx gives some ids
    // (OK, Cancel) behaviour of its own.
    switch (control_.Kind()) {
    case ui::ControlKind::PushButton: {
        auto* button = HandToWx<wxButton>(&client, wxID_ANY, text, pos, size);
        if (style.defaultButton) button->SetDefault();
        return button;
    }
    case ui::ControlKind::CheckBox: {
        auto* box = HandToWx<wxCheckBox>(&client, wxID_ANY, text, pos, size);
        if (text.empty()) MarkBareCheckBox(*box);
        box->SetValue(control_.IsChecked());
        return box;
    }
    case ui::ControlKind::RadioButton: {
        // GTK groups mirror the model's: radio buttons that follow one another. (A GTK
        // radio button cannot be unchecked on its own, so a lone "single" button would
        // not follow the model; within a group, checking one clears the others.)
        auto* radio =
            HandToWx<wxRadioButton>(&client, wxID_ANY, text, pos, size, StartsRadioGroup(control_) ? wxRB_GROUP : 0);
        radio->SetValue(control_.IsChecked());
        return radio;
    }
    case ui::ControlKind::Edit: {
        long flags = style.border ? wxBORDER_DEFAULT : wxBORDER_NONE;
        if (style.readOnly) flags |= wxTE_READONLY;
        if (style.rightAlign) flags |= wxTE_RIGHT;
        // A single-line GTK entry always scrolls sideways, as autoHScroll asks.
        auto* edit = HandToWx<wxTextCtrl>(&client, wxID_ANY, wxString(), pos, size, flags);
        edit->ChangeValue(text);
        return edit;
    }
    case ui::ControlKind::DropDownList: {
        const wxSize closed(size.x, std::min(size.y, kClosedListHeight));
        auto* list = HandToWx<wxChoice>(&client, wxID_ANY, pos, closed, ItemsOf(control_));
        list->SetSelection(control_.Selection() >= 0 ? control_.Selection() : wxNOT_FOUND);
        return list;
    }
    case ui::ControlKind::StaticText: {
        long flags = wxST_NO_AUTORESIZE | (style.centered ? wxALIGN_CENTRE_HORIZONTAL : wxALIGN_LEFT);
        return HandToWx<wxStaticText>(&client, wxID_ANY, text, pos, size, flags);
    }
    case ui::ControlKind::GroupBox:
        return HandToWx<wxStaticBox>(&client, wxID_ANY, text, pos, size);
    case ui::ControlKind::BlackFrame:
        return nullptr;
    }
    return nullptr;
}

void WxControlPeer::BindUserActions()
{
    wxWindow& w = *widget_;
    switch (control_.Kind()) {
    case ui::ControlKind::PushButton:
        w.Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { control_.UserClick(wxGetKeyState(WXK_SHIFT)); });
        break;
    case ui::ControlKind::CheckBox:
        w.Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) {
            control_.UserClick();
            SyncChecked();
        });
        break;
    case ui::ControlKind::RadioButton:
        w.Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) {
            control_.UserClick();
            SyncChecked();
        });
        break;
    case ui::ControlKind::Edit:
        // ChangeValue, used for the program's changes, sends no event, so this is the user.
        w.Bind(wxEVT_TEXT, [this](wxCommandEvent& event) {
            control_.UserType(FromWx(event.GetString()));
            SyncText();
        });
        break;
    case ui::ControlKind::DropDownList:
        w.Bind(wxEVT_CHOICE, [this](wxCommandEvent& event) { control_.UserSelect(event.GetSelection()); });
        break;
    case ui::ControlKind::StaticText:
    case ui::ControlKind::GroupBox:
    case ui::ControlKind::BlackFrame:
        return;
    }
    w.Bind(wxEVT_SET_FOCUS, [this](wxFocusEvent& event) {
        event.Skip();
        FocusChanged(true);
    });
    w.Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& event) {
        event.Skip();
        FocusChanged(false);
    });
    if (control_.Kind() == ui::ControlKind::DropDownList)
        ReportInnerFocus(w, [this](bool gained) { FocusChanged(gained); });
}

void WxControlPeer::FocusChanged(bool gained)
{
    // Focus the program gave, or the dialog keys moved, is already noted: only the user's own
    // moves are reported.
    if (detached_ || gained == control_.HasFocus()) return;
    control_.UserFocus(gained);
}

void WxControlPeer::SyncChecked()
{
    if (auto* box = dynamic_cast<wxCheckBox*>(widget_.get())) {
        if (box->GetValue() != control_.IsChecked()) box->SetValue(control_.IsChecked());
    } else if (auto* radio = dynamic_cast<wxRadioButton*>(widget_.get())) {
        if (radio->GetValue() != control_.IsChecked()) radio->SetValue(control_.IsChecked());
    }
}

void WxControlPeer::SyncText()
{
    // A read-only or disabled edit keeps the program's text.
    auto* edit = dynamic_cast<wxTextCtrl*>(widget_.get());
    if (!edit) return;
    const wxString text = ToWx(control_.Text());
    if (edit->GetValue() != text) edit->ChangeValue(text);
}

void WxControlPeer::TextChanged()
{
    if (!widget_) return;
    if (control_.Kind() == ui::ControlKind::Edit) {
        SyncText();
    } else {
        widget_->SetLabel(ToWx(control_.Text()));
    }
}

void WxControlPeer::CheckedChanged()
{
    if (widget_) SyncChecked();
}

void WxControlPeer::VisibilityChanged()
{
    if (widget_) {
        widget_->Show(control_.IsVisible());
    } else if (client_) {
        client_->Refresh(false);
    }
}

void WxControlPeer::EnabledChanged()
{
    if (widget_) widget_->Enable(control_.IsEnabled());
}

void WxControlPeer::ReadOnlyChanged()
{
    if (auto* edit = dynamic_cast<wxTextCtrl*>(widget_.get())) edit->SetEditable(!control_.IsReadOnly());
}

void WxControlPeer::ItemsChanged()
{
    auto* list = dynamic_cast<wxChoice*>(widget_.get());
    if (!list) return;
    list->Set(ItemsOf(control_));
    SelectionChanged();
}

void WxControlPeer::SelectionChanged()
{
    if (auto* list = dynamic_cast<wxChoice*>(widget_.get())) {
        list->SetSelection(control_.Selection() >= 0 ? control_.Selection() : wxNOT_FOUND);
    }
}

void WxControlPeer::FocusRequested()
{
    if (widget_) widget_->SetFocus();
}

}  // namespace nuvix::wx
