#pragma once

#include "platform/gfx/Geometry.h"

#include <memory>
#include <string>
#include <vector>

namespace nuvix::ui {

class Window;

enum class ControlKind { PushButton, CheckBox, RadioButton, Edit, DropDownList, StaticText, GroupBox, BlackFrame };

struct ControlStyle {
    bool visible = true;
    bool border = false;       // edits
    bool readOnly = false;     // edits
    bool autoHScroll = false;  // edits: the text scrolls sideways instead of wrapping
    bool rightAlign = false;   // edits
    bool centered = false;     // static texts
    bool tabStop = false;
    bool defaultButton = false;
    bool verticalScroll = false;  // drop-down lists
};

// Notification codes that come with a command.
namespace notify {
inline constexpr int kClicked = 0;  // buttons, check boxes, radio buttons
// A push button clicked with Shift held: a window that has no use for it gets a plain click.
inline constexpr int kShiftClicked = 2;
inline constexpr int kSelectionChange = 1;  // drop-down lists
inline constexpr int kEditSetFocus = 0x100;
inline constexpr int kEditKillFocus = 0x200;
inline constexpr int kEditChange = 0x300;
}  // namespace notify

// The backend's side of one control: told of every state change made by the program.
class ControlPeer {
public:
    virtual ~ControlPeer() = default;
    virtual void TextChanged() {}
    virtual void CheckedChanged() {}
    virtual void VisibilityChanged() {}
    virtual void EnabledChanged() {}
    virtual void ReadOnlyChanged() {}
    virtual void ItemsChanged() {}
    virtual void SelectionChanged() {}
    virtual void FocusRequested() {}
};

// A child control of a window, created by id. It holds the control's state; the backend's
// peer mirrors it on screen and reports the user's actions through the User* calls.
class Control {
public:
    Control(Window& owner, int id, ControlKind kind, std::string text, gfx::Rect bounds, ControlStyle style);
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    int Id() const { return id_; }
    ControlKind Kind() const { return kind_; }
    gfx::Rect Bounds() const { return bounds_; }
    const ControlStyle& Style() const { return style_; }
    Window& Owner() const { return owner_; }

    const std::string& Text() const { return text_; }
    void SetText(std::string text);
    bool IsChecked() const { return checked_; }
    void SetChecked(bool checked);
    bool IsVisible() const { return style_.visible; }
    void Show(bool visible);
    bool IsEnabled() const { return enabled_; }
    void Enable(bool enabled);
    bool IsReadOnly() const { return style_.readOnly; }
    void SetReadOnly(bool readOnly);

    // Drop-down lists. Selection -1 means none.
    void AddItem(std::string item);
    void ClearItems();
    const std::vector<std::string>& Items() const { return items_; }
    int Selection() const { return selection_; }
    void SetSelection(int index);

    void SetFocus();
    bool HasFocus() const;

    // What the user does. Each updates the state as the platform control would, then
    // sends the owner its command.
    // A check box toggles; a radio button checks itself and clears its group.
    void UserClick(bool shiftHeld = false);
    void UserType(std::string text);
    void UserSelect(int index);
    void UserFocus(bool gained);

    void AttachPeer(std::unique_ptr<ControlPeer> peer) { peer_ = std::move(peer); }
    ControlPeer* Peer() const { return peer_.get(); }

private:
    Window& owner_;
    int id_;
    ControlKind kind_;
    std::string text_;
    gfx::Rect bounds_;
    ControlStyle style_;
    bool checked_ = false;
    bool enabled_ = true;
    std::vector<std::string> items_;
    int selection_ = -1;
    std::unique_ptr<ControlPeer> peer_;
};

}  // namespace nuvix::ui
