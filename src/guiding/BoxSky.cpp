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

struct Moments {
    int count;
    double sum;
    double squares;
    double brightSide;  // squares of the deviations above `centre`
};

// The moments of the pixels' deviations from `median` that lie within [low, high].
Moments ClippedMoments(const BoxPlane& plane, float median, double low, double high, double centre)
{
    const auto lowest = static_cast<float>(low);
    const auto highest = static_cast<float>(high);
    const auto middle = static_cast<float>(centre);
    const size_t n = static_cast<size_t>(plane.width) * static_cast<size_t>(plane.height);
    int count = 0;
    float sum = 0.0f;
    float squares = 0.0f;
    float brightSide = 0.0f;
#pragma omp simd reduction(+ : count, sum, squares, brightSide)
    for (size_t i = 0; i < n; ++i) {
        const float d = plane.pixels[i] - median;
        // Without branches, so that the loop takes many pixels at a time.
        const float in = ((d >= lowest) & (d <= highest)) ? 1.0f : 0.0f;
        const float above = std::max(d - middle, 0.0f) * in;
        const float kept = d * in;
        count += static_cast<int>(in);
        sum += kept;
        squares += kept * d;
        brightSide += above * above;
    }
    return {count, sum, squares, brightSide};
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
    double low = -4.0 * kMadToSigma * std::fabs(*middle);
    // Two levels either side, where the median's deviation is lost in the steps of the values.
    if (std::isfinite(smallestStep)) low = std::min(low, -2.5 * smallestStep);
    double high = -low;
    double mean = 0.0;
    double spread = 0.0;
    double brightSide = 0.0;
    // Clipped at four standard deviations below and six above until they settle, so that a sky
    // cut off at black, whose median and deviation say little, is measured whole.
    for (int round = 0; round < kClipRounds; ++round) {
        const Moments m = ClippedMoments(plane, median, low, high, mean);
        // Stars stand out on the bright side: where the sky's noise is lopsided (cut off at black,
        // a long tail of warm pixels), its bright side is the noise that can pass for a star.
        brightSide = std::sqrt(2.0 * m.brightSide / m.count);
        mean = m.sum / m.count;  // the median itself is always counted
        spread = std::sqrt(std::max(m.squares / m.count - mean * mean, 0.0));
        const double slack = 0.1 * spread;  // what moving the bounds by would not change
        if (mean - 4.0 * spread > low - slack && mean + 6.0 * spread < high + slack) break;
        low = std::min(low, mean - 4.0 * spread);
        high = std::max(high, mean + 6.0 * spread);
    }
    spread = std::max(spread, brightSide);
    const double level = median + mean;
    // The values' own steps are noise too; floating-point values have none to speak of.
    const double floor = quantum > 0.0 ? quantum / std::sqrt(12.0)
                                       : std::numeric_limits<float>::epsilon() * std::max(1.0, std::fabs(level));
    return {level, std::max(spread, floor)};
}

}  // namespace nuvix
