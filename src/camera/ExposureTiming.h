#pragma once

#include <cstdint>

namespace nuvix {

// Above this level the camera cannot expose long enough by itself: it is sent the longest
// brightness (255) and the host stretches the time between frames instead.
inline constexpr uint16_t kLongestShortExposureLevel = 210;
inline constexpr uint16_t kLongExposureBrightness = 255;

// The length in milliseconds of a long exposure at the given level.
float LongExposureMs(uint16_t exposureLevel);

// The acquisition timer's period during long exposures: a little shorter than the exposure,
// so that the tick's busy wait ends the exposure precisely.
int LongExposureTimerPeriod(float exposureMs);

}  // namespace nuvix
