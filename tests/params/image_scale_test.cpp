#include "params/ImageScale.h"

#include <gtest/gtest.h>

#include <limits>

namespace nuvix {
namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
// One radian is 206,264.806 arc seconds: 10 µm at 206.264806 cm covers one arc second.
constexpr double kOneArcsecFocal = 206.264806;

TEST(ImageScale, ScaleFromPixelSizeAndFocalLength)
{
    const struct {
        double pixelSize;
        double focalLength;
        float expected;
    } cases[] = {
        {10.0, kOneArcsecFocal, 1.0f},   {20.0, kOneArcsecFocal, 2.0f},
        {10.0, -kOneArcsecFocal, -1.0f}, {0.0, 200.0, 0.0f},
        {10.0, 1e-300, 648000.0f},  // the pixel fills the half sky it can: never infinite
        {1e308, 1.0, 648000.0f},
    };
    for (const auto& c : cases) {
        const auto scale = ArcsecPerPixel(c.pixelSize, c.focalLength);
        ASSERT_TRUE(scale) << c.pixelSize << " " << c.focalLength;
        EXPECT_NEAR(*scale, c.expected, 1e-5 * (1.0 + std::abs(c.expected))) << c.pixelSize << " " << c.focalLength;
    }
}

TEST(ImageScale, NoScaleWithoutAFiniteNonZeroFocalLength)
{
    const double cases[][2] = {{10.0, 0.0},  {0.0, 0.0},    {10.0, -0.0}, {kNan, 200.0},
                               {10.0, kNan}, {kInf, 200.0}, {10.0, kInf}, {kInf, kInf}};
    for (const auto& c : cases)
        EXPECT_FALSE(ArcsecPerPixel(c[0], c[1])) << c[0] << " " << c[1];
}

TEST(ImageScale, LoadFallsBackToTheDefaultRecordsScale)
{
    const float defaultScale = *ArcsecPerPixel(tparam{}.pixelSize, tparam{}.focalLength);
    EXPECT_GT(defaultScale, 0.5f);
    EXPECT_LT(defaultScale, 1.0f);

    tparam record;
    record.pixelSize = 10.0;
    record.focalLength = kOneArcsecFocal;
    EXPECT_NEAR(ArcsecPerPixelAtLoad(record), 1.0f, 1e-5);
    record.focalLength = 0.0;
    EXPECT_EQ(ArcsecPerPixelAtLoad(record), defaultScale);
    record.focalLength = kNan;
    EXPECT_EQ(ArcsecPerPixelAtLoad(record), defaultScale);
}

}  // namespace
}  // namespace nuvix
