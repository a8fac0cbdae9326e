#pragma once

#include "guiding/GuidePulseSink.h"

#include <cstdint>
#include <string>

namespace nuvix {

// What a step's numbers need of the guiding session of the system's own outputs.
struct GuideLogSession {
    float arcsecPerPixel = 0.0f;
    double raSpeed = 0.0;  // arc seconds per second
    double decSpeed = 0.0;
    bool invertRa = false;
    bool invertDec = false;
};

// One guided frame as the system's outputs saw it.
struct GuideLogFrame {
    int32_t deltaX = 0;  // reference minus star, picture pixels
    int32_t deltaY = 0;
    bool invertRa = false;
    bool invertDec = false;
    FramePulses pulses;
    int32_t population = 0;  // star pixels in the box
};

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
// The same for a star the measurement lost (`lost`) or the analysis found swamped.
DroppedStar DropOf(bool lost, int32_t population);

}  // namespace nuvix
