#include "sim/Sky.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace nuvix::sim {

namespace {

constexpr int kPixels = kSensorWidth * kSensorHeight;
constexpr float kTopLevel = 63.0f;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kBlackFromBalance = 130.0;  // white balance where the black level leaves 0
constexpr double kBlackPerBalanceStep = 0.2;
constexpr double kFaintestTail = 0.05;  // levels: a star's wing below this is not drawn
constexpr int kMaxStarRadius = 120;     // pixels: reached only by absurdly long exposures
constexpr double kSmallestSigma = 0.3;  // a star is never sharper than a pixel
constexpr uint64_t kDefectStream = 0x686F742070697865ull;

std::vector<HotPixel> PlaceHotPixels(uint64_t seed, const SkyScene& scene)
{
    // Their own stream: where the defects sit does not depend on how much noise was drawn.
    SkyRandom random(seed ^ kDefectStream);
    const std::size_t wanted = static_cast<std::size_t>(std::clamp(scene.hotPixelCount, 0, kPixels / 4));
    std::vector<HotPixel> hot;
    hot.reserve(wanted);
    while (hot.size() < wanted) {
        HotPixel pixel;
        pixel.x = static_cast<int>(random.Uniform() * kSensorWidth);
        pixel.y = static_cast<int>(random.Uniform() * kSensorHeight);
        const double rate = scene.hotMinPerMs + (scene.hotMaxPerMs - scene.hotMinPerMs) * random.Uniform();
        pixel.perMs = static_cast<float>(rate);
        const bool taken =
            std::any_of(hot.begin(), hot.end(), [&](const HotPixel& h) { return h.x == pixel.x && h.y == pixel.y; });
        if (!taken) hot.push_back(pixel);
    }
    return hot;
}

// One axis of a star's Gaussian profile, sampled at pixel centres from `first` on.
void Profile(std::vector<float>& out, int first, int count, double centre, double sigma)
{
    const double inverse = 1.0 / (2.0 * sigma * sigma);
    for (int k = 0; k < count; ++k) {
        const double d = first + k - centre;
        out[static_cast<std::size_t>(k)] = static_cast<float>(std::exp(-d * d * inverse));
    }
}

}  // namespace

Sky::Sky(uint64_t seed, SkyScene scene)
    : scene_(std::move(scene)),
      noise_(seed),
      hotPixels_(PlaceHotPixels(seed, scene_)),
      signal_(kPixels),
      column_(2 * kMaxStarRadius + 1),
      row_(2 * kMaxStarRadius + 1)
{
}

double Sky::BlackLevel(uint8_t whiteBalance)
{
    return std::max(0.0, (whiteBalance - kBlackFromBalance) * kBlackPerBalanceStep);
}

void Sky::Shift(double dxPixels, double dyPixels)
{
    if (std::isfinite(dxPixels)) offset_.x += dxPixels;
    if (std::isfinite(dyPixels)) offset_.y += dyPixels;
}

SkyPoint Sky::TrackingError(int64_t timeNs) const
{
    const double seconds = static_cast<double>(timeNs - scene_.pointedAtNs) * 1e-9;
    double periodic = 0.0;
    if (scene_.periodicSeconds > 0.0) {
        periodic = scene_.periodicAmplitude * std::sin(kTwoPi * seconds / scene_.periodicSeconds);
    }
    return {scene_.driftXPerSecond * seconds + periodic, scene_.driftYPerSecond * seconds};
}

void Sky::SetCameraTurn(double degrees, bool mirrored)
{
    const double radians = std::isfinite(degrees) ? degrees * kTwoPi / 360.0 : 0.0;
    turnCos_ = std::cos(radians);
    turnSin_ = std::sin(radians);
    mirrored_ = mirrored;
}

SkyPoint Sky::Turned(SkyPoint motion) const
{
    const double x = mirrored_ ? -motion.x : motion.x;
    return {x * turnCos_ - motion.y * turnSin_, x * turnSin_ + motion.y * turnCos_};
}

