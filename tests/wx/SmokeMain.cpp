// The smoke tests run inside the real message loop: main starts the desktop and runs
// them from the start hook, as the program creates its main window there. Then, as a
// terminal signal would, it asks the loop to end and checks that the main window was
// closed through its close box's path and the loop really ended.
#include "wx/SmokeSupport.h"
#include "wx/SmokeWindows.h"

#include "platform/text/Translate.h"

#include <glib.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // A hang (a box that never closes) fails the run instead of holding CTest.
    alarm(120);
    // The file chooser keeps its settings in memory, away from the user's.
    g_setenv("GSETTINGS_BACKEND", "memory", TRUE);
    // As the program does, before the desktop starts: ctest gives an environment French in every
    // category, so that what the desktop does with the locale shows.
    nuvix::UseObserverLanguage(NUVIX_BUILD_LOCALEDIR);
    nuvix::wx::WxToolkit toolkit;
    nuvix::wx::smoke::SetToolkit(toolkit);
    int result = 1;
    bool stopped = false;
    int closes = 0;
    std::unique_ptr<nuvix::wx::smoke::FilledWindow> mainWindow;
    const int code = toolkit.Run(
        [&] {
            result = RUN_ALL_TESTS();
            mainWindow = std::make_unique<nuvix::wx::smoke::FilledWindow>(
                toolkit, nullptr, "Nuvix V 2.07", nuvix::ui::WindowStyle::Frame,
                nuvix::wx::smoke::OuterFor(toolkit, 120, 90, {200, 100}), nuvix::wx::smoke::kPale);
            mainWindow->Create();
            nuvix::wx::WxToolkit::RequestQuitFromSignal();
            // Should the request be lost, end anyway so that the check below reports it.
            g_timeout_add(
                5000,
                [](gpointer kit) -> gboolean {
                    static_cast<nuvix::wx::WxToolkit*>(kit)->Quit();
                    return G_SOURCE_REMOVE;
                },
                &toolkit);
        },
        [&] {
            closes = mainWindow ? mainWindow->closes : 0;
            mainWindow.reset();  // as the application destroys its windows
            stopped = true;
        });
    if (code != 0 || !stopped) {
        std::fprintf(stderr, "the desktop did not run and stop cleanly (code %d)\n", code);
        return 1;
    }
    if (closes != 1) {
        std::fprintf(stderr, "a quit signal closed the main window %d times instead of once\n", closes);
        return 1;
    }
    std::printf("A quit signal closed the main window and ended the loop.\n");
    return result;
}
