#pragma once

namespace nuvix::ui {

class Window;

// Told around every handler the toolkit runs on a window (commands, timers, paints, mouse, size,
// move, close), nested ones included: the hook of a tool that measures how long the window thread
// is kept busy. None by default; it costs a pointer test per handler.
class HandlerWatch {
public:
    virtual ~HandlerWatch() = default;
    virtual void Began(const Window& window, const char* handler, int id) = 0;
    // The innermost handler begun has returned; its window may be gone by then.
    virtual void Ended() = 0;
};

// Process-wide, as the window thread it watches; null removes it.
void SetHandlerWatch(HandlerWatch* watch);

}  // namespace nuvix::ui
