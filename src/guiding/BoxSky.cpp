#include "guiding/BoxSky.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

namespace nuvix {

namespace {

constexpr int kSamplesWanted = 625;     // pixels the sky's median is taken from
constexpr double kMadToSigma = 1.4826;  // a normal distribution's sigma over its median absolute deviation
constexpr int kClipRounds = 4;          // of the sky's clipping, at most
// Standard deviations kept below and above the sky: stars and warm pixels lie above it.
constexpr double kBelow = 4.0;
constexpr double kAbove = 6.0;

struct Moments {
    int count;
    double sum;
    double squares;
};

// The moments of the pixels' deviations from `median` that lie within [low, high].
Moments ClippedMoments(const BoxPlane& plane, float median, double low, double high)
{
    const auto lowest = static_cast<float>(low);
    const auto highest = static_cast<float>(high);
    const size_t n = static_cast<size_t>(plane.width) * static_cast<size_t>(plane.height);
    int count = 0;
    float sum = 0.0f;
    float squares = 0.0f;
#pragma omp simd reduction(+ : count, sum, squares)
    for (size_t i = 0; i < n; ++i) {
        const float d = plane.pixels[i] - median;
        // Without branches, so that the loop takes many pixels at a time.
        const float kept = ((d >= lowest) & (d <= highest)) ? d : 0.0f;
        count += ((d >= lowest) & (d <= highest)) ? 1 : 0;
        sum += kept;
        squares += kept * kept;
    }
    return {count, sum, squares};
}

// Twice the mean square of the deviations within [low, high] that lie above `mean`: the
// variance a sky would have if it were as wide below as it is above.
double BrightSide(const std::vector<float>& deviations, double low, double high, double mean)
{
    double squares = 0.0;
    int count = 0;
    for (const float d : deviations) {
        if (d < low || d > high) continue;
        ++count;
        if (d > mean) squares += (d - mean) * (d - mean);
    }
    return count > 0 ? 2.0 * squares / count : 0.0;
}

}  // namespace

// The sky's level and noise in the box. The median and absolute deviation of a regular sample
// find the sky whatever stars and hot pixels there are; the mean and standard deviation of all
// the pixels near it then give the values an aperture's sum must be taken against. They stay
// true where the median and its deviation do not: on coarse levels (six-bit frames, where most
// pixels may share one value) and on a sky cut off at black.
BoxSky EstimateSky(const BoxPlane& plane, double quantum, std::vector<float>& deviations)
{
    const int stride = std::max(1, static_cast<int>(std::sqrt(plane.width * plane.height / double{kSamplesWanted})));
    deviations.clear();
    for (int y = stride / 2; y < plane.height; y += stride)
        for (int x = stride / 2; x < plane.width; x += stride)
            deviations.push_back(plane.At(x, y));
    const auto middle = deviations.begin() + static_cast<std::ptrdiff_t>(deviations.size() / 2);
    std::nth_element(deviations.begin(), middle, deviations.end());
    const float median = *middle;
    float smallestStep = std::numeric_limits<float>::infinity();
    for (float& d : deviations) {
        d -= median;
        if (d != 0.0f) smallestStep = std::min(smallestStep, std::fabs(d));
    }
    std::nth_element(deviations.begin(), middle, deviations.end(),
                     [](float a, float b) { return std::fabs(a) < std::fabs(b); });
    const double madSigma = kMadToSigma * std::fabs(*middle);
    double low = -kBelow * madSigma;
    double high = kAbove * madSigma;
    // Two levels either side, where the median's deviation is lost in the steps of the values.
    if (std::isfinite(smallestStep)) {
        low = std::min(low, -2.5 * smallestStep);
        high = std::max(high, 2.5 * smallestStep);
    }
    double mean = 0.0;
    double spread = 0.0;
    // Clipped at four standard deviations below and six above until they settle, so that a sky
    // cut off at black, whose median and deviation say little, is measured whole.
    for (int round = 0; round < kClipRounds; ++round) {
        const Moments m = ClippedMoments(plane, median, low, high);
        mean = m.sum / m.count;  // the median itself is always counted
        spread = std::sqrt(std::max(m.squares / m.count - mean * mean, 0.0));
        const double slack = 0.5 * spread;  // what moving the bounds by would hardly change
        if (mean - kBelow * spread > low - slack && mean + kAbove * spread < high + slack) break;
        low = std::min(low, mean - kBelow * spread);
        high = std::max(high, mean + kAbove * spread);
    }
    // Stars stand out on the bright side: where the sky's noise is lopsided (cut off at black, a
    // long tail of warm pixels), its bright side is the noise that can pass for a star. It is
    // taken as far out as the dark side, short of a bright star's wings.
    const double brightest = std::min(high, mean + kBelow * spread);
    spread = std::max(spread, std::sqrt(BrightSide(deviations, low, brightest, mean)));
    const double level = median + mean;
    // The values' own steps are noise too; floating-point values have none to speak of.
    const double floor = quantum > 0.0 ? quantum / std::sqrt(12.0)
                                       : std::numeric_limits<float>::epsilon() * std::max(1.0, std::fabs(level));
    return {level, std::max(spread, floor)};
}

}  // namespace nuvix
