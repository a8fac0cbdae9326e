#include "CameraTestKit.h"
#include "camera/FrameTransfer.h"
#include "camera/QuickCam.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace nuvix {
namespace {

using test::ProtocolRig;

constexpr int kHalves = kFramePixels / 2;
constexpr int64_t kNsPerMs = 1'000'000;

struct HalfBytes {
    uint8_t data;
    uint8_t status;
};

// A camera double for the transfer: it acknowledges the request bytes and the turnaround
// on status bit 3, then serves halves given by `halfAt`, moving to the next half on each
// control write with the direction bit. With `halvesServed` < kHalves it stops there.
void ServeHalves(ProtocolRig& rig, std::function<HalfBytes(int)> halfAt, int halvesServed = kHalves)
{
    constexpr int kTurnaroundWrites = 4;
    rig.device.SetReadHandler([&rig, halfAt = std::move(halfAt), halvesServed](uint16_t address) -> uint8_t {
        rig.lines.Update();
        const int half = rig.lines.InputWrites() - kTurnaroundWrites;
        if (half < 0) return address == port::kLptStatus ? rig.lines.Handshake() : 0xFF;
        const HalfBytes bytes = halfAt(std::min(half, halvesServed - 1));
        if (half >= halvesServed && address == port::kLptData) {
            return static_cast<uint8_t>(bytes.data ^ 0x01);  // the next half never comes
        }
        return address == port::kLptData ? bytes.data : bytes.status;
    });
}

// A neutral half: data bit 0 as the half needs, both pixels 63.
HalfBytes Neutral(int half)
{
    return {static_cast<uint8_t>(half % 2 == 0 ? 0x01 : 0x00), 0x00};
}

TEST(FrameTransfer, DecodesEachHalfFromDataAndStatus)
{
    struct Case {
        const char* name;
        bool firstHalf;
        HalfBytes bytes;
        uint8_t firstPixel;
        uint8_t secondPixel;
    };
    const std::vector<Case> cases = {
        {"all clear", true, {0x01, 0x00}, 63, 63},
        {"all set", true, {0xFF, 0xFF}, 0, 0},
        {"second half, data bit 7", false, {0x80, 0x00}, 63, 62},
        {"status bits 0-2 carry nothing", true, {0x01, 0x07}, 63, 63},
        {"data bits 1-6 are the first pixel", false, {0x7E, 0x00}, 0, 63},
        {"status bits 3-7 are the second pixel's bits 1-5", true, {0x01, 0xF8}, 63, 1},
        {"status bit 7 as read, not inverted", false, {0x00, 0x80}, 63, 31},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int where = c.firstHalf ? 0 : 1;
        ProtocolRig rig;
        ServeHalves(rig, [&](int half) { return half == where ? c.bytes : Neutral(half); });
        FrameBytes frame{};
        ASSERT_TRUE(ReadFrame(rig.link, frame));
        const size_t first = kFramePixels - 1 - 2 * where;
        EXPECT_EQ(frame[first], c.firstPixel);
        EXPECT_EQ(frame[first - 1], c.secondPixel);
    }
}

TEST(FrameTransfer, StoresDownwardFromTheLastByte)
{
    // Half h carries pixels h % 64 and (h / 64) % 64, so every byte tells where it came from.
    auto halfAt = [](int half) {
        const unsigned a = 63u - static_cast<unsigned>(half % 64);
        const unsigned b = 63u - static_cast<unsigned>((half / 64) % 64);
        const unsigned marker = half % 2 == 0 ? 1u : 0u;
        return HalfBytes{static_cast<uint8_t>((a << 1) | ((b & 1u) << 7) | marker),
                         static_cast<uint8_t>((b & 0x3Eu) << 2)};
    };
    ProtocolRig rig;
    ServeHalves(rig, halfAt);
    FrameBytes frame{};
    frame.fill(0xEE);
    ASSERT_TRUE(ReadFrame(rig.link, frame));

    EXPECT_EQ(frame[kFramePixels - 1], 0);           // the first pixel received
    EXPECT_EQ(frame[0], ((kHalves - 1) / 64) % 64);  // the last one
    int wrong = 0;
    for (int half = 0; half < kHalves; ++half) {
        const size_t at = static_cast<size_t>(kFramePixels - 1 - 2 * half);
        if (frame[at] != half % 64 || frame[at - 1] != (half / 64) % 64) ++wrong;
    }
    EXPECT_EQ(wrong, 0);
}

TEST(FrameTransfer, ExchangeOrderAndNoClockWhileTheCameraIsReady)
{
    ProtocolRig rig;
    ServeHalves(rig, Neutral);
    FrameBytes frame{};
    ASSERT_TRUE(ReadFrame(rig.link, frame));

    // Request, turnaround, 38,400 hand-backs, then the data lines back to output.
    const std::vector<uint8_t> controls = rig.device.Writes(port::kLptControl);
    ASSERT_EQ(controls.size(), 4u + 4u + kHalves + 1u);
    EXPECT_EQ(std::vector<uint8_t>(controls.begin(), controls.begin() + 8),
              (std::vector<uint8_t>{0x04, 0x0E, 0x04, 0x0E, 0x2E, 0x26, 0x2E, 0x26}));
    EXPECT_EQ(rig.device.Writes(port::kLptData), (std::vector<uint8_t>{0x07, 0x03}));
    for (int half = 0; half < kHalves; ++half) {
        if (controls[8 + static_cast<size_t>(half)] != (half % 2 == 0 ? 0x2E : 0x26)) FAIL() << "half " << half;
    }
    EXPECT_EQ(controls.back(), 0x00);

    // Each half: the data read that ends the wait, one status read, the control write.
    const auto& log = rig.device.Log();
    size_t i = 0;
    for (int controlWrites = 0; i < log.size() && controlWrites < 8; ++i) {
        if (log[i].kind == PortAccess::Kind::Write && log[i].address == port::kLptControl) ++controlWrites;
    }
    ASSERT_GE(log.size() - i, 3u * kHalves + 1);
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(log[i + 3 * k].address, port::kLptData);
        EXPECT_EQ(log[i + 3 * k + 1].address, port::kLptStatus);
        EXPECT_EQ(log[i + 3 * k + 2].kind, PortAccess::Kind::Write);
    }

