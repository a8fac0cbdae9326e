#pragma once

#include "guiding/StarMeasurement.h"
#include "guiding/TrackingState.h"
#include "image/FrameGeometry.h"

#include <cstdint>

namespace nuvix {

// The guide star on the latest frame, for the guiding of a mount that takes timed pulses (its
// calibration and its guided frames) and for the guide log.
struct StarReading {
    bool found = false;    // a star measured in the box
    bool swamped = false;  // too many star pixels for the system's own analysis
    double x = 0.0;        // picture pixels, to a fraction of one
    double y = 0.0;
    double mass = 0.0;
    double snr = 0.0;
    int32_t population = 0;  // the system's count of star pixels
};

// The one place the star's position and measure are taken from, once per frame after the
// system's analysis: the sub-pixel measurement of the tracking box, and the analysis's population.
StarReading ReadStar(const FrameBytes& frame, const TrackingState& tracking, const AnalysisResults& analysis,
                     StarMeasurer& measurer);

}  // namespace nuvix
