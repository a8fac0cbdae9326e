#pragma once

#include <cstddef>
#include <vector>

namespace nuvix {

// A box's pixels as the star measurement works on them: floats, top row first.
struct BoxPlane {
    const float* pixels;
    int width;
    int height;
    float At(int x, int y) const
    {
        return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    }
};

// The sky behind the stars of a box, per pixel: the level an aperture's sum is taken against
// and the noise (one standard deviation), in pixel values.
struct BoxSky {
    double level;
    double noise;
};

// `quantum` is the step between pixel values (1 for whole numbers, 0 for floating point), whose
// rounding is noise too; `samples` is working memory kept from frame to frame.
BoxSky EstimateSky(const BoxPlane& plane, double quantum, std::vector<float>& samples);

}  // namespace nuvix