    // The only time that passed is the turnaround's short delay: no clock was read.
    EXPECT_EQ(rig.NowNs(), 100 * 10);
}

TEST(FrameTransfer, GivesUpWithinTheBoundAndLeavesThePortIdle)
{
    enum class Fault { HandshakeNeverHigh, HandshakeNeverLow, StopsMidFrame, StopsBeforeFirstHalf };
    struct Case {
        const char* name;
        Fault fault;
        std::vector<uint8_t> controlsStart;
    };
    const std::vector<Case> cases = {
        {"request never acknowledged", Fault::HandshakeNeverHigh, {0x04, 0x0E, 0x00}},
        {"turnaround never released", Fault::HandshakeNeverLow, {0x04, 0x0E, 0x04, 0x0E, 0x2E, 0x26, 0x2E, 0x00}},
        {"camera stops in the middle", Fault::StopsMidFrame, {0x04, 0x0E, 0x04, 0x0E, 0x2E, 0x26, 0x2E, 0x26}},
        {"camera stops before the first half",
         Fault::StopsBeforeFirstHalf,
         {0x04, 0x0E, 0x04, 0x0E, 0x2E, 0x26, 0x2E, 0x26, 0x00}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProtocolRig rig;
        switch (c.fault) {
        case Fault::HandshakeNeverHigh:
            rig.device.SetFallback(port::kLptStatus, 0x00);
            break;
        case Fault::HandshakeNeverLow:
            rig.device.SetFallback(port::kLptStatus, 0x08);
            break;
        case Fault::StopsMidFrame:
            ServeHalves(rig, Neutral, kHalves / 2);
            break;
        case Fault::StopsBeforeFirstHalf:
            ServeHalves(
                rig,
                [](int) {
                    return HalfBytes{0x00, 0x00};
                },
                1);
            break;
        }
        FrameBytes frame{};
        EXPECT_FALSE(ReadFrame(rig.link, frame));
        const std::vector<uint8_t> controls = rig.device.Writes(port::kLptControl);
        ASSERT_GE(controls.size(), c.controlsStart.size());
        EXPECT_EQ(std::vector<uint8_t>(controls.begin(), controls.begin() + static_cast<long>(c.controlsStart.size())),
                  c.controlsStart);
        EXPECT_EQ(controls.back(), 0x00);
        EXPECT_GE(rig.NowNs(), kCameraAnswerBoundMs * kNsPerMs);
        EXPECT_LT(rig.NowNs(), (kCameraAnswerBoundMs + 10) * kNsPerMs);
    }
}

}  // namespace
}  // namespace nuvix
