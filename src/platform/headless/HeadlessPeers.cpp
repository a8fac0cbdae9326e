#include "platform/headless/HeadlessPeers.h"

#include "platform/headless/HeadlessToolkit.h"

namespace nuvix::headless {

HeadlessWindowPeer::HeadlessWindowPeer(HeadlessToolkit& kit, ui::Window& window) : kit_(&kit), window_(window)
{
    record_.caption = window.Caption();
    record_.outer = window.OuterRect();
    kit.Register(*this);
}

HeadlessWindowPeer::~HeadlessWindowPeer()
{
    if (kit_) kit_->Unregister(*this);
}

void HeadlessWindowPeer::Show(bool visible)
{
    const bool wasShown = record_.shown;
    record_.shown = visible;
    // A window that appears has its whole client area to paint.
    if (visible && !wasShown && kit_) kit_->RequestPaint(window_);
}

void HeadlessWindowPeer::SetCaption(const std::string& caption)
{
    record_.caption = caption;
}

void HeadlessWindowPeer::SetOuterRect(gfx::Rect outer)
{
    record_.outer = outer;
}

void HeadlessWindowPeer::Invalidate()
{
    if (kit_) kit_->RequestPaint(window_);
}

void HeadlessWindowPeer::SetTimer(int id, int periodMs)
{
    if (kit_) kit_->ArmTimer(window_, id, periodMs);
}

void HeadlessWindowPeer::KillTimer(int id)
{
    if (kit_) kit_->KillTimer(window_, id);
}

std::unique_ptr<ui::ControlPeer> HeadlessWindowPeer::CreateControl(ui::Control& control)
{
    // The control holds all its state and nothing is drawn for it.
    (void)control;
    return std::make_unique<ui::ControlPeer>();
}

}  // namespace nuvix::headless
