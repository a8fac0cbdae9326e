#include "guiding/StarPosition.h"

#include "guiding/StarAnalysis.h"

namespace nuvix {

StarReading ReadStar(const FrameBytes& frame, const TrackingState& tracking, const AnalysisResults& analysis,
                     StarMeasurer& measurer)
{
    const MeasuredStar measured =
        measurer.Measure(BoxInFrame(frame.data(), tracking.boxLeft, tracking.boxTop, TrackingState::kBoxSize));
    StarReading star;
    star.population = analysis.population;
    star.swamped = analysis.population > kMostStarPixels;
    star.found = measured.Found() && !star.swamped;
    star.x = measured.x;
    star.y = measured.y;
    star.mass = measured.mass;
    star.snr = measured.snr;
    return star;
}

}  // namespace nuvix
