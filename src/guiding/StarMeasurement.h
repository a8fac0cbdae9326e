#pragma once

#include "image/FrameGeometry.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace nuvix {

// The pixels of a tracking box as the measurement reads them, whatever their type: the
// pipeline's scaled bytes (0-252), a camera's 16-bit counts, floating-point shares of full scale.
template <typename Pixel>
struct BoxPixels {
    const Pixel* first = nullptr;  // the box's top-left pixel
    int width = 0;
    int height = 0;
    std::ptrdiff_t rowStep = 0;  // from a pixel to the one below it: negative in bottom-up buffers
    int left = 0;                // where `first` lies in the picture
    int top = 0;
};

// The part of a square box (corner in picture pixels, y downward) that lies in a 320 x 240
// buffer stored bottom row first, as every frame of the system is.
template <typename Pixel>
BoxPixels<Pixel> BoxInFrame(const Pixel* frame, int boxLeft, int boxTop, int boxSize)
{
    BoxPixels<Pixel> box;
    box.left = std::max(boxLeft, 0);
    box.top = std::max(boxTop, 0);
    box.width = std::max(std::min(boxLeft + boxSize, kFrameWidth) - box.left, 0);
    box.height = std::max(std::min(boxTop + boxSize, kFrameHeight) - box.top, 0);
    if (box.width == 0 || box.height == 0) return box;
    box.first = frame + std::ptrdiff_t{kFrameHeight - 1 - box.top} * kFrameWidth + box.left;
    box.rowStep = -kFrameWidth;
    return box;
}

struct StarMeasurementSettings {
    double minSnr = 6.0;  // fainter is noise, or a star too faint to guide on
    double minHfd = 1.5;  // pixels: narrower is a hot pixel, not a star
};

enum class StarVerdict {
    Found,
    NoPixels,  // too little of the box lies in the picture
    Faint,     // nothing stands out of the noise by the signal-to-noise threshold
    Narrow,    // what stands out is narrower than a star: a hot pixel
};

// The guide star in the box, measured to a fraction of a pixel.
struct MeasuredStar {
    StarVerdict verdict = StarVerdict::NoPixels;
    double x = 0.0;  // picture pixels, a pixel's centre at its whole coordinates
    double y = 0.0;
    double mass = 0.0;        // flux above the background in the star's aperture, pixel values
    double snr = 0.0;         // mass over the noise of the aperture's pixels
    double hfd = 0.0;         // half-flux diameter, pixels
    double background = 0.0;  // per pixel, pixel values
    double noise = 0.0;       // per pixel (one standard deviation), pixel values
    bool Found() const { return verdict == StarVerdict::Found; }
};

// Measures the brightest star of a box: background and noise from the box's pixels (clipped
// around their median, so that stars and hot pixels do not count), the peak where the pixels
// around it are brightest (a lone hot pixel does not make a peak, and a cluster of them that
// outshines the star is passed over), a centroid weighted by a window matched to the star's
// width (insensitive to the background and to stars outside the window), then the mass,
// signal-to-noise ratio and half-flux diameter in an aperture of 1.5 half-flux diameters around
// the centroid. Keeps its working memory from frame to frame.
class StarMeasurer {
public:
    template <typename Pixel>
    MeasuredStar Measure(const BoxPixels<Pixel>& box, const StarMeasurementSettings& settings = {});

private:
    MeasuredStar MeasurePixels(int width, int height, int left, int top, double quantum,
                               const StarMeasurementSettings& settings);

    std::vector<float> pixels_;  // the box, top row first, `width` per row
    std::vector<float> samples_;
    std::vector<float> rowSums_;
    std::vector<float> rowMaxima_;
    std::vector<float> around_;
    std::vector<std::pair<size_t, float>> lowered_;
};

extern template MeasuredStar StarMeasurer::Measure(const BoxPixels<uint8_t>&, const StarMeasurementSettings&);
extern template MeasuredStar StarMeasurer::Measure(const BoxPixels<uint16_t>&, const StarMeasurementSettings&);
extern template MeasuredStar StarMeasurer::Measure(const BoxPixels<float>&, const StarMeasurementSettings&);

}  // namespace nuvix
