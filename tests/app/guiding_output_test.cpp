#include "AppFixture.h"

#include "guiding/CorrectionOutput.h"

#include <deque>
#include <vector>

using nuvix::testing::AppHarness;
using nuvix::testing::CountPixels;
using nuvix::testing::FakeSerialPorts;

namespace nuvix {
namespace {

// What reaches the UARTs, with the fake clock's time of each byte.
struct TimedUarts final : PortDevice {
    explicit TimedUarts(FakeClock& clock) : clock(clock) {}
    uint8_t ReadPort(uint16_t) override { return 0xFF; }
    void WritePort(uint16_t address, uint8_t value) override
    {
        bytes.push_back({address, value, clock.PeekMilliseconds()});
    }
    struct Byte {
        uint16_t address;
        uint8_t value;
        int32_t atMs;
    };
    FakeClock& clock;
    std::vector<Byte> bytes;
};

// A mount that takes timed pulses, ready and never calibrated: what it was sent, and notices.
struct FakeSink final : GuidePulseSink {
    FramePulses Send(const FramePulses& pulses) override
    {
        sent.push_back(pulses);
        return pulses;
    }
    std::optional<MountNotice> TakeNotice() override
    {
        if (notices.empty()) return std::nullopt;
        MountNotice notice = notices.front();
        notices.pop_front();
        return notice;
    }
    MountReport Report() const override
    {
        MountReport report;
        report.name = "Test";
        report.link = MountLink::Ready;
        return report;
    }
    std::vector<FramePulses> sent;
    std::deque<MountNotice> notices;
};

class GuidingOutput : public ::testing::Test {
protected:
    GuidingOutput() : uarts(h.kit.Clock())
    {
        h.serial = &serial;
        h.guidePulses = &sink;
        AttachUarts(h.bus, uarts);
    }
    // A record whose scale is 2 arc seconds per pixel, so that 7.5 arc seconds per second
    // makes 16.8 codes per pixel.
    void Start(int32_t protocol, int32_t comPort = 0, bool invertRa = false)
    {
        tparam record;
        record.focalLength = 77.35;
        record.protocol = protocol;
        record.comPort = comPort;
        record.invertRa = invertRa;
        h.StoreRecord(record);
        h.Start();
    }
    // The guide error the next correction works from.
    void Error(int32_t dx, int32_t dy)
    {
        TrackingState& t = h.State().tracking;
        t.trackingOn = true;
        t.refX = t.boxLeft + t.starX + dx;
        t.refY = t.boxTop + t.starY + dy;
    }
    std::vector<uint8_t> Sent() const
    {
        std::vector<uint8_t> values;
        for (const auto& b : uarts.bytes)
            values.push_back(b.value);
        return values;
    }
    gfx::Pixel PanelPixel(int x, int y) { return h.Image().DeltaPanel().Surface().At(x, y); }

    int Boxes(const std::string& text, const std::string& caption) const { return h.BoxesSaying(text, caption); }

