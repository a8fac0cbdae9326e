#pragma once

#include "platform/ui/Control.h"

#include <span>
#include <type_traits>

namespace nuvix::ui {

inline constexpr int kAnyNotification = -1;

// One row of a window's command table: a control id, the member function it runs and
// the notification code it answers (clicks by default).
template <class W>
struct CommandEntry {
    int id;
    void (W::*handler)();
    int code = notify::kClicked;
};

// Runs the handler that the table gives for (id, code); false when there is none. The table
// does not take part in deducing W, so a plain array of entries converts to the span.
// Inside a window class, call it as ui::DispatchCommand: Window::DispatchCommand hides it.
template <class W>
bool DispatchCommand(W& window, std::span<const CommandEntry<std::type_identity_t<W>>> table, int id, int code)
{
    for (const CommandEntry<W>& e : table) {
        if (e.id == id && (e.code == kAnyNotification || e.code == code)) {
            (window.*e.handler)();
            return true;
        }
    }
    return false;
}

}  // namespace nuvix::ui
