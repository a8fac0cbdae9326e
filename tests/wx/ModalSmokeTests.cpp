#include "platform/ui/Dialog.h"
#include "wx/SmokeSupport.h"
#include "wx/SmokeWindows.h"

#include <glib.h>
#include <glib/gstdio.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <optional>

namespace nuvix::wx::smoke {
namespace {

using gfx::Rect;
using ui::ControlKind;
using ui::WindowStyle;

// Answers any box still open after a few seconds, so that a timer stopped by a box shows
// as a failure rather than a hang.
class BoxWatchdog {
public:
    BoxWatchdog()
        : id_(g_timeout_add(
              4000,
              [](gpointer) -> gboolean {
                  AnswerMessageBoxes();
                  return G_SOURCE_CONTINUE;
              },
              nullptr))
    {
    }
    ~BoxWatchdog() { g_source_remove(id_); }
    BoxWatchdog(const BoxWatchdog&) = delete;
    BoxWatchdog& operator=(const BoxWatchdog&) = delete;

private:
    guint id_;
};

TEST(WxDesktop, TimerTicksGoOnWhileAMessageBoxIsOpen)
{
    ui::Toolkit& kit = Toolkit();
    FilledWindow window(kit, nullptr, "Minuterie", WindowStyle::Popup, OuterFor(kit, 120, 420, {150, 60}), kPale);
    window.Create();
    BoxWatchdog watchdog;

    // Asked for inside a tick, the box opens after the handler and the timer goes on.
    int ticks = 0;
    int ticksWhileOpen = 0;
    std::optional<OpenBox> seen;
    bool okButton = false;
    window.onTimer = [&](int) {
        ++ticks;
        if (ticks == 3) kit.MessageBox(&window, "Pas de caméra", "Erreur");
        if (std::optional<OpenBox> box = FindOpenMessageBox()) {
            seen = box;
            // Its button is ours, "OK", not the word of GTK's own catalogue for the locale.
            okButton = okButton || FindButton("Erreur", "OK");
            if (++ticksWhileOpen == 5) AnswerMessageBoxes();
        }
    };
    window.SetTimer(1, 20);
    EXPECT_TRUE(PumpUntil([&] { return ticksWhileOpen >= 5 && !FindOpenMessageBox(); }, 7000))
        << ticks << " ticks, " << ticksWhileOpen << " while the box was open";
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->title, "Erreur");
    EXPECT_EQ(seen->text, "Pas de caméra");
    EXPECT_TRUE(okButton);

    // Asked for elsewhere, it opens at once; ticks arrive while the caller waits on it.
    int ticksDuringBox = 0;
    window.onTimer = [&](int) {
        ++ticks;
        if (FindOpenMessageBox() && ++ticksDuringBox == 3) AnswerMessageBoxes();
    };
    kit.MessageBox(&window, "Paramètres enregistrés", "N°");
    EXPECT_EQ(ticksDuringBox, 3);

