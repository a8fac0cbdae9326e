#include "wx/SmokeSupport.h"
#include "wx/SmokeWindows.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace nuvix::wx::smoke {
namespace {

using gfx::Rect;
using ui::ControlKind;
using ui::WindowStyle;

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

// Started with the observer's language from an environment French in every category (LC_ALL from
// CTest), the desktop leaves numbers to the C library's "." (INDI's client and cfitsio read them).
TEST(WxDesktop, MessagesFollowTheLocaleNumbersKeepTheirPoint)
{
    EXPECT_STREQ(std::setlocale(LC_MESSAGES, nullptr), std::getenv("LC_ALL") ? std::getenv("LC_ALL") : "C");
    char number[16];
    std::snprintf(number, sizeof number, "%g", 0.5);
    EXPECT_STREQ(number, "0.5");
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

}  // namespace
}  // namespace nuvix::wx::smoke
