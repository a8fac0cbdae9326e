#include "platform/headless/TimerQueue.h"

#include <algorithm>

namespace nuvix::headless {

namespace {
constexpr int64_t kNsPerMs = 1'000'000;
}

void TimerQueue::Arm(ui::Window& window, int id, int periodMs, int64_t nowNs)
{
    // The window seam already applies the system's floor; this one only guarantees that
    // advancing time always ends.
    periodMs = std::max(periodMs, 1);
    ArmedTimer* timer = FindMutable(&window, id);
    if (!timer) {
        timers_.push_back({&window, id, 0, 0, 0, 0, false});
        timer = &timers_.back();
    }
    timer->periodMs = periodMs;
    timer->dueNs = nowNs + periodMs * kNsPerMs;
    timer->armOrder = nextOrder_++;
    timer->arming = timer->armOrder;
}

void TimerQueue::Kill(const ui::Window& window, int id)
{
    std::erase_if(timers_, [&](const ArmedTimer& t) { return t.window == &window && t.id == id; });
}

void TimerQueue::KillAll(const ui::Window& window)
{
    std::erase_if(timers_, [&](const ArmedTimer& t) { return t.window == &window; });
}

std::optional<ArmedTimer> TimerQueue::NextDue(int64_t limitNs) const
{
    const ArmedTimer* best = nullptr;
    for (const ArmedTimer& t : timers_) {
        if (t.firing || t.dueNs > limitNs) continue;
        if (!best || t.dueNs < best->dueNs || (t.dueNs == best->dueNs && t.armOrder < best->armOrder)) best = &t;
    }
    if (!best) return std::nullopt;
    return *best;
}

void TimerQueue::BeginFiring(const ArmedTimer& timer)
{
    if (ArmedTimer* t = FindMutable(timer.window, timer.id); t && t->arming == timer.arming) t->firing = true;
}

void TimerQueue::EndFiring(const ArmedTimer& timer, int64_t nowNs)
{
    // The handler may have destroyed the window: its timers are gone then, and the pointer
    // is only compared, never followed.
    ArmedTimer* t = FindMutable(timer.window, timer.id);
    if (!t) return;
    t->firing = false;
    if (t->arming != timer.arming) return;  // re-armed by the handler: its new countdown stands
    t->dueNs = std::max(timer.dueNs + t->periodMs * kNsPerMs, nowNs);
}

const ArmedTimer* TimerQueue::Find(const ui::Window& window, int id) const
{
    for (const ArmedTimer& t : timers_) {
        if (t.window == &window && t.id == id) return &t;
    }
    return nullptr;
}

ArmedTimer* TimerQueue::FindMutable(const ui::Window* window, int id)
{
    for (ArmedTimer& t : timers_) {
        if (t.window == window && t.id == id) return &t;
    }
    return nullptr;
}

}  // namespace nuvix::headless
