#include "app/ExposureDisplay.h"

#include "platform/text/NumberText.h"

#include <array>

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

std::string ExposureText(float exposureMs)
{
    if (exposureMs >= 200.0f) return FormatGeneral(exposureMs * 0.001, 3) + "s";
    return "1/" + FormatGeneral(1000.0 / exposureMs, 3) + "s";
}

}  // namespace nuvix
