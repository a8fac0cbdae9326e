#pragma once

#include "sim/PointingSource.h"
#include "sim/SkyModel.h"
#include "sim/SkyRandom.h"

#include <cstdint>
#include <vector>

namespace nuvix::sim {

// A star where it stands at time 0 with no correction, and its central signal in levels per
// millisecond of exposure at full contrast.
struct SkyStar {
    SkyPoint at;
    double peakPerMs = 0.0;
};

// A sensor defect: a pixel that fills on its own, in levels per millisecond at full contrast.
struct HotPixel {
    int x = 0;
    int y = 0;
    float perMs = 0.0f;
    bool operator==(const HotPixel&) const = default;
};

// What the telescope sees. The defaults give, at the system's start settings (67.7 ms,
// contrast 255, white balance 170), a black level of 8, a sky near 11 and a guide star peaking
// near 47 of 63 with about twenty pixels within five levels of its peak.
struct SkyScene {
    SkyStar guideStar{{160.0, 120.0}, 0.53};
    std::vector<SkyStar> fieldStars{{{52.0, 40.0}, 0.22},   {{268.0, 58.0}, 0.15}, {{85.0, 190.0}, 0.30},
                                    {{241.0, 205.0}, 0.12}, {{196.0, 92.0}, 0.07}, {{301.0, 150.0}, 0.18}};
    double seeingSigma = 5.0;  // Gaussian blur of every star, in pixels
    double skyPerMs = 0.045;   // background glow
    double readNoise = 0.6;    // rms, in levels at full contrast
    int hotPixelCount = 12;
    double hotMinPerMs = 0.1;
    double hotMaxPerMs = 0.35;
    // The mount's tracking error: a slow drift on both axes plus the worm's periodic error on x.
    double driftXPerSecond = 0.004;
    double driftYPerSecond = 0.02;   // about 0.9 arc seconds a minute at 0.77 arc seconds a pixel
    double periodicAmplitude = 3.0;  // pixels
    double periodicSeconds = 240.0;
    // The camera's time at which the tracking error is zero: when the telescope was pointed.
    int64_t pointedAtNs = 0;
};

// The simulated sky in front of the camera. A pixel's level is
//   black(white balance) + contrast / 255 x (signal + read noise), rounded and held in 0..63,
// where the signal (sky, stars, hot pixels) grows in proportion to the exposure time and the
// black level rises with the white balance: 0 at 130 and below, then 0.2 per step (8 at 170).
// The stars follow the mount's tracking error and every correction the mount makes.
class Sky final : public SkyModel {
public:
    explicit Sky(uint64_t seed, SkyScene scene = {});

    void Render(const Exposure& exposure, SensorImage& out) override;

    // Moves the whole scene (not the sensor's hot pixels) by a pointing correction.
    void Shift(double dxPixels, double dyPixels);
    // The mount whose corrections move the scene as well; null for none.
    void SetMount(PointingSource* mount) { mount_ = mount; }
    // The camera turned by `degrees` against the sky (a direction at angle a in the picture,
    // atan2(dy, dx) with y downward, shows at a + degrees), and mirrored first when `mirrored`.
    // The tracking error and the mount's corrections move the stars through it.
    void SetCameraTurn(double degrees, bool mirrored);

    // The sum of every Shift so far.
    SkyPoint PointingOffset() const { return offset_; }
    // Drift plus periodic error at a time of the camera's clock; zero when the telescope was
    // pointed.
    SkyPoint TrackingError(int64_t timeNs) const;
    // Where the guide star stands at that time, error and corrections included.
    SkyPoint GuideStarAt(int64_t timeNs) const;

    const std::vector<HotPixel>& HotPixels() const { return hotPixels_; }
    static double BlackLevel(uint8_t whiteBalance);

private:
    // Tracking error, Shift and the mount's corrections together.
    SkyPoint SceneShift(int64_t timeNs) const;
    SkyPoint Turned(SkyPoint motion) const;
    void AddStar(const SkyStar& star, SkyPoint shift, double ms, double visible);

    SkyScene scene_;
    SkyRandom noise_;
    std::vector<HotPixel> hotPixels_;
    SkyPoint offset_;
    PointingSource* mount_ = nullptr;
    double turnCos_ = 1.0;
    double turnSin_ = 0.0;
    bool mirrored_ = false;
    std::vector<float> signal_;  // one frame's signal before gain and black level
    std::vector<float> column_;  // a star's profile across and down, reused every frame
    std::vector<float> row_;
};

}  // namespace nuvix::sim
