#include "guiding/StarMeasurement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace nuvix {
namespace {

// What a camera records: the system's six-bit levels (handed over four times each, as the
// pipeline does) or an INDI camera's 16-bit counts, on a sky with noise.
struct Camera {
    const char* name;
    bool sixBit;
    double sky, noise;
};
constexpr Camera kSixBit{"6-bit", true, 11, 1};
constexpr Camera kSixteenBit{"16-bit", false, 1000, 20};

// A Gaussian star integrated over each pixel, centred at (x, y) in picture pixels.
struct Star {
    double x, y, hfd, flux;
    double At(int px, int py) const
    {
        const double s = hfd / 2.3548 * std::sqrt(2.0);
        auto share = [s](double from) { return 0.5 * (std::erf((from + 1) / s) - std::erf(from / s)); };
        return flux * share(px - 0.5 - x) * share(py - 0.5 - y);
    }
};

// The flux for a signal-to-noise ratio in an aperture of 1.5 half-flux diameters, on the sky's
// noise and the steps of whole values.
double FluxFor(const Camera& camera, double snr, double hfd)
{
    return snr * std::sqrt(camera.noise * camera.noise + 1.0 / 12) * std::sqrt(M_PI) * 1.5 * hfd;
}

struct Shot {
    MeasuredStar star;
    double mean = 0.0, deviation = 0.0;  // of the box's pixels
};

// A frame with the stars in the middle of the tracking box (110, 70, 100 x 100), each pixel
// rounded and kept within the camera's range, measured in the box.
Shot Take(const Camera& camera, const std::vector<Star>& stars, unsigned seed, StarMeasurer& measurer)
{
    std::vector<uint8_t> bytes(kFramePixels);
    std::vector<uint16_t> counts(kFramePixels);
    std::mt19937 random(seed);
    std::normal_distribution<double> gauss(0.0, 1.0);
    Shot shot;
    for (int y = 70; y < 170; ++y) {
        for (int x = 110; x < 210; ++x) {
            double v = camera.sky + camera.noise * gauss(random);
            for (const Star& star : stars)
                if (std::abs(x - star.x) < 25 && std::abs(y - star.y) < 25) v += star.At(x, y);
            v = std::clamp(std::round(v), 0.0, camera.sixBit ? 63.0 : 65535.0) * (camera.sixBit ? 4 : 1);
            const size_t i = static_cast<size_t>((kFrameHeight - 1 - y) * kFrameWidth + x);
            if (camera.sixBit) {
                bytes[i] = static_cast<uint8_t>(v);
            } else {
                counts[i] = static_cast<uint16_t>(v);
            }
            shot.mean += v / 1e4;
            shot.deviation += v * v / 1e4;
        }
    }
    shot.deviation = std::sqrt(shot.deviation - shot.mean * shot.mean);
    shot.star = camera.sixBit ? measurer.Measure(BoxInFrame(bytes.data(), 110, 70, 100))
                              : measurer.Measure(BoxInFrame(counts.data(), 110, 70, 100));
    return shot;
}

// Stars at 30 sub-pixel positions each; the error is the distance from the true centre. What lies
// around the guide star does not pull it: a hot pixel brighter than the star beside it, fainter
// field stars near it and at the box's edge.
TEST(StarMeasurement, CentroidOfSyntheticStars)
{
    struct Case {
        Camera camera;
        double hfd, snr;
        double largestRmsError;    // pixels
        std::vector<Star> around;  // placed from the star's position
    };
    const Case cases[] = {
        {kSixteenBit, 2.5, 10, 0.2, {}},
        {kSixteenBit, 3.0, 10, 0.2, {}},
        {kSixteenBit, 2.5, 50, 0.05, {}},
        {kSixteenBit, 3.5, 50, 0.05, {}},
        {kSixteenBit, 3.0, 400, 0.01, {}},
        {kSixBit, 2.5, 10, 0.2, {}},
        {kSixBit, 3.0, 10, 0.2, {}},
        {kSixBit, 2.5, 50, 0.05, {}},
        {kSixBit, 3.5, 50, 0.05, {}},
        {kSixBit, 11.8, 250, 0.05, {}},  // the system's simulated star, wide and bright enough to reach white
        {kSixteenBit, 3.0, 50, 0.05, {{3.7, 1.4, 0.01, 1e5}, {-34, 55, 4.0, 1000}}},
        {kSixteenBit, 3.0, 50, 0.05, {{8, -6, 3.0, 1000}, {-40, -25, 3.0, 1000}}},
    };
    StarMeasurer measurer;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.camera.name << ", HFD " << c.hfd << ", SNR " << c.snr);
        double squares = 0.0, snr = 0.0, hfd = 0.0;
        constexpr int kStars = 30;
        for (int k = 0; k < kStars; ++k) {
            const Star star{143.3 + 1.137 * k, 104.8 + 0.719 * k, c.hfd, FluxFor(c.camera, c.snr, c.hfd)};
            std::vector<Star> stars = {star};
            for (const Star& s : c.around)
                stars.push_back({star.x + s.x, star.y + s.y, s.hfd, s.flux});
            const MeasuredStar m = Take(c.camera, stars, 100u + static_cast<unsigned>(k), measurer).star;
            ASSERT_TRUE(m.Found()) << k;
            squares += (m.x - star.x) * (m.x - star.x) + (m.y - star.y) * (m.y - star.y);
            snr += m.snr / kStars;
            hfd += m.hfd / kStars;
        }
        EXPECT_LE(std::sqrt(squares / kStars), c.largestRmsError);
        EXPECT_NEAR(hfd, c.hfd, 0.12 * c.hfd);
        if (c.snr <= 50) {  // brighter six-bit stars reach white
            EXPECT_NEAR(snr, c.snr, 0.15 * c.snr);
        }
    }
}

