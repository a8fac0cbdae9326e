#pragma once

#include "camera/ExposureTiming.h"

#include <cstdint>
#include <string>

namespace nuvix {

// The exposure control's range: the "-" button stops at the lowest step. The highest, about
// 45 seconds, is as long as an uncooled camera is useful; it also keeps the time a finite
// float, the timer period an int, and the waits of a long exposure short enough that the
// program stays usable.
inline constexpr uint16_t kLowestExposureStep = 96;
inline constexpr uint16_t kHighestExposureStep = 320;

// The exposure value sent to the camera for a step of the panel's control.
uint16_t ExposureLevelFor(uint16_t exposureStep);

// The text under "Exposition": seconds from 200 ms on ("0.989s"), a fraction below ("1/14.8s").
std::string ExposureText(float exposureMs);

}  // namespace nuvix
