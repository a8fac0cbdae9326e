#include "guiding/StarPosition.h"

#include "guiding/StarAnalysis.h"

namespace nuvix {

StarReading ReadStar(const FrameBytes& frame, const TrackingState& tracking, const AnalysisResults& analysis,
                     StarMeasurer& measurer, const StarMeasurementSettings& settings, const float* linear)
{
    const int size = TrackingState::kBoxSize;
    const MeasuredStar measured =
        linear ? measurer.Measure(BoxInFrame(linear, tracking.boxLeft, tracking.boxTop, size), settings)
               : measurer.Measure(BoxInFrame(frame.data(), tracking.boxLeft, tracking.boxTop, size), settings);
    StarReading star;
    star.population = analysis.population;
    star.swamped = !linear && analysis.population > kMostStarPixels;
    star.found = measured.Found() && !star.swamped;
    star.x = measured.x;
    star.y = measured.y;
    star.mass = measured.mass;
    star.snr = measured.snr;
    return star;
}

}  // namespace nuvix