// Noise alone, hot pixels (at full scale in a row at the box's centre), a sky cut off at black:
// never a star. The sky is what an aperture's sum must be taken against, and its noise never
// less than it is: a sky cut off at black has its mean above its median, and a long bright side.
TEST(StarMeasurement, NothingButNoiseIsLost)
{
    struct Case {
        Camera camera;
        int hotPixels;
    };
    const Case cases[] = {
        {kSixteenBit, 0},
        {kSixBit, 0},
        {{"6-bit noise finer than a level", true, 11, 0.3}, 0},
        {{"6-bit sky cut off at black", true, 0, 1.5}, 0},
        {{"black", true, 0, 0}, 0},
        {kSixteenBit, 1},
        {kSixBit, 2},
    };
    StarMeasurer measurer;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.camera.name << ", hot pixels " << c.hotPixels);
        std::vector<Star> hot;
        for (int i = 0; i < c.hotPixels; ++i)
            hot.push_back({160.0 + i, 120.0, 0.01, 1e6});
        for (unsigned seed = 1; seed <= 100; ++seed) {
            const Shot shot = Take(c.camera, hot, seed, measurer);
            ASSERT_EQ(shot.star.verdict, c.hotPixels > 1 ? StarVerdict::Narrow : StarVerdict::Faint)
                << seed << ": SNR " << shot.star.snr << ", HFD " << shot.star.hfd;
            if (c.hotPixels > 0) continue;
            EXPECT_NEAR(shot.star.background, shot.mean, 0.1 * shot.deviation + 0.05);
            EXPECT_GE(shot.star.noise, shot.deviation * 0.92);
            EXPECT_LE(shot.star.noise, shot.deviation * 1.4 + 0.3);
        }
    }
}

// A box reaching beyond the picture, as it may while guiding, measures what lies inside; a
// picture's missing pixels (not-a-number in a floating-point FITS) are no star.
TEST(StarMeasurement, BoxEdgesAndMissingPixels)
{
    std::vector<float> picture(kFramePixels, 0.01f);
    const Star star{4.4, 230.7, 3.0, 0.5};
    for (int y = 220; y < kFrameHeight; ++y)
        for (int x = 0; x < 15; ++x)
            picture[static_cast<size_t>((kFrameHeight - 1 - y) * kFrameWidth + x)] += static_cast<float>(star.At(x, y));
    picture[static_cast<size_t>(kFrameWidth * 5 + 30)] = std::numeric_limits<float>::quiet_NaN();
    picture[static_cast<size_t>(kFrameWidth * 6 + 31)] = std::numeric_limits<float>::infinity();
    StarMeasurer measurer;
    const BoxPixels<float> box = BoxInFrame(picture.data(), -50, 180, 100);
    EXPECT_EQ(box.width, 50);
    EXPECT_EQ(box.height, 60);
    const MeasuredStar m = measurer.Measure(box);
    ASSERT_TRUE(m.Found());
    EXPECT_NEAR(m.x, star.x, 0.01);
    EXPECT_NEAR(m.y, star.y, 0.01);
    EXPECT_EQ(measurer.Measure(BoxInFrame(picture.data(), 316, 0, 100)).verdict, StarVerdict::NoPixels);
}

}  // namespace
}  // namespace nuvix
