#pragma once

#include "platform/ui/Toolkit.h"

#include <algorithm>
#include <vector>

namespace nuvix::wx {

// What the toolkit and its window peers share while the desktop runs.
struct WxSession {
    ui::ScreenMetrics metrics;
    // Above zero while a timer handler runs: GLib does not re-enter a timer's own
    // callback, so a modal box opened there would stop that timer until it closes.
    int timerDepth = 0;
    bool quitRequested = false;
    // Frame-style windows on screen, in creation order; the first is the main window.
    std::vector<ui::Window*> frames;

    void ForgetFrame(const ui::Window* window) { std::erase(frames, window); }
};

// Marks a timer handler in progress for as long as it lives. It holds the session, not
// the timer, because the handler may destroy the timer that called it.
class TimerScope {
public:
    explicit TimerScope(WxSession& session) : session_(session) { ++session_.timerDepth; }
    ~TimerScope() { --session_.timerDepth; }
    TimerScope(const TimerScope&) = delete;
    TimerScope& operator=(const TimerScope&) = delete;

private:
    WxSession& session_;
};

}  // namespace nuvix::wx
