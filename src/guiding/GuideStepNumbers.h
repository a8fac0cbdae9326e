#pragma once

#include "guiding/GuideLog.h"

#include <cstdint>
#include <string>

namespace nuvix {

// The numbers of one guided frame's line, in the guide log's terms: dx, dy the star minus the
// reference; the raw distances the error after the inversion flags, positive toward west and
// south; the guide distances the pixels each pulse covers at its axis's correction speed.
struct GuideStepNumbers {
    double dx = 0.0;
    double dy = 0.0;
    double raRaw = 0.0;
    double decRaw = 0.0;
    double raGuide = 0.0;
    double decGuide = 0.0;
};

GuideStepNumbers StepNumbers(const GuideLogFrame& frame, const GuideLogSession& session);

// A guided frame whose star was lost (too few pixels) or swamped (too many): the format's error
// code and the description, with the population.
struct DroppedStar {
    int errorCode = 0;
    std::string description;
};
DroppedStar DropOf(int32_t population);

}  // namespace nuvix
