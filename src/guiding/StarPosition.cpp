#include "guiding/StarPosition.h"

#include "guiding/StarAnalysis.h"

#include <algorithm>
#include <cmath>

namespace nuvix {

namespace {

// The star's peak over the background's spread, both from the box's 64-level histogram: the
// background is its fullest level, its spread the deviation of the levels up to the threshold.
double HistogramSnr(const AnalysisResults& analysis)
{
    const auto& counts = analysis.boxHistogram;
    const auto fullest = std::max_element(counts.begin(), counts.end());
    const int background = static_cast<int>(fullest - counts.begin());
    double pixels = 0.0;
    double squares = 0.0;
    for (int level = 0; level <= std::min<int>(analysis.autoThreshold, 63); ++level) {
        const double n = counts[static_cast<size_t>(level)];
        pixels += n;
        squares += n * (level - background) * (level - background);
    }
    const double spread = std::max(pixels > 0.0 ? std::sqrt(squares / pixels) : 0.0, 0.5);
    return std::max(0.0, (analysis.peakLevel - background) / spread);
}

}  // namespace

StarReading ReadStar(const TrackingState& tracking, const AnalysisResults& analysis)
{
    StarReading star;
    star.mass = analysis.population;
    star.found = !StarLost(analysis.population);
    star.swamped = analysis.population > kMostStarPixels;
    star.x = tracking.boxLeft + tracking.starX;
    star.y = tracking.boxTop + tracking.starY;
    star.snr = star.found ? HistogramSnr(analysis) : 0.0;
    return star;
}

}  // namespace nuvix
