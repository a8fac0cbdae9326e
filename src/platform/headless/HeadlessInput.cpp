// What a test's simulated user does to the headless windows.
#include "platform/headless/HeadlessPeers.h"
#include "platform/headless/HeadlessToolkit.h"
#include "platform/ui/Dialog.h"

#include <algorithm>

namespace nuvix::headless {

bool HeadlessToolkit::Accepts(const ui::Window& window)
{
    if (!window.IsCreated()) return false;
    // A dialog that has ended takes no more input; its modal run is about to return.
    return std::none_of(modalStack_.begin(), modalStack_.end(),
                        [&](const ui::Dialog* d) { return d == &window && d->IsEnded(); });
}

ui::Control* HeadlessToolkit::UsableControl(ui::Window& window, int id)
{
    if (!Accepts(window)) return nullptr;
    ui::Control* control = window.FindControl(id);
    if (!control || !control->IsEnabled() || !control->IsVisible()) return nullptr;
    return control;
}

template <class Action>
bool HeadlessToolkit::UserAction(ui::Window& window, Action&& action)
{
    if (!Accepts(window)) {
        Log(EventKind::InputIgnored, &window);
        return false;
    }
    action();
    Pump();
    return true;
}

bool HeadlessToolkit::Click(ui::Window& window, int id)
{
    return ClickHolding(window, id, false);
}

bool HeadlessToolkit::ShiftClick(ui::Window& window, int id)
{
    return ClickHolding(window, id, true);
}

bool HeadlessToolkit::ClickHolding(ui::Window& window, int id, bool shift)
{
    ui::Control* control = UsableControl(window, id);
    if (!control) {
        Log(EventKind::InputIgnored, &window, id);
        return false;
    }
    return UserAction(window, [&] { control->UserClick(shift); });
}

bool HeadlessToolkit::Type(ui::Window& window, int id, std::string text)
{
    ui::Control* control = UsableControl(window, id);
    if (!control || control->Kind() != ui::ControlKind::Edit || control->IsReadOnly()) {
        Log(EventKind::InputIgnored, &window, id, text);
        return false;
    }
    return UserAction(window, [&] { control->UserType(std::move(text)); });
}

bool HeadlessToolkit::Select(ui::Window& window, int id, int index)
{
    ui::Control* control = UsableControl(window, id);
    if (!control || index < 0 || index >= static_cast<int>(control->Items().size())) {
        Log(EventKind::InputIgnored, &window, id);
        return false;
    }
    return UserAction(window, [&] { control->UserSelect(index); });
}

bool HeadlessToolkit::Focus(ui::Window& window, int id, bool gained)
{
    ui::Control* control = UsableControl(window, id);
    if (!control) {
        Log(EventKind::InputIgnored, &window, id);
        return false;
    }
    return UserAction(window, [&] { gained ? window.MoveFocus(*control) : control->UserFocus(false); });
}

bool HeadlessToolkit::LeftButtonDown(ui::Window& window, gfx::Point p)
{
    const gfx::Size client = window.ClientSize();
    if (!gfx::Rect::FromSize(0, 0, client.width, client.height).Contains(p)) {
        Log(EventKind::InputIgnored, &window);
        return false;
    }
    return UserAction(window, [&] { window.DispatchLeftButtonDown(p); });
}

bool HeadlessToolkit::MouseMove(ui::Window& window, gfx::Point p, bool leftHeld)
{
    const gfx::Size client = window.ClientSize();
    if (!leftHeld && !gfx::Rect::FromSize(0, 0, client.width, client.height).Contains(p)) {
        Log(EventKind::InputIgnored, &window);
        return false;
    }
    return UserAction(window, [&] { window.DispatchMouseMove(p, leftHeld); });
}

bool HeadlessToolkit::Resize(ui::Window& window, gfx::Size outer)
{
    return UserAction(window, [&] {
        const gfx::Size before = window.ClientSize();
        window.DispatchSize(outer);
        if (HeadlessWindowPeer* peer = PeerFor(window)) peer->MutableRecord().outer = window.OuterRect();
        // A new client area starts blank and must be painted again.
        if (window.ClientSize() != before) RequestPaint(window);
    });
}

bool HeadlessToolkit::MoveWindow(ui::Window& window, gfx::Point clientTopLeftOnScreen)
{
    return UserAction(window, [&] {
        window.DispatchMove(clientTopLeftOnScreen);
        if (HeadlessWindowPeer* peer = PeerFor(window)) peer->MutableRecord().outer = window.OuterRect();
    });
}

bool HeadlessToolkit::Close(ui::Window& window)
{
    return UserAction(window, [&] { window.DispatchClose(); });
}

bool HeadlessToolkit::PressEnter(ui::Window& window)
{
    const ui::Control* focused = window.FocusedControl();
    if (focused && focused->Kind() == ui::ControlKind::PushButton) return Click(window, focused->Id());
    for (const auto& control : window.Controls()) {
        if (control->Kind() == ui::ControlKind::PushButton && control->Style().defaultButton) {
            return Click(window, control->Id());
        }
    }
    return UserAction(window, [&] { window.DispatchCommand(ui::Dialog::kOk, ui::notify::kClicked); });
}

bool HeadlessToolkit::PressTab(ui::Window& window, bool backward)
{
    auto* dialog = dynamic_cast<ui::Dialog*>(&window);
    if (!dialog) return false;
    return UserAction(window, [&] { dialog->TabToNextStop(backward); });
}

bool HeadlessToolkit::PressEscape(ui::Window& window)
{
    return UserAction(window, [&] { window.DispatchCommand(ui::Dialog::kCancel, ui::notify::kClicked); });
}

}  // namespace nuvix::headless
