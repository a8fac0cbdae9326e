#include "platform/indi/CameraSetup.h"

#include <gtest/gtest.h>

namespace nuvix::indi {
namespace {

CameraFacts Sensor(int width, int height, int largestBin)
{
    CameraFacts camera;
    camera.sensorWidth = width;
    camera.sensorHeight = height;
    camera.largestBin = largestBin;
    return camera;
}

// The camera bins as far as it can, by a factor the frame's binning is a multiple of, and reads
// the region of its sensor that the frame shows.
TEST(CameraSetup, RegionAndBinningOnTheCamera)
{
    struct Case {
        CameraFacts camera;
        std::optional<CameraRegion> region;
    };
    const Case cases[] = {
        {Sensor(1280, 1024, 4), CameraRegion{4, 0, 32, 1280, 960}},
        {Sensor(1280, 1024, 2), CameraRegion{2, 0, 32, 1280, 960}},
        {Sensor(1280, 1024, 1), CameraRegion{1, 0, 32, 1280, 960}},
        {Sensor(1920, 1440, 4), CameraRegion{3, 0, 0, 1920, 1440}},
        {Sensor(1920, 1080, 4), CameraRegion{4, 320, 60, 1280, 960}},
        {Sensor(640, 480, 1), CameraRegion{1, 0, 0, 640, 480}},
        {Sensor(160, 120, 4), CameraRegion{1, 0, 0, 160, 120}},
        {Sensor(0, 0, 4), std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RegionFor(c.camera), c.region)
            << c.camera.sensorWidth << " x " << c.camera.sensorHeight << " bin " << c.camera.largestBin;
    }
}

}  // namespace
}  // namespace nuvix::indi
