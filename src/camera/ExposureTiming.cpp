#include "camera/ExposureTiming.h"

#include <cmath>

namespace nuvix {

float LongExposureMs(uint16_t exposureLevel)
{
    return static_cast<float>(std::pow(1.044274L, exposureLevel) * 16.0L / 375.0L + 0.34L);
}

int LongExposureTimerPeriod(float exposureMs)
{
    return static_cast<int>(exposureMs) - 10;
}

}  // namespace nuvix
