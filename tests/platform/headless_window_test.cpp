// The window base and the command table, run on the headless toolkit.
#include "headless_probe_window.h"
#include "platform/ui/CommandTable.h"
#include "platform/ui/Dialog.h"

#include <gtest/gtest.h>

#include <memory>

namespace nuvix::headless::test {
namespace {

using ui::WindowStyle;

TEST(HeadlessWindow, ClientAreaFollowsStyleAndMetrics)
{
    struct Case {
        WindowStyle style;
        ui::ScreenMetrics metrics;
        gfx::Size client;             // for an outer size of 400 x 300
        gfx::Point outerForClientAt;  // outer top-left once the client is moved to (100, 50)
    };
    const ui::ScreenMetrics standard{};
    const ui::ScreenMetrics thick{800, 600, 23, 3};
    const Case cases[] = {
        {WindowStyle::Frame, standard, {398, 279}, {99, 30}},
        {WindowStyle::Popup, thick, {394, 271}, {97, 24}},
        {WindowStyle::ResizablePopup, standard, {398, 279}, {99, 30}},
        {WindowStyle::Child, thick, {400, 300}, {100, 50}},
        {WindowStyle::BorderedChild, standard, {398, 298}, {99, 49}},
        {WindowStyle::BorderedChild, thick, {394, 294}, {97, 47}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "style " << static_cast<int>(c.style) << " border "
                                        << c.metrics.borderWidth);
        HeadlessToolkit kit(c.metrics);
        ProbeWindow w(kit, "W", c.style, gfx::Rect::FromSize(10, 20, 400, 300));
        EXPECT_EQ(w.ClientSize(), c.client);
        w.Create();
        kit.Pump();
        ASSERT_TRUE(kit.Resize(w, {500, 350}));
        EXPECT_EQ(w.ClientSize(), (gfx::Size{c.client.width + 100, c.client.height + 50}));
        EXPECT_EQ(w.Surface().Width(), c.client.width + 100);
        EXPECT_EQ(w.paints, 2) << "a resized client area is painted again";
        ASSERT_TRUE(kit.MoveWindow(w, {100, 50}));
        EXPECT_EQ(w.OuterRect(), gfx::Rect::FromSize(c.outerForClientAt.x, c.outerForClientAt.y, 500, 350));
        EXPECT_EQ(kit.OnScreen(w)->outer, w.OuterRect());
    }
}

// A dialog's client area and controls come from dialog units, whatever the frame metrics.
TEST(HeadlessWindow, DialogPlacedFromItsOwnersClientArea)
{
    HeadlessToolkit kit;  // border 1, caption 19
    test::ProbeWindow frame(kit, "frame", ui::WindowStyle::Frame, gfx::Rect::FromSize(100, 50, 400, 300));
    frame.Create();
    ui::Window child(kit, &frame, "", ui::WindowStyle::Child, gfx::Rect::FromSize(1, 4, 320, 200));
    child.Create();
    EXPECT_EQ(frame.ClientOriginOnScreen(), (gfx::Point{101, 70}));
    EXPECT_EQ(child.ClientOriginOnScreen(), (gfx::Point{102, 74}));
    ui::DialogTemplate t;
    t.x = 60;
    t.y = 90;
    t.width = 160;
    t.height = 60;
    ui::Dialog dialog(kit, &child, t);
    gfx::Rect placed;
    kit.QueueDialogScript([&](ui::Dialog& d) { placed = d.OuterRect(); });
    dialog.Execute();
    EXPECT_EQ(placed.left, 102 + 120);
    EXPECT_EQ(placed.top, 74 + 180);
    // A move reported by the desktop keeps the same relation.
    kit.MoveWindow(frame, {201, 170});
    EXPECT_EQ(frame.OuterRect().left, 200);
    EXPECT_EQ(frame.OuterRect().top, 150);
}

TEST(HeadlessWindow, DialogLaidOutInDialogUnits)
{
    ui::DialogTemplate t;
    t.caption = "Paramètres";
    t.width = 124;
    t.height = 202;
    t.items = {{182, ui::ControlKind::Edit, "", 47, 18, 25, 9}, {-1, ui::ControlKind::StaticText, "µm", 76, 18, 20, 8}};
    for (const ui::ScreenMetrics& m : {ui::ScreenMetrics{}, ui::ScreenMetrics{800, 600, 23, 3}}) {
        HeadlessToolkit kit(m);
        ui::Dialog dialog(kit, nullptr, t);
        EXPECT_EQ(dialog.ClientSize(), (gfx::Size{248, 404}));
        gfx::Rect edit, label;
        kit.QueueDialogScript([&](ui::Dialog& d) {
            edit = d.FindControl(182)->Bounds();
            label = d.FindControl(-1)->Bounds();
            EXPECT_EQ(d.FindControl(-1)->Text(), "µm");
        });
        dialog.Execute();
        EXPECT_EQ(edit, (gfx::Rect{94, 36, 144, 54}));
        EXPECT_EQ(label, (gfx::Rect{152, 36, 192, 52}));
    }
}

class TableWindow : public ui::Window {
public:
    explicit TableWindow(HeadlessToolkit& kit) : ui::Window(kit, nullptr, "T", WindowStyle::Popup, {0, 0, 50, 50}) {}
    std::string ran;
    bool Run(int id, int code) { return ui::DispatchCommand(*this, kTable, id, code); }

private:
    void Start() { ran += "start "; }
    void Resolution() { ran += "resolution "; }
    void Edited() { ran += "edited "; }
    static constexpr ui::CommandEntry<TableWindow> kTable[] = {
        {306, &TableWindow::Start},
        {181, &TableWindow::Resolution, ui::kAnyNotification},
        {301, &TableWindow::Edited, ui::notify::kEditChange},
        {306, &TableWindow::Edited, ui::notify::kEditChange},
    };
};

TEST(HeadlessWindow, CommandTableMatchesIdAndNotification)
{
    struct Case {
        int id;
        int code;
        const char* ran;
    };
    const Case cases[] = {
        {306, ui::notify::kClicked, "start "},
        {306, ui::notify::kEditChange, "edited "},
        {181, ui::notify::kEditKillFocus, "resolution "},
        {181, ui::notify::kClicked, "resolution "},
        {301, ui::notify::kEditChange, "edited "},
        {301, ui::notify::kEditSetFocus, ""},
        {302, ui::notify::kClicked, ""},
    };
    HeadlessToolkit kit;
    for (const Case& c : cases) {
        TableWindow w(kit);
        EXPECT_EQ(w.Run(c.id, c.code), *c.ran != '\0') << c.id << "/" << c.code;
        EXPECT_EQ(w.ran, c.ran) << c.id << "/" << c.code;
    }
}

// Paint requests made inside a handler are served once, after it; a hidden window is
// painted when it appears; a destroyed or deleted one never.
TEST(HeadlessWindow, PaintsAreDeferredAndCoalesced)
{
    HeadlessToolkit kit;
    ProbeWindow shown(kit, "Shown"), hidden(kit, "Hidden", WindowStyle::Popup, {0, 0, 40, 40}, false),
        doomed(kit, "Doomed");
    auto deleted = std::make_unique<ProbeWindow>(kit, "Deleted");
    shown.AddControl(10, ui::ControlKind::PushButton, "Go", {0, 0, 10, 10});
    int paintsSeenInHandler = -1;
    shown.onCommand = [&](int, int) {
        for (int i = 0; i < 3; ++i)
            shown.Invalidate();
        doomed.Invalidate();
        doomed.Destroy();
        deleted->Invalidate();
        deleted.reset();
        paintsSeenInHandler = shown.paints;
    };
    for (ProbeWindow* w : {&shown, &hidden, &doomed, deleted.get()})
        w->Create();
    EXPECT_EQ(shown.paints, 0) << "the first paint waits for the loop";
    kit.Pump();
    EXPECT_EQ(shown.Surface().At(0, 0), (gfx::Color{1, 2, 3}.ToPixel()));
    ASSERT_TRUE(kit.Click(shown, 10));
    EXPECT_EQ(paintsSeenInHandler, 1);
    EXPECT_EQ(shown.paints, 2);
    EXPECT_EQ(doomed.paints, 1);
    EXPECT_EQ(hidden.paints, 0);
    hidden.Show(true);
    kit.Pump();
    EXPECT_EQ(hidden.paints, 1);
    EXPECT_EQ(kit.OnScreen(hidden)->paints, 1);
}

// Actions the platform would not deliver: nothing reaches the window and false comes back.
TEST(HeadlessWindow, RefusedUserActions)
{
    struct Case {
        const char* name;
        std::function<bool(HeadlessToolkit&, ProbeWindow&)> act;
    };
    const Case cases[] = {
        {"disabled button", [](HeadlessToolkit& k, ProbeWindow& w) { return k.Click(w, 1); }},
        {"hidden button", [](HeadlessToolkit& k, ProbeWindow& w) { return k.Click(w, 2); }},
        {"unknown id", [](HeadlessToolkit& k, ProbeWindow& w) { return k.Click(w, 99); }},
        {"read-only edit", [](HeadlessToolkit& k, ProbeWindow& w) { return k.Type(w, 3, "5"); }},
        {"typing into a button", [](HeadlessToolkit& k, ProbeWindow& w) { return k.Type(w, 4, "5"); }},
        {"empty list", [](HeadlessToolkit& k, ProbeWindow& w) { return k.Select(w, 5, 0); }},
        {"click outside the client",
         [](HeadlessToolkit& k, ProbeWindow& w) {
             return k.LeftButtonDown(w, {200, 5});
         }},
        {"move outside, no button",
         [](HeadlessToolkit& k, ProbeWindow& w) {
             return k.MouseMove(w, {-1, 5}, false);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HeadlessToolkit kit;
        ProbeWindow w(kit, "W", WindowStyle::Child);  // client 200 x 100
        w.AddControl(1, ui::ControlKind::PushButton, "", {}).Enable(false);
        w.AddControl(2, ui::ControlKind::PushButton, "", {}).Show(false);
        w.AddControl(3, ui::ControlKind::Edit, "", {}).SetReadOnly(true);
        w.AddControl(4, ui::ControlKind::PushButton, "", {});
        w.AddControl(5, ui::ControlKind::DropDownList, "", {});
        EXPECT_FALSE(c.act(kit, w)) << "not created";
        w.Create();
        EXPECT_FALSE(c.act(kit, w));
        EXPECT_TRUE(w.commands.empty());
        EXPECT_TRUE(w.clicks.empty());
        EXPECT_EQ(w.FindControl(3)->Text(), "");
    }
}

TEST(HeadlessWindow, CloseBeepQuitAndWindowList)
{
    auto kit = std::make_unique<HeadlessToolkit>();
    ProbeWindow frame(*kit, "Nuvix V 2.07", WindowStyle::Frame), panel(*kit, "Trackwin");
    frame.Create();
    panel.Create();
    EXPECT_EQ(kit->FindWindow("Trackwin"), &panel);
    EXPECT_TRUE(kit->MouseMove(panel, {-30, 400}, true)) << "a held button keeps the mouse";
    ASSERT_TRUE(kit->Close(panel));
    EXPECT_FALSE(kit->QuitRequested());
    ASSERT_TRUE(kit->Close(frame));
    EXPECT_TRUE(kit->QuitRequested());
    kit->MessageBeep(ui::kBeepOk);
    EXPECT_EQ(kit->Beeps(), std::vector<int>{ui::kBeepOk});
    panel.Destroy();
    EXPECT_EQ(kit->Windows(), std::vector<ui::Window*>{&frame});
    EXPECT_EQ(kit->FindWindow("Trackwin"), nullptr);
    // A toolkit that goes first leaves its windows safe to destroy.
    frame.SetTimer(1, 100);
    kit.reset();
    frame.Destroy();
    EXPECT_FALSE(frame.IsCreated());
}

}  // namespace
}  // namespace nuvix::headless::test
