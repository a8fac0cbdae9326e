#include "SimCameraRig.h"
#include "camera/FrameTransfer.h"
#include "camera/QuickCam.h"
#include "sim/SimPixelEncoder.h"

#include <gtest/gtest.h>

#include <vector>

namespace nuvix {
namespace {

using test::SceneDouble;
using test::SimCameraRig;

TEST(SimCameraHost, StillUntilItsFirstResetPulse)
{
    SimCameraRig rig;
    const uint8_t first = rig.link.ReadPort(port::kLptStatus);
    int changes = 0;
    for (int i = 0; i < 100; ++i)
        changes += rig.link.ReadPort(port::kLptStatus) != first;
    EXPECT_EQ(changes, 0);
}

TEST(SimCameraHost, PassesDetectionAndTheProbe)
{
    SimCameraRig rig;
    EXPECT_TRUE(DetectCamera(rig.link));
    EXPECT_EQ(ProbePortMode(rig.link), PortMode::Bidirectional);
    EXPECT_EQ(rig.camera.Registers().portMode, 0x04);
    // Both exchanges answered at once: their time is the busy loops alone plus the 200 ms window.
    EXPECT_LT(rig.NowNs(), 210'000'000);
}

TEST(SimCameraHost, KeepsTheUploadedSettings)
{
    CameraSettings wide;
    wide.brightness = 0x01AA;
    wide.contrast = 0x0100;
    wide.whiteBalance = 0xFFFF;
    wide.top = 0x0203;
    wide.left = 7;
    wide.lineCount = 0x00F0;
    wide.lineUnits = 0x0150;
    for (const CameraSettings& settings : {CameraSettings{}, wide}) {
        SimCameraRig rig;
        ASSERT_TRUE(DetectCamera(rig.link));
        ASSERT_TRUE(UploadSettings(rig.link, settings));
        const sim::SimCameraRegisters& r = rig.camera.Registers();
        EXPECT_EQ(r.brightness, settings.brightness & 0xFF);
        EXPECT_EQ(r.contrast, settings.contrast & 0xFF);
        EXPECT_EQ(r.whiteBalance, settings.whiteBalance & 0xFF);
        EXPECT_EQ(r.top, settings.top & 0xFF);
        EXPECT_EQ(r.left, settings.left & 0xFF);
        EXPECT_EQ(r.lineCount, settings.lineCount & 0xFF);
        EXPECT_EQ(r.lineUnits, settings.lineUnits & 0xFF);
    }
}

// Counts the pixels of `frame` that differ from the test pattern sent k-th at 76,799 - k.
int TestPatternMismatches(const FrameBytes& frame)
{
    int wrong = 0;
    for (int k = 0; k < kFramePixels; ++k) {
        wrong += frame[static_cast<size_t>(kFramePixels - 1 - k)] != sim::TestPatternPixel(k);
    }
    return wrong;
}

TEST(SimCameraHost, TestPatternArrivesPixelExactFrameAfterFrame)
{
    SimCameraRig rig;
    ASSERT_TRUE(DetectCamera(rig.link));
    ASSERT_EQ(ProbePortMode(rig.link), PortMode::Bidirectional);
    for (int frameNumber = 1; frameNumber <= 3; ++frameNumber) {
        SCOPED_TRACE(frameNumber);
        ASSERT_TRUE(UploadSettings(rig.link, CameraSettings{}));
        FrameBytes frame{};
        ASSERT_TRUE(ReadFrame(rig.link, frame));
        PulseReset(rig.link);
        EXPECT_EQ(TestPatternMismatches(frame), 0);
        // The first line is the picture's top row (buffer row 239), its first pixel in column 319.
        EXPECT_EQ(frame[239 * 320 + 319], sim::TestPatternPixel(0));
        EXPECT_EQ(frame[239 * 320 + 0], sim::TestPatternPixel(319));
        EXPECT_EQ(frame[0], sim::TestPatternPixel(kFramePixels - 1));
        EXPECT_EQ(rig.camera.FramesSent(), frameNumber);
    }
}

TEST(SimCameraHost, SkyArrivesUnmirroredAndSaturated)
{
    SceneDouble scene;
    // Top-left corner bright, values above 63 elsewhere on the bottom row, a ramp in between.
    for (int row = 0; row < 240; ++row) {
        for (int column = 0; column < 320; ++column) {
            scene.picture[static_cast<size_t>(row * 320 + column)] = static_cast<uint8_t>((row + 3 * column) % 60);
        }
    }
    scene.picture[0] = 63;
    for (int column = 0; column < 320; ++column)
        scene.picture[static_cast<size_t>(239 * 320 + column)] = 200;

    SimCameraRig rig(&scene);
    ASSERT_TRUE(DetectCamera(rig.link));
    ASSERT_TRUE(UploadSettings(rig.link, CameraSettings{}));
    FrameBytes frame{};
    ASSERT_TRUE(ReadFrame(rig.link, frame));

    int wrong = 0;
    for (int row = 0; row < 240; ++row) {
        for (int column = 0; column < 320; ++column) {
            const uint8_t shown = frame[static_cast<size_t>((239 - row) * 320 + column)];
            const uint8_t sky = scene.picture[static_cast<size_t>(row * 320 + column)];
            wrong += shown != std::min<uint8_t>(sky, 63);
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(frame[239 * 320], 63);  // the picture's top-left pixel
    EXPECT_EQ(frame[5], 63);          // a saturated pixel of the bottom row
}

TEST(SimCameraHost, ExposureFollowsBrightness)
{
    struct Case {
        uint16_t brightness;
        double milliseconds;
    };
    const std::vector<Case> cases = {
        {0, 0.392667}, {100, 3.597396}, {170, 67.732606}, {210, 381.526756}, {254, 2564.614849}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.brightness);
        SceneDouble scene;
        SimCameraRig rig(&scene);
        CameraSettings settings;
        settings.brightness = c.brightness;
        settings.contrast = 201;
        settings.whiteBalance = 99;
        ASSERT_TRUE(DetectCamera(rig.link));
        ASSERT_TRUE(UploadSettings(rig.link, settings));
        FrameBytes frame{};
        ASSERT_TRUE(ReadFrame(rig.link, frame));
        ASSERT_EQ(scene.asked.size(), 1u);
        EXPECT_NEAR(scene.asked[0].milliseconds, c.milliseconds, 1e-5);
        EXPECT_EQ(scene.asked[0].contrast, 201);
        EXPECT_EQ(scene.asked[0].whiteBalance, 99);
    }
}

TEST(SimCameraHost, AtBrightness255TheSensorIntegratesSinceTheLastPulse)
{
    SceneDouble scene;
    SimCameraRig rig(&scene);
    CameraSettings settings;
    settings.brightness = 255;
    ASSERT_TRUE(DetectCamera(rig.link));
    for (int64_t waitMs : {2000, 400, 2668}) {
        SCOPED_TRACE(waitMs);
        PulseReset(rig.link);
        rig.clock.AdvanceMs(waitMs);
        ASSERT_TRUE(UploadSettings(rig.link, settings));
        FrameBytes frame{};
        ASSERT_TRUE(ReadFrame(rig.link, frame));
        // Only the pulse's own reading and the exchanges' microseconds come on top.
        EXPECT_GE(scene.asked.back().milliseconds, static_cast<double>(waitMs));
        EXPECT_LE(scene.asked.back().milliseconds, static_cast<double>(waitMs + 1));
        EXPECT_LE(scene.asked.back().timeNs, rig.NowNs());
        EXPECT_GE(scene.asked.back().timeNs, rig.NowNs() - 1'000'000);
    }
}

}  // namespace
}  // namespace nuvix
