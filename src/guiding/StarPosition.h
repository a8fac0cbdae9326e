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
// `linear`, when given, is the same frame as the camera gave it (320 x 240 shares of its full
// scale, bitmap order): the box is measured there, with all the camera's levels, and the
// population of six-bit pixels no longer judges the star.
StarReading ReadStar(const FrameBytes& frame, const TrackingState& tracking, const AnalysisResults& analysis,
                     StarMeasurer& measurer, const StarMeasurementSettings& settings = {},
                     const float* linear = nullptr);

}  // namespace nuvix
