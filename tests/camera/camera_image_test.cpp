#include "camera/CameraImage.h"

#include <gtest/gtest.h>

#include <limits>

namespace nuvix {
namespace {

// How a camera's picture is brought to 320 x 240: the largest whole binning that still covers the
// frame, then its centre; a smaller picture sits in the middle.
TEST(CameraImage, FitToTheFrame)
{
    struct Case {
        int width;
        int height;
        FrameFit fit;
    };
    const Case cases[] = {
        {320, 240, {1, 0, 0}},     {640, 480, {2, 0, 0}},   {1280, 1024, {4, 0, 32}},  {1920, 1080, {4, 320, 60}},
        {639, 479, {1, 159, 119}}, {400, 300, {1, 40, 30}}, {160, 120, {1, -80, -60}}, {3000, 240, {1, 1340, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FitToFrame(c.width, c.height), c.fit) << c.width << " x " << c.height;
}

// The settings count by their low byte, as on the parallel-port camera, and nothing that is no
// number reaches the pipeline as a stray level.
TEST(CameraImage, MappingTakesTheLowByteAndStaysOnSixBits)
{
    struct Case {
        float share;
        uint16_t contrast;
        uint16_t whiteBalance;
        uint8_t level;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    const Case cases[] = {
        {1.0f, 0x1FF, 0x182, 63}, {0.5f, 0x100, 0x182, 0},  {0.5f, 0x100, 0x1AA, 8},
        {nan, 255, 170, 0},       {infinity, 255, 130, 63}, {-infinity, 255, 255, 0},
    };
    for (const Case& c : cases) {
        CameraSettings settings;
        settings.contrast = c.contrast;
        settings.whiteBalance = c.whiteBalance;
        FrameBytes out{};
        MapToFrame(LinearFrame(kFramePixels, c.share), settings, out);
        EXPECT_EQ(out[0], c.level) << c.share << " " << c.contrast << " " << c.whiteBalance;
        EXPECT_EQ(out[kFramePixels - 1], c.level);
    }
}

}  // namespace
}  // namespace nuvix
