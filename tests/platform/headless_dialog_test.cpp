// Modal dialogs, their scripts and the save-file dialog on the headless toolkit.
#include "headless_probe_window.h"
#include "platform/ui/CommandTable.h"
#include "platform/ui/Dialog.h"

#include <gtest/gtest.h>

namespace nuvix::headless::test {
namespace {

using ui::ControlKind;

ui::DialogTemplate SettingsTemplate()
{
    ui::DialogTemplate t;
    t.resourceId = 601;
    t.caption = "Paramètres";
    t.width = 124;
    t.height = 202;
    t.items = {
        {181, ControlKind::Edit, "", 47, 6, 25, 9},
        {182, ControlKind::Edit, "", 47, 18, 25, 9},
        {150, ControlKind::StaticText, "0", 46, 30, 25, 8},
        {157, ControlKind::CheckBox, "Inverse DEC", 11, 76, 52, 12},
        {152, ControlKind::RadioButton, "Com1", 28, 130, 28, 12},
        {153, ControlKind::RadioButton, "Com2", 68, 130, 28, 12},
        {154, ControlKind::RadioButton, "Com3", 28, 140, 28, 12},
        {156, ControlKind::DropDownList, "interface", 6, 167, 110, 45},
        {190, ControlKind::PushButton, "Cancel", 70, 185, 40, 12},
        {189, ControlKind::PushButton, "OK", 10, 185, 40, 12},
    };
    return t;
}

// What the dialog stores when its OK button is pressed.
struct Settings {
    std::string focal = "100";
    bool invert = false;
    int port = 1;
    int protocol = 0;
};

class SettingsDialog : public ui::Dialog {
public:
    SettingsDialog(HeadlessToolkit& kit, Settings& s) : ui::Dialog(kit, nullptr, SettingsTemplate()), settings_(s) {}

    int scaleUpdates = 0;
    int protocolChanges = 0;

protected:
    void SetupWindow() override
    {
        FindControl(181)->SetText(settings_.focal);
        FindControl(157)->SetChecked(settings_.invert);
        FindControl(152 + settings_.port)->SetChecked(true);
        for (const char* item : {"Stellon standard", "LX200", "Diodes virtuelles"})
            FindControl(156)->AddItem(item);
        FindControl(156)->SetSelection(settings_.protocol);
        SetTimer(7, 50);
    }
    bool Command(int id, int code) override
    {
        static constexpr ui::CommandEntry<SettingsDialog> kTable[] = {
            {189, &SettingsDialog::Store},
            {181, &SettingsDialog::UpdateScale, ui::kAnyNotification},
            {182, &SettingsDialog::UpdateScale, ui::kAnyNotification},
            {156, &SettingsDialog::ProtocolChanged, ui::notify::kSelectionChange},
        };
        return ui::DispatchCommand(*this, kTable, id, code) || ui::Dialog::Command(id, code);
    }
    void Timer(int) override { ++ticks_; }

private:
    void Store()
    {
        settings_.focal = FindControl(181)->Text();
        settings_.invert = FindControl(157)->IsChecked();
        for (int i = 0; i < 3; ++i) {
            if (FindControl(152 + i)->IsChecked()) settings_.port = i;
        }
        settings_.protocol = FindControl(156)->Selection();
        EndDialog(kOk);
    }
    void UpdateScale()
    {
        ++scaleUpdates;
        FindControl(150)->SetText(FindControl(181)->Text() + "/" + FindControl(182)->Text());
    }
    void ProtocolChanged() { ++protocolChanges; }

