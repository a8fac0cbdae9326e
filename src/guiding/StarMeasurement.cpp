#include "guiding/StarMeasurement.h"

#include "guiding/BoxSky.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <type_traits>

namespace nuvix {

namespace {

constexpr int kSmallestBox = 7;          // pixels a side: less cannot hold a star and its sky
constexpr int kWidestRadius = 20;        // of the star's window and aperture, pixels
constexpr double kHfdPerSigma = 2.3548;  // a Gaussian star's half-flux diameter over its sigma
constexpr double kApertureHfds = 1.5;    // a Gaussian star's whole flux, bar 0.2 %
constexpr double kSmallestAperture = 3.0;
constexpr int kMostIterations = 25;
constexpr int kCandidates = 3;         // peaks tried when the brightest is narrower than a star
constexpr double kClusterReach = 2.5;  // pixels from a covered cluster where a peak is still part of it
constexpr double kSettled = 1e-3;      // pixels: the centroid has stopped moving
// Each step of the centroid goes this far toward the window's weighted mean and beyond: twice is
// one step for a star as wide as the window but hunts forever on a point; 1.5 settles on both.
constexpr double kStepGain = 1.5;
constexpr double kSquareBin = 0.5;  // squared pixels of squared radius per bin of the aperture's flux
constexpr int kSquareBins = static_cast<int>(kWidestRadius * kWidestRadius / kSquareBin) + 1;

struct Point {
    double x;
    double y;
};

// Where the box is brightest: the largest sum of a pixel's 3 x 3 neighbourhood less its brightest
// pixel, so that one hot pixel, however bright, never makes a peak.
Point FindPeak(const BoxPlane& plane, std::vector<float>& sums, std::vector<float>& maxima, std::vector<float>& around)
{
    const int w = plane.width;
    // Only the columns between the first and the last are written, and read.
    sums.resize(static_cast<size_t>(w * plane.height));
    maxima.resize(sums.size());
    for (int y = 0; y < plane.height; ++y) {
        const float* row = plane.pixels + static_cast<ptrdiff_t>(y) * w;
        float* sum = sums.data() + static_cast<ptrdiff_t>(y) * w;
        float* most = maxima.data() + static_cast<ptrdiff_t>(y) * w;
        for (int x = 1; x + 1 < w; ++x) {
            sum[x] = row[x - 1] + row[x] + row[x + 1];
            most[x] = std::max(std::max(row[x - 1], row[x]), row[x + 1]);
        }
    }
    Point peak{w / 2.0, plane.height / 2.0};
    float best = -std::numeric_limits<float>::infinity();
    around.resize(static_cast<size_t>(w));
    for (int y = 1; y + 1 < plane.height; ++y) {
        const size_t here = static_cast<size_t>(y) * static_cast<size_t>(w);
        const size_t up = here - static_cast<size_t>(w);
        const size_t down = here + static_cast<size_t>(w);
        // The row first, and whether it beats the best so far, in loops that take many pixels at a
        // time; only then where.
        int brighter = 0;
        for (int x = 1; x + 1 < w; ++x) {
            const float value = sums[up + x] + sums[here + x] + sums[down + x] -
                                std::max(std::max(maxima[up + x], maxima[here + x]), maxima[down + x]);
            around[static_cast<size_t>(x)] = value;
            brighter |= value > best ? 1 : 0;
        }
        if (brighter == 0) continue;
        for (int x = 1; x + 1 < w; ++x) {
            if (around[static_cast<size_t>(x)] > best) {
                best = around[static_cast<size_t>(x)];
                peak = {static_cast<double>(x), static_cast<double>(y)};
            }
        }
    }
    return peak;
}

// Pixels far brighter than all eight around them are hot pixels, not starlight: near the peak
// they are lowered to their brightest neighbour, so that none pulls the centroid. The core of a
// star holds at most a few times its neighbours' light, plus the noise. `maxima` holds each
// pixel's brightest of itself and its neighbours in its row, as the peak search left them.
void LowerHotPixels(std::vector<float>& pixels, const std::vector<float>& maxima, int width, int height, Point peak,
                    const BoxSky& sky, std::vector<std::pair<size_t, float>>& lowered)
{
    lowered.clear();
    const int px = static_cast<int>(peak.x);
    const int py = static_cast<int>(peak.y);
    const auto w = static_cast<size_t>(width);
    const auto sky0 = static_cast<float>(sky.level);
    const auto margin = static_cast<float>(5.0 * sky.noise);
    const int x0 = std::max(px - kWidestRadius, 1);
    const int x1 = std::min(px + kWidestRadius, width - 2);
    const auto hot = [&](size_t i) {
        const float brightest =
            std::max(std::max(maxima[i - w], maxima[i + w]), std::max(pixels[i - 1], pixels[i + 1]));
        return pixels[i] - brightest > 3.0f * std::max(brightest - sky0, 0.0f) + margin;
    };
    for (int y = std::max(py - kWidestRadius, 1); y <= std::min(py + kWidestRadius, height - 2); ++y) {
        const size_t row = static_cast<size_t>(y) * w;
        // Whether the row has any, many pixels at a time; then which.
        int any = 0;
#pragma omp simd reduction(| : any)
        for (int x = x0; x <= x1; ++x)
            any |= hot(row + static_cast<size_t>(x)) ? 1 : 0;
        if (any == 0) continue;
        for (int x = x0; x <= x1; ++x) {
            const size_t i = row + static_cast<size_t>(x);
            if (hot(i))
                lowered.emplace_back(
                    i, std::max(std::max(maxima[i - w], maxima[i + w]), std::max(pixels[i - 1], pixels[i + 1])));
        }
    }
    for (const auto& [index, value] : lowered)
        pixels[index] = value;
}

// Which ring of whole radius each squared distance out to the widest radius falls in.
constexpr int kFarthest = kWidestRadius * kWidestRadius + kWidestRadius;  // 20.5 squared, less a quarter
const std::array<uint8_t, kFarthest + 1>& Rings()
{
    static const auto rings = [] {
        std::array<uint8_t, kFarthest + 1> table{};
        for (int d2 = 0; d2 <= kFarthest; ++d2)
            table[static_cast<size_t>(d2)] = static_cast<uint8_t>(std::lround(std::sqrt(static_cast<double>(d2))));
        return table;
    }();
    return rings;
}

// A first half-flux diameter, from the flux in rings one pixel wide around the peak, out to the
// first ring that no longer stands out of the noise or that brightens again (another star); 0
// when there is no flux. It sets the width of the centroid's window and the aperture.
double FirstHfd(const BoxPlane& plane, Point peak, const BoxSky& sky)
{
    std::array<double, kWidestRadius + 1> flux{};
    std::array<int, kWidestRadius + 1> pixels{};
    const int px = static_cast<int>(peak.x);
    const int py = static_cast<int>(peak.y);
    const auto& rings = Rings();
    for (int y = std::max(py - kWidestRadius, 0); y <= std::min(py + kWidestRadius, plane.height - 1); ++y) {
        for (int x = std::max(px - kWidestRadius, 0); x <= std::min(px + kWidestRadius, plane.width - 1); ++x) {
            const int d2 = (x - px) * (x - px) + (y - py) * (y - py);
            if (d2 > kFarthest) continue;
            const size_t ring = rings[static_cast<size_t>(d2)];
            flux[ring] += plane.At(x, y) - sky.level;
            ++pixels[ring];
        }
    }
    size_t last = 0;
    for (size_t k = 1; k <= kWidestRadius && pixels[k] > 0; ++k) {
        const double mean = flux[k] / pixels[k];
        const double margin = 2.0 * sky.noise / std::sqrt(static_cast<double>(pixels[k]));
        if (k > 1 && mean > flux[k - 1] / pixels[k - 1] + margin) break;
        last = k;
        if (mean < margin) break;
    }
    double total = 0.0;
    for (size_t k = 0; k <= last; ++k)
        total += flux[k];
    if (!(total > 0.0)) return 0.0;
    double inside = 0.0;
    for (size_t k = 0; k <= last; ++k) {
        if (flux[k] > 0.0 && inside + flux[k] >= total / 2.0) {
            const double inner = k == 0 ? 0.0 : k - 0.5;
            return 2.0 * (inner + (total / 2.0 - inside) / flux[k] * (k + 0.5 - inner));
        }
        inside += flux[k];
    }
    return 2.0 * (last + 0.5);
}

// The centroid weighted by a Gaussian window that follows it until the window's first moment
// vanishes: for any symmetric star that is the star's centre, a constant sky cancels, and the
// faint pixels far from the star, which only add noise, weigh little. Empty when the window
// holds no flux or wanders off the peak, as it does on noise.
std::optional<Point> WindowedCentroid(const BoxPlane& plane, Point peak, const BoxSky& sky, double sigma)
{
    const int reach = std::min(kWidestRadius, static_cast<int>(std::ceil(3.0 * sigma)));
    const double inverse = 1.0 / (2.0 * sigma * sigma);
    std::array<float, 2 * kWidestRadius + 1> across{};
    std::array<float, 2 * kWidestRadius + 1> offsets{};
    std::array<double, 2 * kWidestRadius + 1> down{};
    const auto sky0 = static_cast<float>(sky.level);
    Point c = peak;
    for (int iteration = 0; iteration < kMostIterations; ++iteration) {
        const int x0 = std::max(static_cast<int>(std::lround(c.x)) - reach, 0);
        const int x1 = std::min(static_cast<int>(std::lround(c.x)) + reach, plane.width - 1);
        const int y0 = std::max(static_cast<int>(std::lround(c.y)) - reach, 0);
        const int y1 = std::min(static_cast<int>(std::lround(c.y)) + reach, plane.height - 1);
        // A Gaussian window is the product of one across and one down.
        for (int x = x0; x <= x1; ++x) {
            offsets[static_cast<size_t>(x - x0)] = static_cast<float>(x - c.x);
            across[static_cast<size_t>(x - x0)] = static_cast<float>(std::exp(-(x - c.x) * (x - c.x) * inverse));
        }
        for (int y = y0; y <= y1; ++y)
            down[static_cast<size_t>(y - y0)] = std::exp(-(y - c.y) * (y - c.y) * inverse);
        double s0 = 0.0;
        double sx = 0.0;
        double sy = 0.0;
        const int n = x1 - x0 + 1;
        for (int y = y0; y <= y1; ++y) {
            const float* pixels =
                &plane.pixels[static_cast<size_t>(y) * static_cast<size_t>(plane.width) + static_cast<size_t>(x0)];
            float row0 = 0.0f;
            float rowX = 0.0f;
#pragma omp simd reduction(+ : row0, rowX)
            for (int i = 0; i < n; ++i) {
                const float v = (pixels[i] - sky0) * across[static_cast<size_t>(i)];
                row0 += v;
                rowX += v * offsets[static_cast<size_t>(i)];
            }
            const double weight = down[static_cast<size_t>(y - y0)];
            s0 += weight * row0;
            sx += weight * rowX;
            sy += weight * row0 * (y - c.y);
        }
        if (!(s0 > 0.0)) return std::nullopt;
        const Point step{kStepGain * sx / s0, kStepGain * sy / s0};
        c = {c.x + step.x, c.y + step.y};
        if (std::hypot(c.x - peak.x, c.y - peak.y) > reach) return std::nullopt;
        if (std::fabs(step.x) < kSettled && std::fabs(step.y) < kSettled) break;
    }
    return c;
}

// Mass, signal-to-noise ratio and half-flux diameter in a circular aperture around the centroid.
// The flux is gathered by squared distance, in which a disc's area grows evenly.
void MeasureAperture(const BoxPlane& plane, Point c, const BoxSky& sky, double radius, MeasuredStar& star)
{
    std::array<double, kSquareBins> byArea{};
    double mass = 0.0;
    int count = 0;
    const double outer = radius * radius;
    for (int y = std::max(static_cast<int>(std::ceil(c.y - radius)), 0);
         y <= std::min(static_cast<int>(std::floor(c.y + radius)), plane.height - 1); ++y) {
        const double dy2 = (y - c.y) * (y - c.y);
        const double half = std::sqrt(std::max(outer - dy2, 0.0));
        const int x1 = std::min(static_cast<int>(std::floor(c.x + half)), plane.width - 1);
        for (int x = std::max(static_cast<int>(std::ceil(c.x - half)), 0); x <= x1; ++x) {
            const double d2 = (x - c.x) * (x - c.x) + dy2;
            const double v = plane.At(x, y) - sky.level;
            mass += v;
            ++count;
            byArea[std::min(static_cast<size_t>(d2 / kSquareBin), byArea.size() - 1)] += v;
        }
    }
    star.mass = mass;
    star.snr = count > 0 ? mass / (sky.noise * std::sqrt(static_cast<double>(count))) : 0.0;
    star.hfd = 0.0;
    if (!(mass > 0.0)) return;
    double inside = 0.0;
    for (size_t bin = 0; bin < byArea.size(); ++bin) {
        if (byArea[bin] > 0.0 && inside + byArea[bin] >= mass / 2.0) {
            star.hfd = 2.0 * std::sqrt(kSquareBin * (bin + (mass / 2.0 - inside) / byArea[bin]));
            return;
        }
        inside += byArea[bin];
    }
}

// The star grown from a peak: its first width, its centroid, then what its aperture holds.
MeasuredStar MeasureFromPeak(const BoxPlane& plane, Point peak, const BoxSky& sky,
                             const StarMeasurementSettings& settings)
{
    MeasuredStar star;
    star.verdict = StarVerdict::Faint;
    star.x = peak.x;
    star.y = peak.y;
    const double hfd = FirstHfd(plane, peak, sky);
    if (!(hfd > 0.0)) return star;
    const double sigma = std::clamp(hfd / kHfdPerSigma, 0.6, kWidestRadius / 4.0);
    const std::optional<Point> centre = WindowedCentroid(plane, peak, sky, sigma);
    if (!centre) return star;
    star.x = centre->x;
    star.y = centre->y;
    const double radius = std::clamp(kApertureHfds * hfd, kSmallestAperture, double{kWidestRadius});
    MeasureAperture(plane, *centre, sky, radius, star);
    if (star.snr >= settings.minSnr)
        star.verdict = star.hfd >= settings.minHfd ? StarVerdict::Found : StarVerdict::Narrow;
    return star;
}

// Pixels within a pixel of `centre` take the median of those two to three pixels away: a
// cluster of hot pixels disappears into what lies around it, a neighbouring star's light included.
void CoverCluster(std::vector<float>& pixels, int width, int height, Point centre)
{
    std::array<float, 64> ring{};
    size_t count = 0;
    const int cx = static_cast<int>(std::lround(centre.x));
    const int cy = static_cast<int>(std::lround(centre.y));
    const auto at = [&](int x, int y) -> float& {
        return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    };
    for (int pass = 0; pass < 2; ++pass) {
        for (int y = std::max(cy - 4, 0); y <= std::min(cy + 4, height - 1); ++y) {
            for (int x = std::max(cx - 4, 0); x <= std::min(cx + 4, width - 1); ++x) {
                const double d2 = (x - centre.x) * (x - centre.x) + (y - centre.y) * (y - centre.y);
                if (pass == 0 && d2 >= 4.0 && d2 <= 9.0 && count < ring.size()) ring[count++] = at(x, y);
                if (pass == 1 && d2 <= 1.0) at(x, y) = ring[count / 2];
            }
        }
        if (pass == 0) {
            if (count == 0) return;
            std::nth_element(ring.begin(), ring.begin() + static_cast<std::ptrdiff_t>(count / 2),
                             ring.begin() + static_cast<std::ptrdiff_t>(count));
        }
    }
}

}  // namespace

MeasuredStar StarMeasurer::MeasurePixels(int width, int height, int left, int top, double quantum,
                                         const StarMeasurementSettings& settings)
{
    const BoxPlane plane{pixels_.data(), width, height};
    const BoxSky sky = EstimateSky(plane, quantum, samples_);
    MeasuredStar star;
    std::array<Point, kCandidates> covered{};
    for (int candidate = 0; candidate < kCandidates; ++candidate) {
        const Point peak = FindPeak(plane, rowSums_, rowMaxima_, around_);
        // What is left beside a covered cluster is the rest of it, such as the wings of a star
        // too sharp to tell from a hot pixel: no guide star.
        const auto beside = [peak](Point c) { return std::hypot(peak.x - c.x, peak.y - c.y) < kClusterReach; };
        if (std::any_of(covered.begin(), covered.begin() + candidate, beside)) break;
        LowerHotPixels(pixels_, rowMaxima_, width, height, peak, sky, lowered_);
        const MeasuredStar next = MeasureFromPeak(plane, peak, sky, settings);
        // When no star is found, what outshone everything says why.
        if (candidate == 0 || next.Found()) star = next;
        if (next.verdict != StarVerdict::Narrow) break;
        // A cluster of hot pixels outshone the star: covered, it leaves the star brightest.
        covered[static_cast<size_t>(candidate)] = {next.x, next.y};
        CoverCluster(pixels_, width, height, covered[static_cast<size_t>(candidate)]);
    }
    star.x += left;
    star.y += top;
    star.background = sky.level;
    star.noise = sky.noise;
    return star;
}

template <typename Pixel>
MeasuredStar StarMeasurer::Measure(const BoxPixels<Pixel>& box, const StarMeasurementSettings& settings)
{
    if (box.first == nullptr || box.width < kSmallestBox || box.height < kSmallestBox) return {};
    pixels_.resize(static_cast<size_t>(box.width) * static_cast<size_t>(box.height));
    float* out = pixels_.data();
    for (int y = 0; y < box.height; ++y) {
        const Pixel* row = box.first + y * box.rowStep;
        for (int x = 0; x < box.width; ++x) {
            const auto v = static_cast<float>(row[x]);
            // A picture's missing pixels (not-a-number in FITS) are left dark.
            *out++ = std::isfinite(v) ? v : 0.0f;
        }
    }
    const double quantum = std::is_integral_v<Pixel> ? 1.0 : 0.0;
    return MeasurePixels(box.width, box.height, box.left, box.top, quantum, settings);
}

template MeasuredStar StarMeasurer::Measure(const BoxPixels<uint8_t>&, const StarMeasurementSettings&);
template MeasuredStar StarMeasurer::Measure(const BoxPixels<uint16_t>&, const StarMeasurementSettings&);
template MeasuredStar StarMeasurer::Measure(const BoxPixels<float>&, const StarMeasurementSettings&);

}  // namespace nuvix
