#include "sim/sky_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace nuvix {
namespace {

using sim::Sky;
using sim::SkyScene;
using test::Brightest;
using test::kSecond;
using test::StartSettings;

double Mean(const sim::SensorImage& image)
{
    return std::accumulate(image.begin(), image.end(), 0.0) / static_cast<double>(image.size());
}

TEST(SkyRender, SameSeedSamePictures)
{
    Sky a(1234), b(1234), other(4321);
    sim::SensorImage pa{}, pb{}, po{};
    for (int frame = 0; frame < 3; ++frame) {
        const sim::Exposure exposure = StartSettings(frame * kSecond / 10);
        a.Render(exposure, pa);
        b.Render(exposure, pb);
        other.Render(exposure, po);
        ASSERT_EQ(pa, pb) << frame;
        EXPECT_NE(pa, po) << frame;
    }
}

TEST(SkyRender, BrightestPixelIsWhereTheModelPutsTheStar)
{
    Sky sky(5, test::SharpStarOnly(100.3, 80.2));
    sim::SensorImage picture{};
    sky.Render(StartSettings(), picture);
    test::PixelAt top = Brightest(picture);
    EXPECT_EQ(top.x, 100);
    EXPECT_EQ(top.y, 80);

    sky.Shift(5.4, -3.3);
    sky.Shift(0.0, -0.2);
    const sim::SkyPoint model = sky.GuideStarAt(0);
    EXPECT_DOUBLE_EQ(model.x, 105.7);
    EXPECT_DOUBLE_EQ(model.y, 76.7);
    sky.Render(StartSettings(), picture);
    top = Brightest(picture);
    EXPECT_EQ(top.x, 106);
    EXPECT_EQ(top.y, 77);
}

// A star at the edge is cut, one far off is not drawn, and neither disturbs the picture.
TEST(SkyRender, StarsOffThePictureAreClipped)
{
    for (const sim::SkyPoint at : {sim::SkyPoint{0.0, 0.0}, sim::SkyPoint{319.0, 239.0}, sim::SkyPoint{-500.0, 40.0},
                                   sim::SkyPoint{1e300, 1e300}, sim::SkyPoint{std::nan(""), 10.0}}) {
        SCOPED_TRACE(at.x);
        Sky sky(5, test::SharpStarOnly(at.x, at.y));
        sim::SensorImage picture{};
        sky.Render(StartSettings(), picture);
        const test::PixelAt top = Brightest(picture);
        const bool inside = at.x >= 0.0 && at.x <= 319.0 && at.y >= 0.0 && at.y <= 239.0;
        if (inside) {
            EXPECT_EQ(top.x, static_cast<int>(at.x));
            EXPECT_EQ(top.y, static_cast<int>(at.y));
        } else {
            EXPECT_EQ(top.level, 8);  // the black level alone
        }
    }
}

// Signal grows with the exposure time until the six bits run out.
TEST(SkyRender, LongerExposureIsBrighterAndSaturates)
{
    double lastMean = -1.0;
    int lastPeak = -1;
    for (double ms : {0.0, 10.0, 30.0, test::kStartExposureMs, 80.0}) {
        SCOPED_TRACE(ms);
        Sky sky(77);
        sim::SensorImage picture{};
        sky.Render(StartSettings(0, ms), picture);
        const double mean = Mean(picture);
        const int peak = Brightest(picture).level;
        EXPECT_GT(mean, lastMean);
        EXPECT_GT(peak, lastPeak);
        EXPECT_LT(peak, 63);
        lastMean = mean;
        lastPeak = peak;
    }
    Sky sky(77);
    sim::SensorImage picture{};
    sky.Render(StartSettings(0, 400.0), picture);
    EXPECT_EQ(Brightest(picture).level, 63);
    sky.Render(StartSettings(0, 5000.0), picture);
    EXPECT_TRUE(std::all_of(picture.begin(), picture.end(), [](uint8_t v) { return v == 63; }));
    // The camera's longest integration (a 32-bit millisecond count) is still a picture.
    sky.Render(StartSettings(0, 4.0e9), picture);
    EXPECT_TRUE(std::all_of(picture.begin(), picture.end(), [](uint8_t v) { return v == 63; }));
}

// With no gain every pixel shows the black level, which rises with the white balance.
TEST(SkyRender, ContrastZeroShowsTheBlackLevel)
{
    const struct {
        uint8_t whiteBalance;
        uint8_t black;
    } cases[] = {{0, 0}, {130, 0}, {150, 4}, {170, 8}, {200, 14}, {255, 25}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.whiteBalance));
        Sky sky(3);
        sim::SensorImage picture{};
        sky.Render(sim::Exposure{1000.0, 0, c.whiteBalance, 0}, picture);
        EXPECT_TRUE(std::all_of(picture.begin(), picture.end(), [&](uint8_t v) { return v == c.black; }));
    }
}

// Defects belong to the sensor: they stay put while the sky drifts and the mount corrects.
TEST(SkyRender, HotPixelsStayAtFixedPlaces)
{
    SkyScene scene = test::SharpStarOnly(160.0, 120.0);
    scene.guideStar.peakPerMs = 0.0;
    scene.hotPixelCount = 12;
    Sky sky(21, scene);
    ASSERT_EQ(sky.HotPixels().size(), 12u);
    EXPECT_EQ(Sky(21, scene).HotPixels(), sky.HotPixels());
    EXPECT_NE(Sky(22, scene).HotPixels(), sky.HotPixels());

    for (int64_t t : {int64_t{0}, 600 * kSecond}) {
        SCOPED_TRACE(t);
        sky.Shift(7.0, -7.0);
        sim::SensorImage picture{};
        sky.Render(StartSettings(t, 500.0), picture);
        int lit = 0;
        for (int i = 0; i < sim::kSensorWidth * sim::kSensorHeight; ++i) {
            if (picture[static_cast<std::size_t>(i)] > 8) ++lit;
        }
        EXPECT_EQ(lit, 12);
        for (const sim::HotPixel& hot : sky.HotPixels()) {
            EXPECT_GT(picture[static_cast<std::size_t>(hot.y * sim::kSensorWidth + hot.x)], 8);
        }
    }
}

}  // namespace
}  // namespace nuvix
