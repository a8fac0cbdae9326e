#include "guiding/GuideStepNumbers.h"

#include "guiding/StarAnalysis.h"

#include <cmath>

namespace nuvix {

namespace {

// Pixels a pulse covers at a correction speed; 0 without a scale.
double PulsePixels(const GuidePulse& pulse, double speed, float arcsecPerPixel)
{
    if (!(arcsecPerPixel > 0.0f)) return 0.0;
    return pulse.ms / 1000.0 * speed / arcsecPerPixel;
}

// The format's error codes for a frame without a usable star.
constexpr int kLowMass = 3;
constexpr int kStarError = 6;

}  // namespace

DroppedStar DropOf(int32_t population)
{
    return DropOf(population < kFewestStarPixels, population);
}

DroppedStar DropOf(bool lost, int32_t population)
{
    return {lost ? kLowMass : kStarError,
            (lost ? "Étoile perdue (" : "Étoile noyée (") + std::to_string(population) + " pixels)"};
}

GuideStepNumbers StepNumbers(const GuideLogFrame& frame, const GuideLogSession& session)
{
    GuideStepNumbers n;
    // 0.0 minus, not a negation: no error of -0.
    n.dx = 0.0 - frame.deltaX;
    n.dy = 0.0 - frame.deltaY;
    n.raRaw = frame.invertRa ? frame.deltaX : n.dx;
    n.decRaw = frame.invertDec ? frame.deltaY : n.dy;
    n.raGuide = std::copysign(PulsePixels(frame.pulses.ra, session.raSpeed, session.arcsecPerPixel), n.raRaw);
    n.decGuide = std::copysign(PulsePixels(frame.pulses.dec, session.decSpeed, session.arcsecPerPixel), n.decRaw);
    return n;
}

}  // namespace nuvix
