#include "platform/ui/Dialog.h"
#include "wx/SmokeSupport.h"
#include "wx/SmokeWindows.h"

#include <glib.h>
#include <glib/gstdio.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <cstdlib>
#include <optional>

namespace nuvix::wx::smoke {
namespace {

using gfx::Rect;
using ui::ControlKind;
using ui::WindowStyle;

constexpr int kWaitMs = 3000;

// Keeps the screen as it is for a while when asked, for a screenshot taken from outside.
void HoldForScreenshot()
{
    if (const char* hold = std::getenv("NUVIX_SMOKE_HOLD_MS")) PumpFor(std::atoi(hold));
}

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

TEST(WxDesktop, FrameShowsItsCanvasAndSmallButtonsShowTheirTexts)
{
    ui::Toolkit& kit = Toolkit();
    const std::string caption = "Nuvix V 2.07 — caméra";
    FilledWindow frame(kit, nullptr, caption, WindowStyle::Frame, OuterFor(kit, 120, 90, {420, 260}), kPale);
    struct ButtonCase {
        const char* text;
        Rect bounds;
    };
    const ButtonCase buttons[] = {
        {"+", Rect::FromSize(340, 10, 25, 16)},         {"-", Rect::FromSize(340, 28, 25, 16)},
        {"1s", Rect::FromSize(300, 28, 25, 16)},        {"Max", Rect::FromSize(300, 60, 35, 32)},
        {"Acq Noir", Rect::FromSize(300, 110, 75, 20)}, {"", Rect::FromSize(340, 140, 25, 16)},
    };
    int id = 340;
    for (const ButtonCase& b : buttons)
        frame.AddControl(id++, ControlKind::PushButton, b.text, b.bounds);
    frame.AddControl(id++, ControlKind::StaticText, "Pas de caméra", Rect::FromSize(200, 200, 120, 16));
    const Rect boxBounds = Rect::FromSize(390, 128, 13, 13);
    frame.AddControl(id++, ControlKind::CheckBox, "", boxBounds).SetChecked(true);
    FilledWindow image(kit, &frame, "", WindowStyle::Child, Rect::FromSize(10, 10, 160, 120), kRed);
    frame.Create();
    image.Create();
    ASSERT_TRUE(
        PumpUntil([&] { return frame.paints > 0 && image.paints > 0 && ClientAreaOnScreen(caption); }, kWaitMs));

    // Drawn between handlers, as the live view draws each frame.
    {
        gfx::Canvas canvas = image.ClientCanvas();
        canvas.FillRect(Rect::FromSize(80, 0, 80, 120), gfx::Brush::Solid(kBlue));
        canvas.FillRect(Rect::FromSize(100, 40, 20, 20), gfx::Brush::Solid(kGreen));
    }
    PumpFor(400);
    HoldForScreenshot();

    const std::optional<Rect> client = ClientAreaOnScreen(caption);
    ASSERT_TRUE(client);
    EXPECT_EQ(client->Width(), frame.ClientSize().width);
    EXPECT_EQ(client->Height(), frame.ClientSize().height);
    // Xvfb runs no window manager, so the client area starts at the outer corner.
    EXPECT_EQ(client->left, frame.OuterRect().left);
    EXPECT_EQ(client->top, frame.OuterRect().top);
    const std::optional<gfx::Bitmap> shot = CaptureScreen(*client);
    ASSERT_TRUE(shot);

    struct Probe {
        gfx::Point at;  // in the frame's client area
        gfx::Color expected;
    };
    const Probe probes[] = {
        {{9, 9}, kPale},     {{10, 10}, kRed},    {{89, 129}, kRed},   {{90, 10}, kBlue},
        {{169, 129}, kBlue}, {{110, 50}, kGreen}, {{129, 69}, kGreen}, {{130, 70}, kBlue},
        {{170, 50}, kPale},  {{50, 130}, kPale},  {{250, 20}, kPale},  {{419, 259}, kPale},
    };
    for (const Probe& p : probes) {
        EXPECT_EQ(gfx::Color::FromPixel(shot->At(p.at.x, p.at.y)), p.expected) << p.at.x << "," << p.at.y;
    }

    for (const ButtonCase& b : buttons) {
        const Rect inside{b.bounds.left + 2, b.bounds.top + 2, b.bounds.right - 2, b.bounds.bottom - 2};
        const int dark = CountDarkPixels(*shot, inside);
        if (*b.text) {
            EXPECT_GE(dark, 2) << "the text of \"" << b.text << "\" is cut away";
        } else {
            EXPECT_EQ(dark, 0) << "an empty button shows dark pixels";
        }
        // The button keeps its rectangle: the ground just left of it is the frame's.
        const int midY = (b.bounds.top + b.bounds.bottom) / 2;
        EXPECT_EQ(gfx::Color::FromPixel(shot->At(b.bounds.left - 3, midY)), kPale) << b.text;
    }
    // A 13 x 13 check box is drawn, whole, within its rectangle.
    EXPECT_GE(CountPixelsUnlike(*shot, boxBounds, kPale), 13 * 13 / 2);
    EXPECT_EQ(gfx::Color::FromPixel(shot->At(boxBounds.left - 2, boxBounds.top + 6)), kPale);
    EXPECT_TRUE(HasLabel(caption, "Pas de caméra"));
    EXPECT_TRUE(HasLabel(caption, "Acq Noir"));
}

TEST(WxDesktop, CanvasTextInTheDefaultFontReachesTheScreen)
{
    ui::Toolkit& kit = Toolkit();
    const std::string caption = "Paramètres";
    FilledWindow frame(kit, nullptr, caption, WindowStyle::Frame, OuterFor(kit, 120, 90, {200, 60}), kPale);
    frame.Create();
    ASSERT_TRUE(PumpUntil([&] { return frame.paints > 0 && ClientAreaOnScreen(caption); }, kWaitMs));
    ASSERT_NE(kit.DefaultFont(), nullptr);
    {
        gfx::Canvas canvas = frame.ClientCanvas();
        canvas.SetBackgroundColor(kPale);
        canvas.DrawText({10, 20}, "N° Paramètres");
    }
    PumpFor(300);
    const std::optional<Rect> client = ClientAreaOnScreen(caption);
    ASSERT_TRUE(client);
    const std::optional<gfx::Bitmap> shot = CaptureScreen(*client);
    ASSERT_TRUE(shot);
    EXPECT_GE(CountDarkPixels(*shot, Rect::FromSize(10, 20, 150, 20)), 40);
    EXPECT_EQ(CountDarkPixels(*shot, Rect::FromSize(10, 0, 150, 18)), 0);
    // Xvfb has one monitor, as large as the root window.
    EXPECT_EQ(kit.Metrics().screenWidth, gdk_window_get_width(gdk_get_default_root_window()));
    EXPECT_EQ(kit.Metrics().screenHeight, gdk_window_get_height(gdk_get_default_root_window()));
}

TEST(WxDesktop, ControlsReportTheUsersActionsButNotTheProgramsChanges)
{
    ui::Toolkit& kit = Toolkit();
    const std::string title = "Commandes";
    FilledWindow window(kit, nullptr, title, WindowStyle::Frame, OuterFor(kit, 120, 420, {300, 100}), kPale);
    ui::Control& button = window.AddControl(342, ControlKind::PushButton, "+", Rect::FromSize(10, 10, 25, 16));
    ui::Control& box = window.AddControl(364, ControlKind::CheckBox, "Auto", Rect::FromSize(10, 40, 60, 16));
    ui::Control& com1 = window.AddControl(152, ControlKind::RadioButton, "Com1", Rect::FromSize(80, 10, 60, 16));
    ui::Control& com2 = window.AddControl(153, ControlKind::RadioButton, "Com2", Rect::FromSize(80, 30, 60, 16));
    ui::Control& com3 = window.AddControl(154, ControlKind::RadioButton, "Com3", Rect::FromSize(80, 50, 60, 16));
    ui::Control& edit =
        window.AddControl(301, ControlKind::Edit, "10", Rect::FromSize(150, 10, 60, 20), {.border = true});
    ui::Control& list = window.AddControl(156, ControlKind::DropDownList, "", Rect::FromSize(150, 40, 140, 90));
    for (const char* item : {"Stellon standard", "LX200", "Diodes virtuelles"})
        list.AddItem(item);
    list.SetSelection(0);
    com1.SetChecked(true);
    window.Create();
    ASSERT_TRUE(PumpUntil([&] { return ClientAreaOnScreen(title).has_value(); }, kWaitMs));

    // The program's changes reach the widgets and send no command.
    button.SetText("Stop");
    box.SetChecked(true);
    com2.SetChecked(true);
    com1.SetChecked(false);
    edit.SetText("42");
    list.SetSelection(2);
    PumpFor(100);
    EXPECT_TRUE(window.commands.empty());
    GtkWidget* stop = FindButton(title, "Stop");
    GtkWidget* autoBox = FindButton(title, "Auto");
    GtkWidget* radios[] = {FindButton(title, "Com1"), FindButton(title, "Com2"), FindButton(title, "Com3")};
    GtkWidget* entry = FindWidget(title, [](GtkWidget* w) { return GTK_IS_ENTRY(w); });
    GtkWidget* combo = FindWidget(title, [](GtkWidget* w) { return GTK_IS_COMBO_BOX(w); });
    ASSERT_TRUE(stop && autoBox && radios[0] && radios[1] && radios[2] && entry && combo);
    EXPECT_TRUE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(autoBox)));
    EXPECT_FALSE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(radios[0])));
    EXPECT_TRUE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(radios[1])));
    EXPECT_STREQ(gtk_entry_get_text(GTK_ENTRY(entry)), "42");
    EXPECT_EQ(gtk_combo_box_get_active(GTK_COMBO_BOX(combo)), 2);

    // The user's actions update the controls and send their commands.
    gtk_button_clicked(GTK_BUTTON(stop));
    gtk_button_clicked(GTK_BUTTON(autoBox));
    gtk_button_clicked(GTK_BUTTON(radios[2]));
    gtk_entry_set_text(GTK_ENTRY(entry), "123");
    gtk_combo_box_set_active(GTK_COMBO_BOX(combo), 1);
    PumpFor(100);
    const std::vector<std::pair<int, int>> expected = {
        {342, ui::notify::kClicked},    {364, ui::notify::kClicked},         {154, ui::notify::kClicked},
        {301, ui::notify::kEditChange}, {156, ui::notify::kSelectionChange},
    };
    EXPECT_EQ(window.commands, expected);
    EXPECT_FALSE(box.IsChecked());
    EXPECT_FALSE(com2.IsChecked());
    EXPECT_TRUE(com3.IsChecked());
    EXPECT_FALSE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(radios[1])));
    EXPECT_EQ(edit.Text(), "123");
    EXPECT_EQ(list.Selection(), 1);

    // State switches reach the widgets.
    edit.SetReadOnly(true);
    box.Show(false);
    button.Enable(false);
    EXPECT_FALSE(gtk_editable_get_editable(GTK_EDITABLE(entry)));
    EXPECT_FALSE(gtk_widget_get_visible(autoBox));
    EXPECT_FALSE(gtk_widget_get_sensitive(stop));
}