    Settings& settings_;
    int ticks_ = 0;
};

TEST(HeadlessDialogs, ScriptDrivesControlsAndTheStoredResult)
{
    HeadlessToolkit kit;
    Settings settings;
    SettingsDialog dialog(kit, settings);
    kit.QueueDialogScript([&](ui::Dialog& d) {
        EXPECT_TRUE(d.IsCreated());
        EXPECT_TRUE(kit.Click(d, 157));
        EXPECT_TRUE(d.FindControl(157)->IsChecked());
        EXPECT_TRUE(kit.Click(d, 154));  // the radio group: 153 (set up) is cleared
        EXPECT_TRUE(kit.Focus(d, 181, true));
        EXPECT_TRUE(kit.Type(d, 181, "200"));
        EXPECT_TRUE(kit.Focus(d, 182, true));  // 181 loses the focus, 182 gains it
        EXPECT_TRUE(kit.Type(d, 182, "7.5"));
        EXPECT_EQ(d.FindControl(150)->Text(), "200/7.5");
        EXPECT_TRUE(kit.Select(d, 156, 2));
        EXPECT_FALSE(kit.Select(d, 156, 3));
        EXPECT_TRUE(kit.Click(d, 189));
        EXPECT_FALSE(kit.Click(d, 157)) << "an ended dialog takes no input";
    });
    EXPECT_EQ(dialog.Execute(), ui::Dialog::kOk);
    EXPECT_EQ(dialog.scaleUpdates, 5);  // set focus, change, kill focus, set focus, change
    EXPECT_EQ(dialog.protocolChanges, 1);
    EXPECT_EQ(settings.focal, "200");
    EXPECT_TRUE(settings.invert);
    EXPECT_EQ(settings.port, 2);
    EXPECT_EQ(settings.protocol, 2);
    EXPECT_FALSE(dialog.IsCreated());
    EXPECT_EQ(kit.PendingDialogScripts(), 0u);
}

// Every way of closing, with what it returns and whether the settings were stored.
TEST(HeadlessDialogs, ClosingWaysAndResults)
{
    struct Case {
        const char* name;
        std::function<void(HeadlessToolkit&, ui::Dialog&)> script;  // empty: no script queued
        int result;
        bool stored;
    };
    const Case cases[] = {
        {"OK button", [](HeadlessToolkit& k, ui::Dialog& d) { k.Click(d, 189); }, ui::Dialog::kOk, true},
        {"Cancel button has no handler", [](HeadlessToolkit& k, ui::Dialog& d) { k.Click(d, 190); },
         ui::Dialog::kCancel, false},
        {"Enter off the buttons sends IDOK", [](HeadlessToolkit& k, ui::Dialog& d) { k.PressEnter(d); },
         ui::Dialog::kOk, false},
        {"Enter on the OK button clicks it",
         [](HeadlessToolkit& k, ui::Dialog& d) {
             k.Focus(d, 189, true);
             k.PressEnter(d);
         },
         ui::Dialog::kOk, true},
        {"Escape", [](HeadlessToolkit& k, ui::Dialog& d) { k.PressEscape(d); }, ui::Dialog::kCancel, false},
        {"close box", [](HeadlessToolkit& k, ui::Dialog& d) { k.Close(d); }, ui::Dialog::kCancel, false},
        {"script leaves it open", [](HeadlessToolkit&, ui::Dialog&) {}, ui::Dialog::kCancel, false},
        {"no script", {}, ui::Dialog::kCancel, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HeadlessToolkit kit;
        Settings settings;
        settings.invert = true;
        SettingsDialog dialog(kit, settings);
        if (c.script)
            kit.QueueDialogScript([&](ui::Dialog& d) {
                kit.Click(d, 157);
                c.script(kit, d);
            });
        EXPECT_EQ(dialog.Execute(), c.result);
        EXPECT_EQ(settings.invert, !c.stored);
        ASSERT_EQ(kit.Dialogs().size(), 1u);
        EXPECT_EQ(kit.Dialogs()[0].result, c.result);
        EXPECT_EQ(kit.Dialogs()[0].scripted, static_cast<bool>(c.script));
    }
}

// While a dialog is open, the timers of every window go on; once it closes its own stop.
TEST(HeadlessDialogs, TimersOfAllWindowsTickWhileADialogIsOpen)
{
    HeadlessToolkit kit;
    std::vector<Tick> ticks;
    ProbeWindow image(kit, "Image");
    image.ticks = &ticks;
    image.Create();
    image.AddControl(452, ControlKind::PushButton, "Param", gfx::Rect::FromSize(0, 0, 30, 12));
    image.SetTimer(1, 100);
    Settings settings;
    SettingsDialog dialog(kit, settings);
    // The image window refreshes a text of the open dialog at each tick, as a counter does.
    image.onTimer = [&](int) {
        if (dialog.IsCreated()) dialog.FindControl(150)->SetText("N°: " + std::to_string(ticks.size()));
    };
    image.onCommand = [&](int, int) { dialog.Execute(); };
    kit.QueueDialogScript([&](ui::Dialog& d) {
        kit.AdvanceMs(250);
        EXPECT_EQ(d.FindControl(150)->Text(), "N°: 2");
        EXPECT_EQ(kit.TimerPeriodMs(d, 7), 50);
        kit.Click(d, 189);
    });
    ASSERT_TRUE(kit.Click(image, 452));
    EXPECT_EQ(TickTimes(ticks), (std::vector<int32_t>{100, 200}));
    EXPECT_FALSE(kit.TimerPeriodMs(dialog, 7).has_value());
    kit.AdvanceMs(100);
    EXPECT_EQ(ticks.size(), 3u);
    ASSERT_EQ(kit.Dialogs().size(), 1u);
    EXPECT_EQ(kit.Dialogs()[0].caption, "Paramètres");
    EXPECT_EQ(kit.Dialogs()[0].openedAtMs, 0);
    EXPECT_EQ(kit.Dialogs()[0].closedAtMs, 250);
}

TEST(HeadlessDialogs, EachRunStartsFromTheTemplate)
{
    HeadlessToolkit kit;
    Settings settings;
    SettingsDialog dialog(kit, settings);
    std::vector<std::vector<std::string>> items;
    std::vector<bool> checked;
    const auto look = [&](ui::Dialog& d) {
        items.push_back(d.FindControl(156)->Items());
        checked.push_back(d.FindControl(154)->IsChecked());
        kit.Click(d, 154);
    };
    kit.QueueDialogScript(look);
    kit.QueueDialogScript(look);
    dialog.Execute();
    dialog.Execute();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].size(), 3u);
    EXPECT_EQ(items[1], items[0]);
    EXPECT_EQ(checked, (std::vector<bool>{false, false}));
}

TEST(HeadlessDialogs, SaveFileAnswersInOrderThenCancel)
{
    HeadlessToolkit kit;
    ProbeWindow owner(kit, "Prise de vue");
    owner.Create();
    kit.QueueSaveFileAnswer("/obs/shot.bmp");
    kit.QueueSaveFileScript([&](const ui::SaveFileRequest& r) {
        kit.AdvanceMs(40);
        return std::optional<std::string>(r.initialPath + ".2");
    });
    ui::SaveFileRequest request;
    request.initialPath = "/obs/Capture.bmp";
    EXPECT_EQ(kit.SaveFileDialog(&owner, request), "/obs/shot.bmp");
    EXPECT_EQ(kit.SaveFileDialog(&owner, request), "/obs/Capture.bmp.2");
    EXPECT_EQ(kit.SaveFileDialog(&owner, request), std::nullopt);
    ASSERT_EQ(kit.SaveFileRequests().size(), 3u);
    EXPECT_EQ(kit.SaveFileRequests()[2].request.initialPath, "/obs/Capture.bmp");
    EXPECT_EQ(kit.SaveFileRequests()[2].ownerCaption, "Prise de vue");
    EXPECT_EQ(kit.Clock().PeekMilliseconds(), 40);
}

}  // namespace
}  // namespace nuvix::headless::test
