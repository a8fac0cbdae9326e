#include "camera/ExposureTiming.h"

#include <cmath>

namespace nuvix {

float ExposureTimeMs(uint16_t exposureLevel)
{
    // 1.044274 is the sixteenth root of 2.
    return static_cast<float>(std::pow(1.044274, exposureLevel) * 0.042666666666666665 + 0.35);
}

float LongExposureMs(uint16_t exposureLevel)
{
    return static_cast<float>(std::pow(1.044274L, exposureLevel) * 16.0L / 375.0L + 0.34L);
}

int LongExposureTimerPeriod(float exposureMs)
{
    return static_cast<int>(exposureMs) - 10;
}

int32_t AnswerBoundMs(uint8_t brightnessSent)
{
    if (brightnessSent == kLongExposureBrightness) return kCameraAnswerBoundMs;
    return static_cast<int32_t>(std::ceil(ExposureTimeMs(brightnessSent))) + kCameraAnswerBoundMs;
}

}  // namespace nuvix