TEST(WxDesktop, ASiblingCreatedLaterStaysAboveAnEarlierOne)
{
    ui::Toolkit& kit = Toolkit();
    const std::string caption = "Superposition";
    FilledWindow frame(kit, nullptr, caption, WindowStyle::Frame, OuterFor(kit, 600, 90, {200, 150}), kPale);
    FilledWindow lower(kit, &frame, "", WindowStyle::Child, Rect::FromSize(10, 10, 100, 80), kRed);
    FilledWindow upper(kit, &frame, "", WindowStyle::BorderedChild, Rect::FromSize(60, 40, 100, 80), kBlue);
    frame.Create();
    lower.Create();
    upper.Create();
    ASSERT_TRUE(PumpUntil([&] { return upper.paints > 0 && lower.paints > 0; }, kWaitMs));
    EXPECT_EQ(upper.ClientSize(), (gfx::Size{98, 78}));

    for (int round = 0; round < 2; ++round) {
        PumpFor(300);
        const std::optional<Rect> client = ClientAreaOnScreen(caption);
        ASSERT_TRUE(client);
        const std::optional<gfx::Bitmap> shot = CaptureScreen(*client);
        ASSERT_TRUE(shot);
        EXPECT_EQ(gfx::Color::FromPixel(shot->At(20, 20)), kRed) << "round " << round;
        EXPECT_EQ(gfx::Color::FromPixel(shot->At(70, 50)), kBlue) << "round " << round;
        EXPECT_EQ(gfx::Color::FromPixel(shot->At(158, 118)), kBlue) << "round " << round;
        // Showing the earlier window again must not lift it over the later one.
        lower.Show(false);
        PumpFor(100);
        lower.Show(true);
    }
}

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
    window.onTimer = [&](int) {
        ++ticks;
        if (ticks == 3) kit.MessageBox(&window, "Pas de caméra", "Erreur");
        if (std::optional<OpenBox> box = FindOpenMessageBox()) {
            seen = box;
            if (++ticksWhileOpen == 5) AnswerMessageBoxes();
        }
    };
    window.SetTimer(1, 20);
    EXPECT_TRUE(PumpUntil([&] { return ticksWhileOpen >= 5 && !FindOpenMessageBox(); }, 7000))
        << ticks << " ticks, " << ticksWhileOpen << " while the box was open";
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->title, "Erreur");
    EXPECT_EQ(seen->text, "Pas de caméra");

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
    const char* hold = std::getenv("NUVIX_SMOKE_HOLD_MS");
    const int endTick = 5 + (hold ? std::atoi(hold) / 20 : 0);
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
    // Where the template puts it (no window manager moves it under Xvfb).
    const Rect placed = ui::DialogUnitsToPixels(layout.x, layout.y, layout.width, layout.height);
    EXPECT_EQ(dialogClient->left, placed.left);
    EXPECT_EQ(dialogClient->top, placed.top);
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

