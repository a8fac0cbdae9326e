#pragma once

#include "guiding/TrackingState.h"

#include <cstdint>

namespace nuvix {

// The guide star on the latest frame, for the guiding of a mount that takes timed pulses (its
// calibration and its guided frames) and for the guide log.
struct StarReading {
    bool found = false;    // a usable star: neither lost nor swamped
    bool swamped = false;  // too many star pixels
    double x = 0.0;        // picture pixels
    double y = 0.0;
    int32_t mass = 0;
    double snr = 0.0;
};

// The one place the star's position and measure are taken from. Today: the star analysis's
// whole-pixel position and population, and a signal-to-noise ratio from the box's histogram.
StarReading ReadStar(const TrackingState& tracking, const AnalysisResults& analysis);

}  // namespace nuvix
