// The smoke tests run inside the real message loop: main starts the desktop and runs
// them from the start hook, as the program creates its main window there.
#include "wx/SmokeSupport.h"

#include <glib.h>
#include <gtest/gtest.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // A hang (a box that never closes) fails the run instead of holding CTest.
    alarm(120);
    // The file chooser keeps its settings in memory, away from the user's.
    g_setenv("GSETTINGS_BACKEND", "memory", TRUE);
    nuvix::wx::WxToolkit toolkit;
    nuvix::wx::smoke::SetToolkit(toolkit);
    int result = 1;
    bool stopped = false;
    const int code = toolkit.Run(
        [&] {
            result = RUN_ALL_TESTS();
            toolkit.Quit();
        },
        [&] { stopped = true; });
    if (code != 0 || !stopped) {
        std::fprintf(stderr, "the desktop did not run and stop cleanly (code %d)\n", code);
        return 1;
    }
    return result;
}
