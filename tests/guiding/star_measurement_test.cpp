#include "guiding/StarMeasurement.h"
#include "guiding/SyntheticSky.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace nuvix {
namespace {

using test::FluxFor;
using test::Picture;
using test::SyntheticStar;

constexpr int kBoxLeft = 110;  // the tracking box's start, 100 x 100
constexpr int kBoxTop = 70;

// The system's camera: six-bit levels on a sky of 11 with noise of one level, four times each as
// the pipeline hands them over. An INDI camera: 16-bit counts on a sky of 1,000 with noise of 20.
enum class Camera { SixBit, SixteenBit };

struct SkyTruth {
    double mean = 0.0;
    double deviation = 0.0;
};

// The mean and standard deviation of the box's pixels, to compare the sky's estimate with.
template <typename Pixel>
SkyTruth TruthOf(const BoxPixels<Pixel>& box)
{
    double sum = 0.0;
    double squares = 0.0;
    for (int y = 0; y < box.height; ++y)
        for (int x = 0; x < box.width; ++x) {
            const double v = box.first[y * box.rowStep + x];
            sum += v;
            squares += v * v;
        }
    const double n = box.width * box.height;
    return {sum / n, std::sqrt(squares / n - sum * sum / n / n)};
}

MeasuredStar MeasureOn(Camera camera, const std::vector<SyntheticStar>& stars, unsigned seed, StarMeasurer& measurer,
                       double sky = -1.0, double noise = -1.0, SkyTruth* truth = nullptr)
{
    if (camera == Camera::SixBit) {
        const auto picture = Picture<uint8_t>(sky < 0 ? 11.0 : sky, noise < 0 ? 1.0 : noise, stars, seed, 63, 4);
        const auto box = BoxInFrame(picture.data(), kBoxLeft, kBoxTop, 100);
        if (truth) *truth = TruthOf(box);
        return measurer.Measure(box);
    }
    const auto picture = Picture<uint16_t>(1000.0, 20.0, stars, seed, 65535);
    const auto box = BoxInFrame(picture.data(), kBoxLeft, kBoxTop, 100);
    if (truth) *truth = TruthOf(box);
    return measurer.Measure(box);
}

// Stars at 30 sub-pixel positions each; the error is the distance from the true centre.
TEST(StarMeasurement, CentroidOfSyntheticStars)
{
    struct Case {
        Camera camera;
        double hfd, snr;
        double largestRmsError;  // pixels
    };
    const Case cases[] = {
        {Camera::SixteenBit, 2.5, 10, 0.2},
        {Camera::SixteenBit, 3.0, 10, 0.2},
        {Camera::SixteenBit, 2.5, 50, 0.05},
        {Camera::SixteenBit, 3.5, 50, 0.05},
        {Camera::SixteenBit, 3.0, 400, 0.01},
        {Camera::SixBit, 2.5, 10, 0.2},
        {Camera::SixBit, 3.0, 10, 0.2},
        {Camera::SixBit, 2.5, 50, 0.05},
        {Camera::SixBit, 3.5, 50, 0.05},
        // The system's simulated star, wide and bright enough to reach white.
        {Camera::SixBit, 11.8, 250, 0.05},
    };
    StarMeasurer measurer;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.camera == Camera::SixBit ? "6-bit" : "16-bit") << ", HFD " << c.hfd
                                        << ", SNR " << c.snr);
        const double flux = c.camera == Camera::SixBit ? FluxFor(c.snr, c.hfd, 1.0, 1.0) : FluxFor(c.snr, c.hfd, 20, 1);
        double squares = 0.0;
        double snr = 0.0;
        double hfd = 0.0;
        constexpr int kStars = 30;
        for (int k = 0; k < kStars; ++k) {
            const SyntheticStar star{143.3 + 1.137 * k, 104.8 + 0.719 * k, c.hfd, flux};
            const MeasuredStar m = MeasureOn(c.camera, {star}, 100u + static_cast<unsigned>(k), measurer);
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

// Noise alone, hot pixels, a sky cut off at black: never a star.
TEST(StarMeasurement, NothingButNoiseIsLost)
{
    struct Case {
        const char* what;
        Camera camera;
        double sky, noise;
        int hotPixels;  // in a row at the box's centre, at full scale
    };
    const Case cases[] = {
        {"16-bit noise", Camera::SixteenBit, 0, 0, 0},
        {"six-bit noise", Camera::SixBit, 11, 1.0, 0},
        {"six-bit noise finer than a level", Camera::SixBit, 11, 0.3, 0},
        {"six-bit sky cut off at black", Camera::SixBit, 0, 1.5, 0},
        {"a black picture", Camera::SixBit, 0, 0, 0},
        {"a hot pixel", Camera::SixteenBit, 0, 0, 1},
        {"two hot pixels side by side", Camera::SixBit, 11, 1.0, 2},
    };
    StarMeasurer measurer;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (unsigned seed = 1; seed <= 100; ++seed) {
            std::vector<SyntheticStar> hot;
            for (int i = 0; i < c.hotPixels; ++i)
                hot.push_back({160.0 + i, 120.0, 0.01, 1e6});
            SkyTruth truth;
            const MeasuredStar m = MeasureOn(c.camera, hot, seed, measurer, c.sky, c.noise, &truth);
            ASSERT_FALSE(m.Found()) << seed << ": SNR " << m.snr << ", HFD " << m.hfd;
            EXPECT_EQ(m.verdict, c.hotPixels > 1 ? StarVerdict::Narrow : StarVerdict::Faint);
            if (c.hotPixels > 0) continue;
            // The sky as an aperture's sum must be taken against, and its noise never less than
            // it is: a sky cut off at black has its mean above its median, and a long bright side.
            EXPECT_NEAR(m.background, truth.mean, 0.1 * truth.deviation + 0.05);
            EXPECT_GE(m.noise, truth.deviation * 0.92);
            EXPECT_LE(m.noise, truth.deviation * 1.4 + 0.3);
        }
    }
}

// What lies around the guide star does not pull it: a hot pixel brighter than the star beside
// it, a fainter field star at the box's edge.
TEST(StarMeasurement, NeighboursDoNotPullTheCentroid)
{
    const SyntheticStar star{160.3, 119.6, 3.0, FluxFor(50, 3.0, 20, 1)};
    const std::vector<SyntheticStar> neighbours[] = {
        {{164.0, 121.0, 0.01, 1e5}},
        {{206.0, 95.0, 3.0, star.flux / 2}, {168.0, 113.0, 3.0, star.flux / 2}},
        {{160.0 - 4.0, 119.0, 0.01, 1e5}, {113.0, 165.0, 4.0, star.flux / 2}},
    };
    StarMeasurer measurer;
    for (const auto& around : neighbours) {
        std::vector<SyntheticStar> stars = around;
        stars.push_back(star);
        const MeasuredStar m = MeasureOn(Camera::SixteenBit, stars, 7, measurer);
        ASSERT_TRUE(m.Found());
        EXPECT_NEAR(m.x, star.x, 0.06);
        EXPECT_NEAR(m.y, star.y, 0.06);
    }
}

// A box reaching beyond the picture, as it may while guiding, measures what lies inside; a
// picture's missing pixels (not-a-number in a floating-point FITS) are no star.
TEST(StarMeasurement, BoxEdgesAndMissingPixels)
{
    std::vector<float> picture(kFramePixels, 0.01f);
    const SyntheticStar star{4.4, 230.7, 3.0, 0.5};
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