    AppHarness h;
    FakeSerialPorts serial;
    TimedUarts uarts;
    FakeSink sink;
};

TEST_F(GuidingOutput, ProtocolPutIntoForceAtStart)
{
    struct Case {
        int32_t protocol, comPort;
        std::vector<std::string> texts;
        bool indicatorsShown;
        uint16_t uart;
    };
    const Case cases[] = {
        {kStellonStandard, 0, {"COM1 9600,n,8,1"}, false, port::kCom1},
        {kLx200, 1, {"COM2  300,n,8,1"}, false, port::kCom2},
        {kVirtualDiodes, 3, {}, true, 0},
        // A port or protocol the file should not hold: the indicators, and no line is set up.
        {kStellonStandard, 7, {}, true, 0},
        {kLx200, -1, {}, true, 0},
        {5, 1, {}, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.protocol);
        AppHarness one;
        FakeSerialPorts ports;
        one.serial = &ports;
        tparam record;
        record.protocol = c.protocol;
        record.comPort = c.comPort;
        one.StoreRecord(record);
        one.Start();
        EXPECT_EQ(ports.texts, c.texts);
        EXPECT_EQ(one.Image().Indicators().IsVisible(), c.indicatorsShown);
        EXPECT_EQ(one.State().output.uartBase, c.uart);
        // Told at the first tick, with the camera's message.
        const bool corrected = c.comPort < 0 || c.comPort > 3 || c.protocol > kVirtualDiodes;
        EXPECT_EQ(one.State().parameters.pendingMessage.find("Diodes virtuelles") != std::string::npos, corrected);
    }
}

TEST_F(GuidingOutput, SerialBytesPerFrameAdThenDecWithTheirGaps)
{
    Start(kStellonStandard);
    Error(3, -10);
    const int32_t t0 = h.kit.Clock().PeekMilliseconds();
    h.Image().DeltaPanel().SendCorrections(true);
    ASSERT_EQ(Sent(), (std::vector<uint8_t>{0xC9, 0x00, 0xFE, 0x03}));
    // A mount of timed pulses is guided only through its calibration.
    EXPECT_TRUE(sink.sent.empty());
    for (const auto& b : uarts.bytes)
        EXPECT_EQ(b.address, port::kCom1);
    EXPECT_EQ(uarts.bytes[1].atMs - uarts.bytes[0].atMs, 5);
    EXPECT_EQ(uarts.bytes[2].atMs - uarts.bytes[1].atMs, 5);
    EXPECT_EQ(uarts.bytes[3].atMs - uarts.bytes[2].atMs, 5);
    EXPECT_GE(uarts.bytes[0].atMs, t0);
    // "99%" of the saturated DEC correction is red; "79%" of AD is not.
    EXPECT_GT(CountPixels(h.Image().DeltaPanel(), {75, 33, 100, 46}, {255, 0, 0}), 0);
    EXPECT_EQ(CountPixels(h.Image().DeltaPanel(), {75, 10, 100, 23}, {255, 0, 0}), 0);
}

TEST_F(GuidingOutput, InversionTurnsTheDirectionOnly)
{
    Start(kStellonStandard, 0, true);
    Error(3, 0);
    h.Image().DeltaPanel().SendCorrections(true);
    EXPECT_EQ(Sent(), (std::vector<uint8_t>{0xC8, 0x01, 0x03, 0x02}));
}

TEST_F(GuidingOutput, NothingWhenNotGuidingAndNothingOnTheLineUnderTheOtherProtocols)
{
    for (int32_t protocol : {kStellonStandard, kLx200, kVirtualDiodes}) {
        SCOPED_TRACE(protocol);
        AppHarness one;
        TimedUarts line(one.kit.Clock());
        AttachUarts(one.bus, line);
        FakeSink mount;
        one.guidePulses = &mount;
        tparam record;
        record.protocol = protocol;
        one.StoreRecord(record);
        one.Start();
        TrackingState& t = one.State().tracking;
        t.refX = t.boxLeft + 5;
        one.Image().DeltaPanel().SendCorrections(false);
        EXPECT_TRUE(line.bytes.empty());
        EXPECT_TRUE(mount.sent.empty());
        // Below its top strip the panel is black.
        EXPECT_EQ(one.Image().DeltaPanel().Surface().At(60, 20), gfx::kBlack.ToPixel());
        one.Image().DeltaPanel().SendCorrections(true);
        EXPECT_EQ(line.bytes.empty(), protocol != kStellonStandard);
    }
}

TEST_F(GuidingOutput, IndicatorsLightForTheCorrectionsLength)
{
    Start(kVirtualDiodes);
    Trackwin& opto = h.Image().Indicators();
    Error(-2, 0);
    h.Image().DeltaPanel().SendCorrections(true);
    // 33 units of 15 ms: the right AD diode, lit white.
    EXPECT_EQ(h.kit.TimerPeriodMs(opto, Trackwin::kAdPulseTimer), 495);
    const gfx::Rect right = opto.Indicator(1);
    EXPECT_EQ(opto.Surface().At(right.left + 3, right.top + 3), gfx::kWhite.ToPixel());
    const gfx::Rect left = opto.Indicator(0);
    EXPECT_EQ(opto.Surface().At(left.left + 3, left.top + 3), gfx::kBlack.ToPixel());
    // The DEC diodes had no error: a zero pulse lights neither.
    EXPECT_EQ(opto.Surface().At(opto.Indicator(3).left + 3, opto.Indicator(3).top + 3), gfx::kBlack.ToPixel());

    h.kit.AdvanceMs(500);
    EXPECT_EQ(opto.Surface().At(right.left + 3, right.top + 3), gfx::kBlack.ToPixel());
    EXPECT_FALSE(h.kit.TimerPeriodMs(opto, Trackwin::kAdPulseTimer));
}

// Failures are boxes, once each; good news is no box; a stop of the mount is one only while
// guiding.
TEST_F(GuidingOutput, MountNoticesBoxedOnlyWhenTheObserverMustAct)
{
    using Kind = MountNotice::Kind;
    Start(kVirtualDiodes);
    sink.notices = {{Kind::Failure, "no mount", "Pas de monture INDI sur h:1"},
                    {Kind::Info, "mount ready", "prête"},
                    {Kind::Halt, "mount parked", "Monture parquée"}};
    h.kit.AdvanceMs(4 * NuvixWindow::kMountPeriodMs);
    EXPECT_EQ(Boxes("Pas de monture INDI sur h:1", "Erreur"), 1);
    EXPECT_EQ(h.BoxesSaying("prête"), 0);
    EXPECT_EQ(h.BoxesSaying("Monture parquée"), 0);
    h.State().tracking.trackingOn = true;
    sink.notices = {{Kind::Halt, "mount parked", "Monture parquée"}};
    h.kit.AdvanceMs(2 * NuvixWindow::kMountPeriodMs);
    EXPECT_EQ(Boxes("Monture parquée", "Monture"), 1);
}

// Guiding goes on without its log; the user hears of it once.
TEST_F(GuidingOutput, AnUnwritableGuideLogIsToldOnce)
{
    h.guideLogPath = (h.dir / "no-such-folder" / "guide.txt").string();
    Start(kVirtualDiodes);
    for (int frame = 0; frame < 3; ++frame) {
        Error(2, 0);
        h.Image().DeltaPanel().SendCorrections(true);
    }
    h.kit.Pump();
    EXPECT_EQ(Boxes("Journal de guidage impossible à écrire", "Erreur"), 1);
}

TEST_F(GuidingOutput, TrackButtonSwitchesGuiding)
{
    h.guidePulses = nullptr;  // a mount of timed pulses would be calibrated first
    Start(kVirtualDiodes);
    TrackingState& t = h.State().tracking;
    t.starX = 40;
    t.starY = 60;
    ASSERT_TRUE(h.kit.Click(h.Image(), 450));
    EXPECT_TRUE(t.trackingOn);
    EXPECT_EQ(h.Image().FindControl(450)->Text(), "Track OFF");
    EXPECT_EQ(t.refX, 150);
    EXPECT_EQ(t.refY, 130);
    ASSERT_TRUE(h.kit.Click(h.Image(), 450));
    EXPECT_FALSE(t.trackingOn);
    EXPECT_EQ(h.Image().FindControl(450)->Text(), "Track");
}

}  // namespace
}  // namespace nuvix
