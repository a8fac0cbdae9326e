#include "platform/clock/FakeClock.h"
#include "sim/SimMount.h"
#include "sim/Sky.h"
#include "sky_test_support.h"

#include <gtest/gtest.h>

namespace nuvix {
namespace {

using sim::SimMount;
using sim::SkyPoint;

constexpr double kRate = 7.5 / 0.7735;  // pixels per second at the default speed and scale
constexpr int64_t kMs = 1'000'000;

struct MountRig {
    explicit MountRig(sim::MountSettings settings = {}) : mount(clock, settings) {}
    void Send(uint8_t byte) { mount.WritePort(port::kCom1, byte); }
    SkyPoint At(int64_t ms) const { return mount.CorrectionAt(ms * kMs); }
    FakeClock clock;
    SimMount mount;
};

// Bits 7-2 the length in 1/63 s, bit 1 DEC, bit 0 toward larger coordinates.
TEST(SimMount, CarriesOutEachCommandForItsLength)
{
    struct Case {
        uint8_t command;
        int code;
        int sx, sy;  // the direction it moves the picture
    };
    for (const Case c : {Case{0xC9, 50, 1, 0}, Case{0xC8, 50, -1, 0}, Case{0xFE, 63, 0, -1}, Case{0x07, 1, 0, 1}}) {
        SCOPED_TRACE(int{c.command});
        MountRig rig;
        rig.Send(c.command);
        rig.Send(static_cast<uint8_t>(c.command & 0x02));  // the closing byte changes nothing
        const double whole = c.code / 63.0 * kRate;
        EXPECT_NEAR(rig.At(1500).x, c.sx * whole, 1e-6);
        EXPECT_NEAR(rig.At(1500).y, c.sy * whole, 1e-6);
        // Part way through, at the axis's speed.
        EXPECT_NEAR(rig.At(8).x, c.sx * 0.008 * kRate, 1e-6);
        EXPECT_NEAR(rig.At(8).y, c.sy * 0.008 * kRate, 1e-6);
    }
}

TEST(SimMount, ANewCommandReplacesTheRunningOneOfItsAxisOnly)
{
    MountRig rig;
    rig.Send(0xFD);  // AD +63: one second
    rig.Send(0xFF);  // DEC +63
    rig.clock.AdvanceMs(100);
    rig.Send(0x04);  // AD -1 replaces the AD pulse after 100 ms
    const SkyPoint done = rig.At(5000);
    EXPECT_NEAR(done.x, 0.1 * kRate - 1.0 / 63 * kRate, 1e-6);
    EXPECT_NEAR(done.y, kRate, 1e-6);
    EXPECT_EQ(rig.mount.CommandsCarriedOut(), 3);
}

TEST(SimMount, AFlippedAxisMovesTheOtherWay)
{
    MountRig rig(sim::MountSettings{7.5, 7.5, 0.7735, true, false});
    rig.Send(0x05);  // AD +1
    rig.Send(0x07);  // DEC +1
    EXPECT_NEAR(rig.At(1000).x, -kRate / 63, 1e-6);
    EXPECT_NEAR(rig.At(1000).y, kRate / 63, 1e-6);
}

TEST(SimMount, AJammedAxisTakesItsCommandsAndStaysPut)
{
    MountRig rig;
    rig.mount.JamAxis(SimMount::Axis::Dec, 1000);
    rig.Send(0xFF);  // DEC +63 before the jam: carried out
    rig.clock.AdvanceMs(2000);
    rig.Send(0xFF);  // after it: taken, not carried out
    rig.Send(0xFD);  // AD still moves
    EXPECT_NEAR(rig.At(5000).y, kRate, 1e-6);
    EXPECT_NEAR(rig.At(5000).x, kRate, 1e-6);
    EXPECT_EQ(rig.mount.CommandsCarriedOut(), 3);
}

TEST(SimMount, TheSkyFollowsTheMount)
{
    MountRig rig;
    sim::Sky sky(3, test::SharpStarOnly(160.0, 120.0));
    sky.SetMount(&rig.mount);
    rig.Send(0xFD);
    const SkyPoint before = sky.GuideStarAt(0);
    const SkyPoint after = sky.GuideStarAt(2000 * kMs);
    const SkyPoint drift = sky.TrackingError(2000 * kMs);
    EXPECT_NEAR(after.x - before.x - drift.x, kRate, 1e-6);
    EXPECT_NEAR(after.y - before.y - drift.y, 0.0, 1e-9);
}

}  // namespace
}  // namespace nuvix
