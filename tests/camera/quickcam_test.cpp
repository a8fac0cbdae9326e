#include "camera/QuickCam.h"
#include "CameraTestKit.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace nuvix {
namespace {

using test::ProtocolRig;

constexpr int64_t kNsPerMs = 1'000'000;

// A camera that answers every exchange at once: the handshake follows SELECT IN and the
// data lines show bit 0 set.
void Cooperate(ProtocolRig& rig)
{
    rig.device.SetReadHandler([&rig](uint16_t address) -> uint8_t {
        rig.lines.Update();
        return address == port::kLptStatus ? rig.lines.Handshake() : 0x01;
    });
}

// The command-byte part of a trace: data byte, strobe, rest.
std::string SentBytes(const std::vector<uint8_t>& bytes)
{
    std::string out;
    for (uint8_t b : bytes) {
        char item[16];
        std::snprintf(item, sizeof item, "%sD%02X C04 C0E", out.empty() ? "" : " ", b);
        out += item;
    }
    return out;
}

const std::string kResetTrace = "C20 L100 D75 L100000 C0B L100000 C0E L100000";

TEST(QuickCamSequence, WritesAndDelaysInOrder)
{
    CameraSettings settings;
    settings.brightness = 0x01AA;  // only the low byte goes out
    settings.contrast = 0x0119;
    settings.whiteBalance = 0x00FF;

    struct Case {
        const char* name;
        std::function<void(CameraLink&)> run;
        std::string trace;
    };
    const std::vector<Case> cases = {
        {"ResetCamera", [](CameraLink& l) { ResetCamera(l); }, kResetTrace},
        {"PulseReset", [](CameraLink& l) { PulseReset(l); }, "C0B L100 C0E"},
        {"DetectCamera", [](CameraLink& l) { DetectCamera(l); }, kResetTrace + " C20 L100 C0B L100 C0E"},
        {"SendByte", [](CameraLink& l) { SendByte(l, 0xA5); }, "DA5 C04 C0E"},
        {"ProbePortMode", [](CameraLink& l) { ProbePortMode(l); },
         "C0B L100 C0E L100 " + SentBytes({0x1D, 0x04}) + " C24 L20000 C2C C24 C00 C0B L100 C0E"},
        {"UploadSettings", [&settings](CameraLink& l) { UploadSettings(l, settings); },
         SentBytes({0x0B, 0xAA, 0x11, 240, 0x13, 80, 0x0D, 2, 0x0F, 8, 0x19, 0x19, 0x1F, 0xFF})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProtocolRig rig;
        Cooperate(rig);
        c.run(rig.link);
        EXPECT_EQ(rig.clock.Trace(), c.trace);
    }
}

TEST(QuickCamHandshake, AnswerWithinTheBoundIsTakenLaterIsGivenUp)
{
    struct Case {
        int64_t answerAtMs;  // -1: never
        bool acknowledged;
    };
    const std::vector<Case> cases = {{0, true}, {300, true}, {499, true}, {520, false}, {-1, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answerAtMs);
        ProtocolRig rig;
        rig.device.SetReadHandler([&rig, &c](uint16_t) -> uint8_t {
            const bool answered = c.answerAtMs >= 0 && rig.NowNs() >= c.answerAtMs * kNsPerMs;
            return answered ? 0x08 : 0x00;
        });
        EXPECT_EQ(SendByte(rig.link, 0x5A), c.acknowledged);
        // The port is at rest afterwards either way.
        EXPECT_EQ(rig.clock.Trace(), "D5A C04 C0E");
        if (c.acknowledged) {
            EXPECT_LT(rig.NowNs(), (c.answerAtMs + 1) * kNsPerMs);
        } else {
            EXPECT_GE(rig.NowNs(), kCameraAnswerBoundMs * kNsPerMs);
            EXPECT_LT(rig.NowNs(), (kCameraAnswerBoundMs + 10) * kNsPerMs);
        }
    }
}

TEST(QuickCamHandshake, ReadyCameraCostsNoClockReading)
{
    ProtocolRig rig;
    rig.device.SetFallback(port::kLptStatus, 0x08);
    ASSERT_TRUE(WaitHandshake(rig.link, HandshakeLevel::High));
    EXPECT_EQ(rig.NowNs(), 0);
    EXPECT_EQ(rig.device.ReadCount(port::kLptStatus), 1u);
}

TEST(QuickCamProbe, AnswersAndGiveUps)
{
    enum class Handshake { Follows, NeverHigh, NeverLow };
    const std::string start = "C0B L100 C0E L100 " + SentBytes({0x1D}) + " ";
    const std::string end = " C00 C0B L100 C0E";
    struct Case {
        const char* name;
        Handshake handshake;
        int bitZeroFromRead;  // the data read that first shows bit 0; 0: never
        PortMode mode;
        std::string trace;
        size_t dataReads;  // 0: not checked
    };
    const std::string full = start + SentBytes({0x04}) + " C24 L20000 C2C C24" + end;
    const std::vector<Case> cases = {
        {"bit 0 at once still takes 100 reads", Handshake::Follows, 1, PortMode::Bidirectional, full, 100},
        {"bit 0 at the 100th read", Handshake::Follows, 100, PortMode::Bidirectional, full, 100},
        {"bit 0 at the 150th read", Handshake::Follows, 150, PortMode::Bidirectional, full, 150},
        {"bit 0 never", Handshake::Follows, 0, PortMode::NoAnswer, full, 0},
        {"handshake never rises", Handshake::NeverHigh, 1, PortMode::NoAnswer, start.substr(0, start.size() - 1) + end,
         0},
        {"handshake never falls", Handshake::NeverLow, 1, PortMode::NoAnswer,
         start + SentBytes({0x04}) + " C24 L20000 C2C" + end, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProtocolRig rig;
        int dataReads = 0;
        rig.device.SetReadHandler([&](uint16_t address) -> uint8_t {
            rig.lines.Update();
            if (address == port::kLptData) {
                ++dataReads;
                return c.bitZeroFromRead > 0 && dataReads >= c.bitZeroFromRead ? 0xA5 : 0xA4;
            }
            switch (c.handshake) {
            case Handshake::NeverHigh:
                return 0x00;
            case Handshake::NeverLow:
                return 0x08;
            case Handshake::Follows:
                break;
            }
            return rig.lines.Handshake();
        });
        EXPECT_EQ(ProbePortMode(rig.link), c.mode);
        EXPECT_EQ(rig.clock.Trace(), c.trace);
        if (c.dataReads > 0) {
            EXPECT_EQ(rig.device.ReadCount(port::kLptData), c.dataReads);
        }
        // Every wait is bounded: one give-up costs the bound and little more.
        EXPECT_LT(rig.NowNs(), (kCameraAnswerBoundMs + 10) * kNsPerMs);
        if (c.mode == PortMode::NoAnswer) {
            EXPECT_GE(rig.NowNs(), kCameraAnswerBoundMs * kNsPerMs);
        }
    }
}

TEST(QuickCamUpload, StopsAtTheFirstUnacknowledgedByte)
{
    const std::vector<uint8_t> all = {0x0B, 170, 0x11, 240, 0x13, 80, 0x0D, 2, 0x0F, 8, 0x19, 255, 0x1F, 170};
    for (int acknowledged : {0, 1, 7, 13, 14}) {
        SCOPED_TRACE(acknowledged);
        ProtocolRig rig;
        rig.device.SetReadHandler([&](uint16_t) -> uint8_t {
            rig.lines.Update();
            return rig.lines.Strobes() <= acknowledged ? rig.lines.Handshake() : 0x00;
        });
        EXPECT_EQ(UploadSettings(rig.link, CameraSettings{}), acknowledged == 14);
        const size_t sent = std::min<size_t>(static_cast<size_t>(acknowledged) + 1, all.size());
        EXPECT_EQ(rig.device.Writes(port::kLptData), std::vector<uint8_t>(all.begin(), all.begin() + sent));
        EXPECT_EQ(rig.device.Writes(port::kLptControl).back(), 0x0E);
    }
}

TEST(QuickCamDetect, CountsStatusChangesWithin200Ms)
{
    // The detection window opens after the resets' busy loops (about 3 ms) and lasts 200 ms.
    auto spread = [](int count, int64_t firstMs, int64_t stepMs) {
        std::vector<int64_t> times;
        for (int i = 0; i < count; ++i)
            times.push_back(firstMs + i * stepMs);
        return times;
    };
    auto join = [](std::vector<int64_t> a, const std::vector<int64_t>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    struct Case {
        const char* name;
        std::vector<int64_t> changesMs;  // times at which the status byte changes
        bool toggleEveryRead;
        bool present;
    };
    const std::vector<Case> cases = {
        {"exactly 50 changes", spread(50, 10, 3), false, true},
        {"49 changes", spread(49, 10, 3), false, false},
        {"49 inside and more after the window", join(spread(49, 10, 3), spread(20, 206, 2)), false, false},
        {"the 50th just before the window closes", join(spread(49, 10, 3), {202}), false, true},
        {"a status that never changes", {}, false, false},
        {"a status changing on every read", {}, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProtocolRig rig;
        uint8_t status = 0x7E;
        size_t next = 0;
        rig.device.SetReadHandler([&](uint16_t) -> uint8_t {
            const uint8_t shown = status;
            if (c.toggleEveryRead) {
                status ^= 0x80;
            } else if (next < c.changesMs.size() && rig.NowNs() >= c.changesMs[next] * kNsPerMs) {
                status ^= 0x80;  // seen from the next read on
                ++next;
            }
            return shown;
        });
        EXPECT_EQ(DetectCamera(rig.link), c.present);
    }
}

TEST(QuickCamDetect, PortWithNothingAttachedIsNoCamera)
{
    FakeClock clock;
    PortBus bus;  // reads give 0xFF
    CameraLink link{bus, clock};
    EXPECT_FALSE(DetectCamera(link));
}

}  // namespace
}  // namespace nuvix
