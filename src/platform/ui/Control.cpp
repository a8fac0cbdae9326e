#include "platform/ui/Control.h"

#include "platform/ui/Window.h"

namespace nuvix::ui {

Control::Control(Window& owner, int id, ControlKind kind, std::string text, gfx::Rect bounds, ControlStyle style)
    : owner_(owner), id_(id), kind_(kind), text_(std::move(text)), bounds_(bounds), style_(style)
{
}

void Control::SetText(std::string text)
{
    text_ = std::move(text);
    if (peer_) peer_->TextChanged();
}

void Control::SetChecked(bool checked)
{
    checked_ = checked;
    if (peer_) peer_->CheckedChanged();
}

void Control::Show(bool visible)
{
    style_.visible = visible;
    if (peer_) peer_->VisibilityChanged();
}

void Control::Enable(bool enabled)
{
    enabled_ = enabled;
    if (peer_) peer_->EnabledChanged();
}

void Control::SetReadOnly(bool readOnly)
{
    style_.readOnly = readOnly;
    if (peer_) peer_->ReadOnlyChanged();
}

void Control::AddItem(std::string item)
{
    items_.push_back(std::move(item));
    if (peer_) peer_->ItemsChanged();
}

void Control::ClearItems()
{
    items_.clear();
    selection_ = -1;
    if (peer_) peer_->ItemsChanged();
}

void Control::SetSelection(int index)
{
    selection_ = (index >= 0 && index < static_cast<int>(items_.size())) ? index : -1;
    if (peer_) peer_->SelectionChanged();
}

void Control::SetFocus()
{
    owner_.NoteFocus(id_);
    if (peer_) peer_->FocusRequested();
}

bool Control::HasFocus() const
{
    return owner_.FocusedControl() == this;
}

void Control::UserClick(bool shiftHeld)
{
    if (!enabled_ || !style_.visible) return;
    if (kind_ == ControlKind::CheckBox) {
        SetChecked(!checked_);
    } else if (kind_ == ControlKind::RadioButton) {
        // Radio buttons that follow one another form a group: checking one clears the rest.
        const auto& all = owner_.Controls();
        size_t self = 0;
        while (all[self].get() != this)
            ++self;
        size_t first = self;
        while (first > 0 && all[first - 1]->Kind() == ControlKind::RadioButton)
            --first;
        for (size_t i = first; i < all.size() && all[i]->Kind() == ControlKind::RadioButton; ++i) {
            all[i]->SetChecked(i == self);
        }
    }
    if (shiftHeld && kind_ == ControlKind::PushButton && owner_.DispatchCommand(id_, notify::kShiftClicked)) return;
    owner_.DispatchCommand(id_, notify::kClicked);
}

void Control::UserType(std::string text)
{
    if (!enabled_ || style_.readOnly) return;
    text_ = std::move(text);
    owner_.DispatchCommand(id_, notify::kEditChange);
}

void Control::UserSelect(int index)
{
    if (!enabled_) return;
    selection_ = (index >= 0 && index < static_cast<int>(items_.size())) ? index : -1;
    owner_.DispatchCommand(id_, notify::kSelectionChange);
}

void Control::UserFocus(bool gained)
{
    if (gained) {
        owner_.NoteFocus(id_);
    } else if (HasFocus()) {
        owner_.NoteFocus(-1);
    }
    if (kind_ == ControlKind::Edit) {
        owner_.DispatchCommand(id_, gained ? notify::kEditSetFocus : notify::kEditKillFocus);
    }
}

}  // namespace nuvix::ui
