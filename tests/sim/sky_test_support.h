#pragma once

#include "sim/Sky.h"

#include <cstdint>

namespace nuvix::test {

inline constexpr double kStartExposureMs = 67.73;  // exposure step 170
inline constexpr int64_t kSecond = 1'000'000'000;

inline sim::Exposure StartSettings(int64_t timeNs = 0, double ms = kStartExposureMs)
{
    return sim::Exposure{ms, 255, 170, timeNs};
}

// A scene reduced to what a test looks at: no noise, no defects, no sky, one sharp star.
inline sim::SkyScene SharpStarOnly(double x, double y)
{
    sim::SkyScene scene;
    scene.guideStar = {{x, y}, 0.5};
    scene.fieldStars.clear();
    scene.seeingSigma = 1.2;
    scene.skyPerMs = 0.0;
    scene.readNoise = 0.0;
    scene.hotPixelCount = 0;
    return scene;
}

struct PixelAt {
    int x = -1;
    int y = -1;
    uint8_t level = 0;
};

// The first brightest pixel in picture order (row 0 at the top).
inline PixelAt Brightest(const sim::SensorImage& image)
{
    PixelAt best;
    for (int y = 0; y < sim::kSensorHeight; ++y) {
        for (int x = 0; x < sim::kSensorWidth; ++x) {
            const uint8_t level = image[static_cast<std::size_t>(y * sim::kSensorWidth + x)];
            if (best.x < 0 || level > best.level) best = {x, y, level};
        }
    }
    return best;
}

}  // namespace nuvix::test
