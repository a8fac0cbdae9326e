#include "platform/indi/CameraSetup.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

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

// The panel's exposure in seconds, kept within what the camera accepts.
TEST(CameraSetup, ExposureWithinTheCamerasRange)
{
    struct Case {
        float panelMs;
        double shortest;
        double longest;
        double seconds;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Case cases[] = {
        {67.73f, 0.01, 3600, 0.06773}, {0.3946f, 0.01, 3600, 0.01},
        {45000, 0.001, 30, 30},        {500, 0, 0, 0.5},
        {nan, 0.01, 10, 0.01},         {-5, 0, 0, 0},
    };
    for (const Case& c : cases) {
        CameraFacts camera;
        camera.shortestSeconds = c.shortest;
        camera.longestSeconds = c.longest;
        EXPECT_NEAR(ExposureSeconds(c.panelMs, camera), c.seconds, 1e-6) << c.panelMs;
    }
}

}  // namespace
}  // namespace nuvix::indi
