#pragma once

#include "platform/ui/Control.h"

#include <span>

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

// Runs the handler that the table gives for (id, code); false when there is none.
template <class W>
bool DispatchCommand(W& window, std::span<const CommandEntry<W>> table, int id, int code)
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
