#include "SimCameraRig.h"
#include "camera/FrameTransfer.h"
#include "camera/QuickCam.h"
#include "sim/SimPixelEncoder.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace nuvix {
namespace {

using test::SimCameraRig;

constexpr int64_t kNsPerMs = 1'000'000;

// One acquisition step as the host runs it: upload, frame, reset pulse.
bool Step(SimCameraRig& rig, FrameBytes& frame)
{
    const bool ok = UploadSettings(rig.link, CameraSettings{}) && ReadFrame(rig.link, frame);
    PulseReset(rig.link);
    return ok;
}

TEST(SimCameraFaults, UnpluggedCameraIsGivenUpOnWithinTheBound)
{
    struct Case {
        const char* name;
        std::function<void(sim::SimCamera&)> plan;
        int goodFrames;
    };
    const std::vector<Case> cases = {
        {"in the middle of the first frame", [](sim::SimCamera& c) { c.UnplugAfter(0); }, 0},
        {"after two frames", [](sim::SimCamera& c) { c.UnplugAfter(2); }, 2},
        {"before the first half", [](sim::SimCamera& c) { c.UnplugAfter(1, 0); }, 1},
        {"before the second half", [](sim::SimCamera& c) { c.UnplugAfter(0, 1); }, 0},
        {"before the very last half", [](sim::SimCamera& c) { c.UnplugAfter(0, 38'399); }, 0},
        {"between frames", [](sim::SimCamera& c) { c.Unplug(); }, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimCameraRig rig;
        ASSERT_TRUE(DetectCamera(rig.link));
        ASSERT_EQ(ProbePortMode(rig.link), PortMode::Bidirectional);
        c.plan(rig.camera);
        FrameBytes frame{};
        for (int i = 0; i < c.goodFrames; ++i)
            ASSERT_TRUE(Step(rig, frame));

        const int64_t before = rig.NowNs();
        EXPECT_FALSE(Step(rig, frame));
        const int64_t spent = rig.NowNs() - before;
        EXPECT_TRUE(rig.camera.Unplugged());
        EXPECT_GE(spent, kCameraAnswerBoundMs * kNsPerMs);
        // One give-up per step: the host does not wait on a camera that is gone twice over.
        EXPECT_LT(spent, 2 * kCameraAnswerBoundMs * kNsPerMs);

        // Later steps end as well, and a new detection finds no camera.
        EXPECT_FALSE(Step(rig, frame));
        EXPECT_FALSE(DetectCamera(rig.link));
        EXPECT_EQ(rig.camera.FramesSent(), c.goodFrames);
    }
}

TEST(SimCameraFaults, StuckHandshakeIsDetectedButNeverAnswers)
{
    SimCameraRig rig;
    rig.camera.SetStuckHandshake(true);
    EXPECT_TRUE(DetectCamera(rig.link));  // the status lines still move

    int64_t before = rig.NowNs();
    EXPECT_EQ(ProbePortMode(rig.link), PortMode::NoAnswer);
    EXPECT_LT(rig.NowNs() - before, (kCameraAnswerBoundMs + 10) * kNsPerMs);

    before = rig.NowNs();
    FrameBytes frame{};
    EXPECT_FALSE(Step(rig, frame));
    EXPECT_LT(rig.NowNs() - before, (kCameraAnswerBoundMs + 10) * kNsPerMs);
    EXPECT_EQ(rig.link.ReadPort(port::kLptControl), 0x0E);  // left at rest
}

TEST(SimCameraFaults, NoisyStatusLineDisturbsNothingTheHostReads)
{
    for (uint32_t seed : {1u, 77u, 123456u}) {
        SCOPED_TRACE(seed);
        SimCameraRig rig;
        rig.camera.SetNoisyStatus(seed);
        ASSERT_TRUE(DetectCamera(rig.link));

        // The noise is there: the bits beside the handshake wander while bit 3 holds.
        uint8_t seenLow = 0;
        uint8_t seenHigh = 0;
        for (int i = 0; i < 64; ++i) {
            const uint8_t status = rig.link.ReadPort(port::kLptStatus);
            seenLow |= status & 0x07;
            seenHigh |= status & 0xF0;
            EXPECT_EQ(status & 0x08, 0);  // control at rest (SELECT IN set): handshake low
        }
        EXPECT_EQ(seenLow, 0x07);
        EXPECT_EQ(seenHigh, 0xF0);

        ASSERT_EQ(ProbePortMode(rig.link), PortMode::Bidirectional);
        FrameBytes frame{};
        ASSERT_TRUE(Step(rig, frame));
        int wrong = 0;
        for (int k = 0; k < kFramePixels; ++k) {
            wrong += frame[static_cast<size_t>(kFramePixels - 1 - k)] != sim::TestPatternPixel(k);
        }
        EXPECT_EQ(wrong, 0);
    }
}

}  // namespace
}  // namespace nuvix
