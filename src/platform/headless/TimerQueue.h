#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace nuvix::ui {
class Window;
}

namespace nuvix::headless {

// One armed window timer.
struct ArmedTimer {
    ui::Window* window = nullptr;
    int id = 0;
    int periodMs = 0;
    int64_t dueNs = 0;
    uint64_t armOrder = 0;  // breaks ties between timers due at the same time
    uint64_t arming = 0;    // changes with every SetTimer, so a re-arm inside the handler wins
    bool firing = false;    // a timer never re-enters its own handler
};

// The window timers of every window, in due order. It keeps no clock: callers pass the
// current time, so the same queue serves the fake clock and any other.
class TimerQueue {
public:
    // Arms (or re-arms) a timer; the countdown restarts from nowNs.
    void Arm(ui::Window& window, int id, int periodMs, int64_t nowNs);
    void Kill(const ui::Window& window, int id);
    void KillAll(const ui::Window& window);

    // The timer that fires next among those due at or before limitNs (earliest due time,
    // then earliest armed), skipping any whose handler is running.
    std::optional<ArmedTimer> NextDue(int64_t limitNs) const;
    std::optional<ArmedTimer> Next() const { return NextDue(INT64_MAX); }

    // Around a handler: BeginFiring marks the timer busy; EndFiring schedules its next tick
    // from its previous due time, or at nowNs when that is already past (missed ticks make
    // one), unless the handler re-armed or killed it.
    void BeginFiring(const ArmedTimer& timer);
    void EndFiring(const ArmedTimer& timer, int64_t nowNs);

    const ArmedTimer* Find(const ui::Window& window, int id) const;
    bool Empty() const { return timers_.empty(); }

private:
    ArmedTimer* FindMutable(const ui::Window* window, int id);

    std::vector<ArmedTimer> timers_;
    uint64_t nextOrder_ = 1;
};

}  // namespace nuvix::headless
