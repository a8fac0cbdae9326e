#include "platform/ui/Dialog.h"

#include "platform/text/Translate.h"
#include "platform/ui/Toolkit.h"

namespace nuvix::ui {

gfx::Rect DialogUnitsToPixels(int x, int y, int width, int height)
{
    const auto px = [](int v) { return v * kDialogBaseUnitX / 4; };
    const auto py = [](int v) { return v * kDialogBaseUnitY / 8; };
    return gfx::Rect::FromSize(px(x), py(y), px(width), py(height));
}

namespace {
bool TakesTab(const Control& control)
{
    return control.Style().tabStop && control.IsVisible() && control.IsEnabled();
}

gfx::Rect OuterRectFor(Toolkit& toolkit, const DialogTemplate& layout)
{
    const ScreenMetrics m = toolkit.Metrics();
    const gfx::Rect client = DialogUnitsToPixels(layout.x, layout.y, layout.width, layout.height);
    return gfx::Rect::FromSize(client.left, client.top, client.Width() + 2 * m.borderWidth,
                               client.Height() + m.captionHeight + 2 * m.borderWidth);
}
}  // namespace

Dialog::Dialog(Toolkit& toolkit, Window* parent, const DialogTemplate& layout)
    : Window(toolkit, parent, TrMarked(layout.caption), WindowStyle::Dialog, OuterRectFor(toolkit, layout)),
      layout_(layout)
{
}

int Dialog::Execute()
{
    // Every run starts from the template, as a dialog built from its resource does.
    RemoveControls();
    for (const DialogItem& item : layout_.items) {
        AddControl(item.id, item.kind, TrMarked(item.text),
                   DialogUnitsToPixels(item.x, item.y, item.width, item.height), item.style);
    }
    // A template's position is counted from its owner's client area.
    if (Parent()) {
        const gfx::Point owner = Parent()->ClientOriginOnScreen();
        const gfx::Rect placed = DialogUnitsToPixels(layout_.x, layout_.y, 0, 0);
        MoveTo({owner.x + placed.left, owner.y + placed.top});
    }
    ended_ = false;
    result_ = kCancel;
    return Kit().RunModal(*this);
}

void Dialog::EndDialog(int result)
{
    ended_ = true;
    result_ = result;
    if (Peer()) Peer()->EndModal(result);
}

bool Dialog::TabToNextStop(bool backward)
{
    const auto& all = Controls();
    const int count = static_cast<int>(all.size());
    int current = -1;
    for (int i = 0; i < count; ++i) {
        if (all[static_cast<size_t>(i)].get() == FocusedControl()) current = i;
    }
    // Without a focused control, forward starts at the first control and backward at the last.
    const int start = current >= 0 ? current : (backward ? count : -1);
    for (int step = 1; step <= count; ++step) {
        const int i = ((start + (backward ? -step : step)) % count + count) % count;
        Control& control = *all[static_cast<size_t>(i)];
        if (i == current) return false;
        if (TakesTab(control)) {
            MoveFocus(control);
            return true;
        }
    }
    return false;
}

void Dialog::FocusFirstTabStop()
{
    if (!FocusedControl()) TabToNextStop(false);
}

bool Dialog::Command(int id, int code)
{
    (void)code;
    if (id == kOk || id == kCancel) {
        EndDialog(id);
        return true;
    }
    return false;
}

}  // namespace nuvix::ui
