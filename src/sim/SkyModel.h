#pragma once

#include <array>
#include <cstdint>

namespace nuvix::sim {

inline constexpr int kSensorWidth = 320;
inline constexpr int kSensorHeight = 240;
using SensorImage = std::array<uint8_t, kSensorWidth * kSensorHeight>;

// What the camera asks of the scene for one frame.
struct Exposure {
    double milliseconds;   // integration time
    uint8_t contrast;      // gain: scales the signal
    uint8_t whiteBalance;  // black level: shifts the signal
    int64_t timeNs;        // when the exposure ends, for the mount's drift
};

// The scene in front of the simulated camera. It renders six-bit pixels (0-63) in
// picture order: row 0 is the top row, column 0 the left column.
class SkyModel {
public:
    virtual ~SkyModel() = default;
    virtual void Render(const Exposure& exposure, SensorImage& out) = 0;
};

}  // namespace nuvix::sim