TEST(WxDesktop, ResizablePopupFollowsTheUsersSizeAndPlace)
{
    ui::Toolkit& kit = Toolkit();
    const std::string caption = "OPTO";
    FilledWindow popup(kit, nullptr, caption, WindowStyle::ResizablePopup, OuterFor(kit, 400, 420, {150, 100}), kGreen);
    popup.Create();
    ASSERT_TRUE(PumpUntil([&] { return popup.paints > 0 && ClientAreaOnScreen(caption); }, kWaitMs));

    GList* windows = gtk_window_list_toplevels();
    GtkWindow* top = nullptr;
    for (GList* node = windows; node; node = node->next) {
        const char* title = gtk_window_get_title(GTK_WINDOW(node->data));
        if (title && caption == title) top = GTK_WINDOW(node->data);
    }
    g_list_free(windows);
    ASSERT_NE(top, nullptr);

    const int paintsBefore = popup.paints;
    gtk_window_resize(top, 200, 130);
    gtk_window_move(top, 430, 440);
    EXPECT_TRUE(PumpUntil(
        [&] {
            return popup.ClientSize() == gfx::Size{200, 130} && popup.OuterRect().left == 430;
        },
        kWaitMs));
    EXPECT_EQ(popup.OuterRect(), OuterFor(kit, 430, 440, {200, 130}));
    EXPECT_TRUE(PumpUntil([&] { return popup.paints > paintsBefore; }, kWaitMs));
    PumpFor(200);
    const std::optional<Rect> client = ClientAreaOnScreen(caption);
    ASSERT_TRUE(client);
    const std::optional<gfx::Bitmap> shot = CaptureScreen(*client);
    ASSERT_TRUE(shot);
    EXPECT_EQ(gfx::Color::FromPixel(shot->At(199, 129)), kGreen);
}

// Last: the quit it asks for ends the test program's message loop.
TEST(WxQuitSignal, SignalClosesTheMainWindowAsItsCloseBoxWould)
{
    ui::Toolkit& kit = Toolkit();
    FilledWindow main(kit, nullptr, "Principale", WindowStyle::Frame, OuterFor(kit, 120, 90, {200, 100}), kPale);
    main.Create();
    WxToolkit::RequestQuitFromSignal();
    EXPECT_TRUE(PumpUntil([&] { return main.closes > 0; }, kWaitMs));
    EXPECT_EQ(main.closes, 1);
}

}  // namespace
}  // namespace nuvix::wx::smoke