    // Re-arming replaces the period; killing stops the ticks.
    window.SetTimer(1, 1000);
    int before = ticks;
    PumpFor(300);
    EXPECT_EQ(ticks, before);
    window.SetTimer(1, 20);
    EXPECT_TRUE(PumpUntil([&] { return ticks > before; }, kWaitMs));
    window.KillTimer(1);
    before = ticks;
    PumpFor(200);
    EXPECT_EQ(ticks, before);
}

TEST(WxDesktop, ModalDialogRunsWhileOtherTimersTick)
{
    ui::Toolkit& kit = Toolkit();
    FilledWindow owner(kit, nullptr, "Propriétaire", WindowStyle::Frame, OuterFor(kit, 600, 320, {200, 100}), kPale);
    owner.Create();
    ui::DialogTemplate layout;
    layout.resourceId = 602;
    layout.caption = "Prise de vue";
    layout.x = 60;
    layout.y = 90;
    layout.width = 160;
    layout.height = 60;
    layout.items = {
        {-1, ControlKind::StaticText, "Intervalle", 2, 6, 32, 10},
        {301, ControlKind::Edit, "10", 36, 4, 18, 12, {.border = true}},
        {302, ControlKind::DropDownList, "", 57, 4, 52, 32, {.verticalScroll = true}},
        {306, ControlKind::PushButton, "Commencer", 115, 4, 44, 14},
        {5, ControlKind::StaticText, "Fichier", 4, 36, 32, 8, {.centered = true}},
        {159, ControlKind::CheckBox, "Guidage", 4, 22, 50, 12},
        {-1, ControlKind::BlackFrame, "", 2, 2, 110, 32},
    };
    ui::Dialog dialog(kit, &owner, layout);
    int ticks = 0;
    std::optional<Rect> dialogClient;
    bool labelsShown = false;
    const int endTick = 5 + ScreenshotHoldMs() / 20;
    owner.onTimer = [&](int) {
        if (++ticks != endTick) return;
        dialogClient = ClientAreaOnScreen("Prise de vue");
        labelsShown = HasLabel("Prise de vue", "Commencer") && HasLabel("Prise de vue", "Intervalle");
        dialog.EndDialog(ui::Dialog::kOk);
    };
    owner.SetTimer(2, 20);
    EXPECT_EQ(dialog.Execute(), ui::Dialog::kOk);
    EXPECT_GE(ticks, 5);
    ASSERT_TRUE(dialogClient);
    EXPECT_EQ(dialogClient->Width(), dialog.ClientSize().width);
    EXPECT_EQ(dialogClient->Height(), dialog.ClientSize().height);
    // Where the template puts it, counted from its owner's client area. Under Xvfb no window
    // manager adds decorations: the client area sits at the outer corner.
    const Rect placed = ui::DialogUnitsToPixels(layout.x, layout.y, layout.width, layout.height);
    EXPECT_EQ(dialog.OuterRect().left, owner.ClientOriginOnScreen().x + placed.left);
    EXPECT_EQ(dialog.OuterRect().top, owner.ClientOriginOnScreen().y + placed.top);
    EXPECT_EQ(dialogClient->left, dialog.OuterRect().left);
    EXPECT_EQ(dialogClient->top, dialog.OuterRect().top);
    EXPECT_TRUE(labelsShown);
    EXPECT_FALSE(dialog.IsCreated());
}

TEST(WxDesktop, SaveFileDialogGivesTheChosenPathWithTheDefaultExtension)
{
    ui::Toolkit& kit = Toolkit();
    FilledWindow owner(kit, nullptr, "Photo", WindowStyle::Frame, OuterFor(kit, 120, 90, {200, 60}), kPale);
    owner.Create();
    gchar* directory = g_dir_make_tmp("nuvix-smoke-XXXXXX", nullptr);
    ASSERT_NE(directory, nullptr);
    const std::string folder = directory;
    g_free(directory);

    // The "user" answers from a timer: types a name without extension, or cancels.
    const auto visibleChooser = [] {
        GtkWidget* chooser = nullptr;
        GList* windows = gtk_window_list_toplevels();
        for (GList* node = windows; node; node = node->next) {
            auto* w = static_cast<GtkWidget*>(node->data);
            if (GTK_IS_FILE_CHOOSER_DIALOG(w) && gtk_widget_get_visible(w)) chooser = w;
        }
        g_list_free(windows);
        return chooser;
    };
    const char* typed = nullptr;
    int answered = 0;
    owner.onTimer = [&](int) {
        GtkWidget* chooser = visibleChooser();
        if (!chooser) return;
        ++answered;
        if (typed) {
            gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(chooser), typed);
            gtk_dialog_response(GTK_DIALOG(chooser), GTK_RESPONSE_ACCEPT);
        } else {
            gtk_dialog_response(GTK_DIALOG(chooser), GTK_RESPONSE_CANCEL);
        }
    };
    owner.SetTimer(3, 50);
    ui::SaveFileRequest request;
    request.initialPath = folder + "/Capture.bmp";

    struct Case {
        const char* typed;  // null: the user cancels
        std::optional<std::string> path;
    };
    const Case cases[] = {
        {"Série d’été", folder + "/Série d’été.bmp"},
        {"nuit.bmp", folder + "/nuit.bmp"},
        {nullptr, std::nullopt},
    };
    for (const Case& c : cases) {
        typed = c.typed;
        answered = 0;
        EXPECT_EQ(kit.SaveFileDialog(&owner, request), c.path);
        EXPECT_GE(answered, 1);
        // The chooser goes away after the run; the next one must not find it.
        ASSERT_TRUE(PumpUntil([&] { return visibleChooser() == nullptr; }, kWaitMs));
    }
    owner.KillTimer(3);
    g_rmdir(folder.c_str());
}

}  // namespace
}  // namespace nuvix::wx::smoke