SkyPoint Sky::SceneShift(int64_t timeNs) const
{
    const SkyPoint error = Turned(TrackingError(timeNs));
    SkyPoint shift{error.x + offset_.x, error.y + offset_.y};
    if (mount_) {
        const SkyPoint moved = Turned(mount_->CorrectionAt(timeNs));
        shift.x += moved.x;
        shift.y += moved.y;
    }
    return shift;
}

SkyPoint Sky::GuideStarAt(int64_t timeNs) const
{
    const SkyPoint shift = SceneShift(timeNs);
    return {scene_.guideStar.at.x + shift.x, scene_.guideStar.at.y + shift.y};
}

void Sky::Render(const Exposure& exposure, SensorImage& out)
{
    const double ms = exposure.milliseconds > 0.0 ? exposure.milliseconds : 0.0;  // NaN too
    const float gain = static_cast<float>(exposure.contrast) / 255.0f;
    const float black = static_cast<float>(BlackLevel(exposure.whiteBalance));

    const float sky = static_cast<float>(scene_.skyPerMs * ms);
    const float readNoise = static_cast<float>(scene_.readNoise);
    for (float& s : signal_)
        s = sky + readNoise * noise_.Normal();

    for (const HotPixel& hot : hotPixels_) {
        signal_[static_cast<std::size_t>(hot.y * kSensorWidth + hot.x)] += static_cast<float>(hot.perMs * ms);
    }

    const SkyPoint shift = SceneShift(exposure.timeNs);
    const double visible = static_cast<double>(gain) * ms;  // a star's peak on screen per unit of peakPerMs
    AddStar(scene_.guideStar, shift, ms, visible);
    for (const SkyStar& star : scene_.fieldStars)
        AddStar(star, shift, ms, visible);

    for (int i = 0; i < kPixels; ++i) {
        float v = black + gain * signal_[static_cast<std::size_t>(i)];
        v = v > 0.0f ? v : 0.0f;
        v = v < kTopLevel ? v : kTopLevel;
        out[static_cast<std::size_t>(i)] = static_cast<uint8_t>(v + 0.5f);
    }
}

void Sky::AddStar(const SkyStar& star, SkyPoint shift, double ms, double visible)
{
    const double peak = star.peakPerMs * ms;
    const double shownPeak = star.peakPerMs * visible;
    if (!(shownPeak > kFaintestTail)) return;
    const double sigma = std::max(scene_.seeingSigma, kSmallestSigma);
    // Out to where the wing fades below the faintest level that could change a pixel.
    const double radius =
        std::min(sigma * std::sqrt(2.0 * std::log(shownPeak / kFaintestTail)), static_cast<double>(kMaxStarRadius));
    const double cx = star.at.x + shift.x;
    const double cy = star.at.y + shift.y;
    if (!(cx + radius >= 0.0 && cx - radius <= kSensorWidth - 1 && cy + radius >= 0.0 &&
          cy - radius <= kSensorHeight - 1)) {
        return;  // off the picture, or a position that is no number at all
    }
    const int x0 = std::max(0, static_cast<int>(std::ceil(cx - radius)));
    const int x1 = std::min(kSensorWidth - 1, static_cast<int>(std::floor(cx + radius)));
    const int y0 = std::max(0, static_cast<int>(std::ceil(cy - radius)));
    const int y1 = std::min(kSensorHeight - 1, static_cast<int>(std::floor(cy + radius)));
    const int width = x1 - x0 + 1;
    const int height = y1 - y0 + 1;

    // A Gaussian is separable: two short profiles instead of an exp() per pixel.
    Profile(column_, x0, width, cx, sigma);
    Profile(row_, y0, height, cy, sigma);
    for (int r = 0; r < height; ++r) {
        const float rowPeak = static_cast<float>(peak) * row_[static_cast<std::size_t>(r)];
        float* line = signal_.data() + (y0 + r) * kSensorWidth + x0;
        for (int c = 0; c < width; ++c)
            line[c] += rowPeak * column_[static_cast<std::size_t>(c)];
    }
}

}  // namespace nuvix::sim
