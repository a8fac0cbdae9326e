#include "platform/wx/DisplayLoss.h"

#include <gdk/gdk.h>
#include <gdk/gdkx.h>
#include <unistd.h>

#include <cstdio>
#include <utility>

namespace nuvix::wx {

namespace {

// Xlib has one such handler for the whole process, so what it runs lives here.
std::function<int()> lastWorkOnLoss;

int OnDisplayConnectionLost(Display*)
{
    std::fprintf(stderr, "nuvix: the connection to the display was lost\n");
    int status = 1;
    if (lastWorkOnLoss) status = std::exchange(lastWorkOnLoss, nullptr)();
    std::fflush(nullptr);
    // Not exit(): the toolkit's exit handlers would talk to the display that is gone.
    ::_exit(status);
}

}  // namespace

void WatchDisplayLoss(std::function<int()> lastWork)
{
    GdkDisplay* display = gdk_display_get_default();
    if (!display || !GDK_IS_X11_DISPLAY(display)) return;
    lastWorkOnLoss = std::move(lastWork);
    XSetIOErrorHandler(OnDisplayConnectionLost);
}

}  // namespace nuvix::wx
