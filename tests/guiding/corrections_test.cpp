#include "guiding/Corrections.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace nuvix {
namespace {

constexpr float kGain = 16.8f;  // 2 arc seconds per pixel at 7.5 arc seconds per second

TEST(Corrections, BytesAndPerCentForAnError)
{
    struct Case {
        const char* what;
        Axis axis;
        int32_t error;
        bool inverted;
        uint8_t command, closing;
        const char* perCent;
        bool saturated;
    };
    const Case cases[] = {
        {"AD 3 pixels", Axis::Ra, 3, false, 0xC9, 0x00, "79%", false},
        {"AD 3 pixels, inverted", Axis::Ra, 3, true, 0xC8, 0x01, "79%", false},
        {"DEC -10 pixels saturates", Axis::Dec, -10, false, 0xFE, 0x03, "99%", true},
        {"AD no error", Axis::Ra, 0, false, 0x01, 0x00, "0%", false},
        {"DEC no error", Axis::Dec, 0, false, 0x03, 0x02, "0%", false},
        {"DEC no error, inverted", Axis::Dec, 0, true, 0x03, 0x02, "0%", false},
        {"AD -2 pixels", Axis::Ra, -2, false, 0x84, 0x01, "52%", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const AxisCorrection correction = CorrectionFor(c.error, kGain);
        const int32_t direction = c.inverted ? -c.error : c.error;
        EXPECT_EQ(CommandByte(c.axis, correction.pulseCode, direction), c.command);
        EXPECT_EQ(ClosingByte(c.axis, direction), c.closing);
        EXPECT_EQ(PerCentText(correction), c.perCent);
        EXPECT_EQ(correction.saturated, c.saturated);
    }
}

TEST(Corrections, GainFromTheParameters)
{
    // 200 cm and 7.5 µm give 0.7735 arc seconds per pixel.
    EXPECT_NEAR(*CorrectionGain(7.5, 200.0, 7.5), 0.7735 / 7.5 * 63, 1e-3);
    EXPECT_NEAR(*CorrectionGain(7.5, 100.0, 15.0), 1.547 / 15.0 * 63, 1e-3);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (auto [pixel, focal, speed] :
         {std::tuple{7.5, 200.0, 0.0}, std::tuple{7.5, 200.0, -7.5}, std::tuple{7.5, 0.0, 7.5},
          std::tuple{7.5, -200.0, 7.5}, std::tuple{0.0, 200.0, 7.5}, std::tuple{-7.5, 200.0, 7.5},
          std::tuple{nan, 200.0, 7.5}, std::tuple{7.5, 200.0, nan}}) {
        EXPECT_FALSE(CorrectionGain(pixel, focal, speed)) << pixel << " " << focal << " " << speed;
    }
}

// Without a usable gain an axis asks for no move and says so, instead of a full second.
TEST(Corrections, UnusableOrHugeGains)
{
    const AxisCorrection none = CorrectionFor(5, std::nullopt);
    EXPECT_EQ(none.pulseCode, 0);
    EXPECT_FALSE(none.usable);
    EXPECT_EQ(PerCentText(none), "--%");
    EXPECT_EQ(CommandByte(Axis::Ra, none.pulseCode, 5), 0x01);

    const AxisCorrection huge = CorrectionFor(std::numeric_limits<int32_t>::min(), 1e30f);
    EXPECT_EQ(huge.pulseCode, kLongestPulseCode);
    EXPECT_TRUE(huge.saturated);
}

// A correction as a timed pulse: 1/63 s per unit to the nearest millisecond, east or north for an
// error of zero or more.
TEST(Corrections, TimedPulses)
{
    struct Case {
        Axis axis;
        int code;
        int32_t error;
        GuideDirection direction;
        int ms;
    };
    const Case cases[] = {
        {Axis::Ra, 50, 3, GuideDirection::East, 794},     {Axis::Ra, 50, -3, GuideDirection::West, 794},
        {Axis::Dec, 63, 10, GuideDirection::North, 1000}, {Axis::Dec, 1, -1, GuideDirection::South, 16},
        {Axis::Ra, 0, 0, GuideDirection::East, 0},        {Axis::Dec, 0, 0, GuideDirection::North, 0},
    };
    for (const Case& c : cases) {
        const GuidePulse pulse = PulseFor(c.axis, {c.code, false, true}, c.error);
        EXPECT_EQ(pulse.direction, c.direction) << c.code << " " << c.error;
        EXPECT_EQ(pulse.ms, c.ms) << c.code << " " << c.error;
    }
}

}  // namespace
}  // namespace nuvix
