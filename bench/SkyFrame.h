#pragma once

#include "image/FrameGeometry.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace nuvix::bench {

// A raw frame of the simulator's kind (0-63): background near 11 with noise, a blurred star
// in the middle of the tracking box.
inline FrameBytes RawSkyFrame()
{
    FrameBytes frame{};
    std::mt19937 random(11);
    std::normal_distribution<float> noise(0.0f, 2.4f);
    for (int y = 0; y < kFrameHeight; ++y) {
        for (int x = 0; x < kFrameWidth; ++x) {
            const float d2 = static_cast<float>((x - 160) * (x - 160) + (y - 120) * (y - 120));
            const float level = 11.0f + 36.0f * std::exp(-d2 / 50.0f) + noise(random) / 4.0f;
            frame[static_cast<size_t>((kFrameHeight - 1 - y) * kFrameWidth + x)] =
                static_cast<uint8_t>(std::clamp(static_cast<int>(level), 0, 63));
        }
    }
    return frame;
}

}  // namespace nuvix::bench
