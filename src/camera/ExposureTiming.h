#pragma once

#include "camera/CameraLink.h"

#include <cstdint>

namespace nuvix {

// Above this level the camera cannot expose long enough by itself: it is sent the longest
// brightness (255) and the host stretches the time between frames instead.
inline constexpr uint16_t kLongestShortExposureLevel = 210;
inline constexpr uint16_t kLongExposureBrightness = 255;

// The exposure time in milliseconds that a level stands for: it doubles every 16 levels.
float ExposureTimeMs(uint16_t exposureLevel);

// The length in milliseconds of a long exposure at the given level.
float LongExposureMs(uint16_t exposureLevel);

// The acquisition timer's period during long exposures: a little shorter than the exposure,
// so that the tick's busy wait ends the exposure precisely.
int LongExposureTimerPeriod(float exposureMs);

// The bound on each answer of an exchange whose frame is exposed at the brightness byte sent:
// the camera exposes between the frame request and its first answer, so the bound is that
// exposure, ExposureTimeMs(brightness) rounded up, plus kCameraAnswerBoundMs (170: 568 ms,
// 210: 882 ms). At 255 the sensor has integrated since the last reset pulse and answers at
// once: the margin alone.
int32_t AnswerBoundMs(uint8_t brightnessSent);

// While the camera is lost, the presence check waits this long for each answer: long enough
// for a camera that is there (it answers within microseconds when it is not exposing), short
// enough that the window does not freeze while nobody answers.
inline constexpr int32_t kPresenceCheckBoundMs = 10;

}  // namespace nuvix
