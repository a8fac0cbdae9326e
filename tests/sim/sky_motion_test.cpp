#include "sim/sky_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace nuvix {
namespace {

using sim::Sky;
using sim::SkyPoint;
using sim::SkyScene;
using test::kSecond;
using test::StartSettings;

// The drift accumulates; the periodic error swings by its amplitude over its period.
TEST(SkyMotion, TrackingErrorIsDriftPlusPeriodicError)
{
    SkyScene scene;
    scene.driftXPerSecond = 0.01;
    scene.driftYPerSecond = -0.02;
    scene.periodicAmplitude = 3.0;
    scene.periodicSeconds = 240.0;
    const Sky sky(1, scene);
    const struct {
        int64_t seconds;
        double x, y;
    } cases[] = {{0, 0.0, 0.0}, {60, 0.6 + 3.0, -1.2}, {120, 1.2, -2.4}, {180, 1.8 - 3.0, -3.6}, {240, 2.4, -4.8}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.seconds);
        const SkyPoint error = sky.TrackingError(c.seconds * kSecond);
        EXPECT_NEAR(error.x, c.x, 1e-9);
        EXPECT_NEAR(error.y, c.y, 1e-9);
    }
}

// A mount's correction and the tracking error show through the camera's turn and mirror; what
// Shift moves (the picture's own offset) does not turn.
TEST(SkyMotion, CameraTurnedAndMirroredAgainstTheSky)
{
    struct FixedMount final : sim::PointingSource {
        SkyPoint CorrectionAt(int64_t) const override { return {2.0, 0.0}; }
    } mount;
    SkyScene still;
    still.driftXPerSecond = 0.0;
    still.driftYPerSecond = 1.0;
    still.periodicAmplitude = 0.0;
    const struct {
        double degrees;
        bool mirrored;
        double x, y;  // where the star moved after one second
    } cases[] = {{0, false, 2, 1}, {90, false, -1, 2}, {180, false, -2, -1}, {0, true, -2, 1}, {90, true, -1, -2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.degrees);
        Sky sky(1, still);
        sky.SetMount(&mount);
        sky.SetCameraTurn(c.degrees, c.mirrored);
        sky.Shift(0.5, 0.0);
        const SkyPoint start = Sky(1, still).GuideStarAt(0);
        const SkyPoint at = sky.GuideStarAt(kSecond);
        EXPECT_NEAR(at.x - start.x, c.x + 0.5, 1e-9);
        EXPECT_NEAR(at.y - start.y, c.y, 1e-9);
    }
}

// Left alone, the star walks across the picture, and the picture shows it where the model says.
TEST(SkyMotion, DriftMovesTheStarOverTime)
{
    Sky sky(8, test::SharpStarOnly(160.2, 120.2));
    const SkyPoint start = sky.GuideStarAt(0);
    EXPECT_EQ(start, (SkyPoint{160.2, 120.2}));
    sim::SensorImage picture{};
    for (int minutes : {1, 5, 10}) {
        SCOPED_TRACE(minutes);
        const int64_t t = minutes * 60 * kSecond;
        const SkyPoint now = sky.GuideStarAt(t);
        EXPECT_GT(std::hypot(now.x - start.x, now.y - start.y), 0.4 * minutes);
        sky.Render(StartSettings(t), picture);
        const test::PixelAt top = test::Brightest(picture);
        EXPECT_EQ(top.x, std::lround(now.x));
        EXPECT_EQ(top.y, std::lround(now.y));
    }
}

// What the star analysis needs at the start settings in the start box (110, 70, 100 x 100):
// a peak well below saturation and a few tens of pixels within five levels of it, centred on
// the star, frame after frame.
TEST(SkyMotion, DefaultGuideStarCanBeTracked)
{
    Sky sky(2024);
    sim::SensorImage picture{};
    for (int frame = 0; frame < 100; ++frame) {
        SCOPED_TRACE(frame);
        const int64_t t = frame * kSecond / 10;
        sky.Render(StartSettings(t), picture);
        int peak = 0;
        for (int y = 70; y < 170; ++y) {
            for (int x = 110; x < 210; ++x)
                peak = std::max<int>(peak, picture[static_cast<std::size_t>(y * 320 + x)]);
        }
        int population = 0;
        double sumX = 0.0, sumY = 0.0;
        for (int y = 70; y < 170; ++y) {
            for (int x = 110; x < 210; ++x) {
                if (picture[static_cast<std::size_t>(y * 320 + x)] > peak - 5) {
                    ++population;
                    sumX += x;
                    sumY += y;
                }
            }
        }
        EXPECT_GE(peak, 40);
        EXPECT_LE(peak, 55);
        EXPECT_GE(population, 10);
        EXPECT_LE(population, 100);
        const SkyPoint star = sky.GuideStarAt(t);
        EXPECT_NEAR(sumX / population, star.x, 1.0);
        EXPECT_NEAR(sumY / population, star.y, 1.0);
    }
}

}  // namespace
}  // namespace nuvix
