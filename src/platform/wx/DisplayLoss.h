#pragma once

#include <functional>

namespace nuvix::wx {

// GTK ends the program with _exit(1) the moment its X connection breaks (an X server that stops,
// a remote session that drops), without a return to the message loop. Xlib lets one handler run
// before that: it does `lastWork` (work that needs no window, such as storing the settings) and
// ends the program as GTK would, with the exit status `lastWork` gives. Under Wayland GDK ends the
// program itself and nothing can run first. With an empty `lastWork` the program just ends, as
// GTK would end it.
void WatchDisplayLoss(std::function<int()> lastWork);

}  // namespace nuvix::wx
