#include "app/ExposureDisplay.h"

#include "platform/text/NumberText.h"

#include <array>
#include <cmath>

namespace nuvix {

namespace {
// The camera's exposure is not linear in its lowest steps.
constexpr std::array<uint16_t, 16> kLowLevels = {1, 48, 64, 72, 80, 84, 88, 92, 96, 98, 100, 102, 104, 106, 108, 110};
}  // namespace

uint16_t ExposureLevelFor(uint16_t exposureStep)
{
    // A step below the table can only come from an old parameter file: it is the shortest
    // exposure the control knows.
    if (exposureStep < kLowestExposureStep) return kLowLevels.front();
    if (exposureStep < kLowestExposureStep + kLowLevels.size()) return kLowLevels[exposureStep - kLowestExposureStep];
    return exposureStep;
}

float ExposureTimeMs(uint16_t exposureLevel)
{
    // The time doubles every 16 levels (1.044274 is the sixteenth root of 2).
    return static_cast<float>(std::pow(1.044274, exposureLevel) * 0.042666666666666665 + 0.35);
}

std::string ExposureText(float exposureMs)
{
    if (exposureMs >= 200.0f) return FormatGeneral(exposureMs * 0.001, 3) + "s";
    return "1/" + FormatGeneral(1000.0 / exposureMs, 3) + "s";
}

}  // namespace nuvix
