#include "wx/SmokeSupport.h"
#include "wx/SmokeWindows.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <utility>
#include <vector>

namespace nuvix::wx::smoke {
namespace {

using gfx::Rect;
using ui::ControlKind;
using ui::WindowStyle;

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

TEST(WxDesktop, MouseReachesTheWindowInClientCoordinates)
{
    ui::Toolkit& kit = Toolkit();
    const std::string title = "Souris";
    FilledWindow frame(kit, nullptr, title, WindowStyle::Frame, OuterFor(kit, 450, 420, {300, 150}), kPale);
    FilledWindow plain(kit, &frame, "", WindowStyle::Child, Rect::FromSize(10, 10, 120, 100), kRed);
    FilledWindow framed(kit, &frame, "", WindowStyle::BorderedChild, Rect::FromSize(150, 10, 140, 90), kBlue);
    frame.Create();
    plain.Create();
    framed.Create();
    ASSERT_TRUE(PumpUntil([&] { return plain.paints > 0 && framed.paints > 0; }, kWaitMs));

    // GDK reports positions in the drawing area, which lies inside the border: they reach
    // the window unchanged, as client coordinates.
    struct Case {
        FilledWindow& window;
        gfx::Point at;
    };
    const Case cases[] = {{plain, {30, 20}}, {framed, {0, 0}}, {framed, {137, 87}}};
    for (const Case& c : cases) {
        c.window.clicks.clear();
        c.window.moves.clear();
        const gfx::Rect outer = c.window.OuterRect();
        const gfx::Point dragged{c.at.x - 5, c.at.y + 7};
        ASSERT_TRUE(PressLeftButton(title, outer.Width(), outer.Height(), c.at));
        ASSERT_TRUE(MoveMouse(title, outer.Width(), outer.Height(), dragged, true));
        ASSERT_TRUE(MoveMouse(title, outer.Width(), outer.Height(), dragged, false));
        PumpFor(50);
        EXPECT_EQ(c.window.clicks, std::vector<gfx::Point>{c.at});
        const std::vector<std::pair<gfx::Point, bool>> moves = {{dragged, true}, {dragged, false}};
        EXPECT_EQ(c.window.moves, moves);
    }
}

}  // namespace
}  // namespace nuvix::wx::smoke
