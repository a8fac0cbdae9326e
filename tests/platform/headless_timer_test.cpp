// Window timers of the headless toolkit as the fake clock moves.
#include "headless_probe_window.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>

namespace nuvix::headless::test {
namespace {

TEST(HeadlessTimers, FireInTimeOrderAcrossWindowsTiesInArmingOrder)
{
    HeadlessToolkit kit;
    std::vector<Tick> ticks;
    ProbeWindow a(kit, "A"), b(kit, "B");
    for (ProbeWindow* w : {&a, &b}) {
        w->ticks = &ticks;
        w->Create();
    }
    a.SetTimer(1, 300);
    b.SetTimer(3, 200);
    b.SetTimer(4, 500);
    kit.AdvanceMs(1000);
    const std::vector<Tick> expected = {{"B", 3, 200}, {"A", 1, 300}, {"B", 3, 400}, {"B", 4, 500},  {"A", 1, 600},
                                        {"B", 3, 600}, {"B", 3, 800}, {"A", 1, 900}, {"B", 3, 1000}, {"B", 4, 1000}};
    EXPECT_EQ(ticks, expected);
    EXPECT_EQ(kit.Clock().PeekMilliseconds(), 1000);
}

// A handler busy for a while: the next tick keeps to the period's grid, and a handler
// longer than the period gives one tick at once instead of a burst of missed ones.
TEST(HeadlessTimers, SlowHandlersCoalesceMissedTicks)
{
    struct Case {
        int periodMs;
        int handlerMs;
        std::vector<int32_t> ticks;
        int32_t clockAfterMs;
    };
    const Case cases[] = {
        {250, 0, {250, 500, 750, 1000}, 1000},
        {250, 60, {250, 500, 750, 1000}, 1060},
        {250, 250, {250, 500, 750, 1000}, 1250},
        {100, 250, {100, 350, 600, 850}, 1100},
        {300, 650, {300, 950}, 1600},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "period " << c.periodMs << " handler " << c.handlerMs);
        HeadlessToolkit kit;
        std::vector<Tick> ticks;
        ProbeWindow w(kit, "W");
        w.ticks = &ticks;
        w.onTimer = [&](int) { kit.Clock().AdvanceMs(c.handlerMs); };
        w.Create();
        w.SetTimer(1, c.periodMs);
        kit.AdvanceMs(1000);
        EXPECT_EQ(TickTimes(ticks), c.ticks);
        EXPECT_EQ(kit.Clock().PeekMilliseconds(), c.clockAfterMs);
    }
}

// Changes to a timer from outside its handler (at 250 ms) or from inside it (at its
// second tick), then the ticks up to 1000 ms.
TEST(HeadlessTimers, RearmingRestartsAndKillingStops)
{
    enum class Change { Rearm, Kill };
    struct Case {
        const char* name;
        bool insideHandler;
        Change change;
        int newPeriodMs;
        std::vector<int32_t> ticks;
    };
    const Case cases[] = {
        {"longer period from outside", false, Change::Rearm, 300, {100, 200, 550, 850}},
        {"same period restarts the countdown",
         false,
         Change::Rearm,
         100,
         {100, 200, 350, 450, 550, 650, 750, 850, 950}},
        {"killed from outside", false, Change::Kill, 0, {100, 200}},
        {"re-armed by its handler", true, Change::Rearm, 380, {100, 200, 610, 990}},
        {"killed by its handler", true, Change::Kill, 0, {100, 200}},
        {"period zero runs at the floor", false, Change::Rearm, 0, {100, 200, 260, 270, 280}},
        {"negative period is the longest", false, Change::Rearm, -5, {100, 200}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HeadlessToolkit kit;
        std::vector<Tick> ticks;
        ProbeWindow w(kit, "W");
        w.ticks = &ticks;
        const auto apply = [&] {
            if (c.change == Change::Kill) {
                w.KillTimer(1);
            } else {
                w.SetTimer(1, c.newPeriodMs);
            }
        };
        w.onTimer = [&](int) {
            if (!c.insideHandler || ticks.size() != 2) return;
            kit.Clock().AdvanceMs(30);  // the handler works a while before it changes the timer
            apply();
        };
        w.Create();
        w.SetTimer(1, 100);
        kit.AdvanceMs(250);
        if (!c.insideHandler) apply();
        kit.AdvanceMs(c.newPeriodMs == 0 && c.change == Change::Rearm ? 30 : 750);
        EXPECT_EQ(TickTimes(ticks), c.ticks);
        EXPECT_EQ(w.ActiveTimers().contains(1), kit.TimerPeriodMs(w, 1).has_value());
    }
}

TEST(HeadlessTimers, OnlyCreatedWindowsTickAndDestroyingStopsThem)
{
    HeadlessToolkit kit;
    std::vector<Tick> ticks;
    auto a = std::make_unique<ProbeWindow>(kit, "A");
    ProbeWindow b(kit, "B"), c(kit, "C"), notCreated(kit, "N");
    for (ProbeWindow* w : {a.get(), &b, &c, &notCreated})
        w->ticks = &ticks;
    a->Create();
    b.Create();
    c.Create();
    notCreated.SetTimer(1, 100);
    a->SetTimer(1, 100);
    b.SetTimer(1, 100);
    c.SetTimer(1, 100);
    // At 200 ms, A's handler destroys B, whose tick is due at the same moment.
    a->onTimer = [&](int) {
        if (ticks.size() == 4) b.Destroy();
    };
    kit.AdvanceMs(250);
    c.Destroy();
    c.Create();  // a window created again has no timers until it arms them
    kit.AdvanceMs(100);
    a.reset();
    kit.AdvanceMs(100);
    const std::vector<Tick> expected = {{"A", 1, 100}, {"B", 1, 100}, {"C", 1, 100},
                                        {"A", 1, 200}, {"C", 1, 200}, {"A", 1, 300}};
    EXPECT_EQ(ticks, expected);
    EXPECT_EQ(kit.Windows(), std::vector<ui::Window*>{&c});
}

TEST(HeadlessTimers, AdvanceToNextTimerJumpsToTheEarliest)
{
    HeadlessToolkit kit;
    std::vector<Tick> ticks;
    ProbeWindow w(kit, "W");
    w.ticks = &ticks;
    w.Create();
    EXPECT_FALSE(kit.AdvanceToNextTimer());
    w.SetTimer(0, 120'000);
    w.SetTimer(1, 2668);
    ASSERT_TRUE(kit.AdvanceToNextTimer());
    ASSERT_TRUE(kit.AdvanceToNextTimer());
    EXPECT_EQ(ticks, (std::vector<Tick>{{"W", 1, 2668}, {"W", 1, 5336}}));
    EXPECT_EQ(kit.TimerDueNs(w, 1), 8004 * int64_t{1'000'000});
}

// A modal box asked for in a timer handler opens after it, so the same timer goes on
// ticking; elsewhere it opens at once.
TEST(HeadlessTimers, MessageBoxFromATimerHandlerOpensAfterIt)
{
    HeadlessToolkit kit;
    ProbeWindow w(kit, "Image");
    std::vector<size_t> boxesSeenInHandler;
    w.onTimer = [&](int) {
        if (boxesSeenInHandler.empty()) kit.MessageBox(&w, "Pas de caméra", "Erreur");
        boxesSeenInHandler.push_back(kit.MessageBoxes().size());
        kit.Clock().AdvanceMs(7);
    };
    w.onCommand = [&](int, int) { kit.MessageBox(nullptr, "direct", "Info"); };
    w.Create();
    w.AddControl(455, ui::ControlKind::PushButton, "Photo", gfx::Rect::FromSize(0, 0, 20, 10));
    w.SetTimer(1, 500);
    kit.AdvanceMs(1000);
    ASSERT_EQ(kit.MessageBoxes().size(), 1u);
    const RecordedMessageBox& box = kit.MessageBoxes()[0];
    EXPECT_EQ(box.text, "Pas de caméra");
    EXPECT_EQ(box.caption, "Erreur");
    EXPECT_EQ(box.ownerCaption, "Image");
    EXPECT_EQ(box.atMs, 507);
    EXPECT_TRUE(box.afterTimerHandler);
    EXPECT_EQ(boxesSeenInHandler, (std::vector<size_t>{0, 1}));

    ASSERT_TRUE(kit.Click(w, 455));
    ASSERT_EQ(kit.MessageBoxes().size(), 2u);
    EXPECT_FALSE(kit.MessageBoxes()[1].afterTimerHandler);
    EXPECT_EQ(kit.MessageBoxes()[1].ownerCaption, "");
}

}  // namespace
}  // namespace nuvix::headless::test
