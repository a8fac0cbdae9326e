#pragma once

#include "image/FrameGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <type_traits>
#include <vector>

namespace nuvix::test {

// A star as a camera records it: a Gaussian of half-flux diameter `hfd` integrated over each
// pixel, centred at (x, y) in picture pixels, holding `flux` in all.
struct SyntheticStar {
    double x = 0.0;
    double y = 0.0;
    double hfd = 3.0;
    double flux = 0.0;
    double At(int px, int py) const
    {
        const double s = hfd / 2.3548 * std::sqrt(2.0);
        auto share = [s](double from, double to) { return 0.5 * (std::erf(to / s) - std::erf(from / s)); };
        return flux * share(px - 0.5 - x, px + 0.5 - x) * share(py - 0.5 - y, py + 0.5 - y);
    }
};

// The flux a star needs for a signal-to-noise ratio in an aperture of 1.5 half-flux diameters,
// on a sky of `noise` per pixel recorded in whole steps of `quantum`.
inline double FluxFor(double snr, double hfd, double noise, double quantum)
{
    const double radius = 1.5 * hfd;
    return snr * std::sqrt(noise * noise + quantum * quantum / 12.0) * std::sqrt(M_PI) * radius;
}

// A 320 x 240 picture, bottom row first like every frame of the system: sky, noise and stars,
// each pixel rounded (integer pixels) and kept within 0..top, then multiplied by `scale` (4 for
// the pipeline's six-bit frames as the star analysis sees them). Only the middle 120 x 120, where
// the tests' boxes lie, is drawn; the rest is black.
template <typename Pixel>
std::vector<Pixel> Picture(double sky, double noise, const std::vector<SyntheticStar>& stars, unsigned seed, double top,
                           int scale = 1)
{
    std::vector<Pixel> picture(kFramePixels);
    std::mt19937 random(seed);
    std::normal_distribution<double> gauss(0.0, 1.0);
    for (int y = 60; y < 180; ++y) {
        for (int x = 100; x < 220; ++x) {
            double v = sky + noise * gauss(random);
            for (const SyntheticStar& star : stars)
                if (std::abs(x - star.x) < 25 && std::abs(y - star.y) < 25) v += star.At(x, y);
            const double level = std::clamp(std::is_integral_v<Pixel> ? std::round(v) : v, 0.0, top);
            picture[static_cast<size_t>((kFrameHeight - 1 - y) * kFrameWidth + x)] = static_cast<Pixel>(level * scale);
        }
    }
    return picture;
}

}  // namespace nuvix::test
