#include "guiding/Calibration.h"
#include "guiding/CalibrationStore.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace nuvix {
namespace {

constexpr double kPi = 3.141592653589793;

Calibration Model(double raAngle, double decAngle, PierSide side = PierSide::West)
{
    Calibration c;
    c.mount = "M";
    c.ra = {raAngle, 0.01};  // ten pixels a second
    c.dec = {decAngle, 0.02};
    c.decDegrees = 0.0;
    c.pierSide = side;
    c.arcsecPerPixel = 1.0;
    return c;
}

MountReport On(PierSide side, double decDegrees = 0.0)
{
    MountReport report;
    report.name = "M";
    report.link = MountLink::Ready;
    report.pierSide = side;
    report.pointing = MountPointing{5.0, decDegrees, std::nullopt};
    return report;
}

// A star pushed `west` pixels the way a west pulse moves it and `north` pixels the way a north
// pulse does comes back with an east and a south pulse of the lengths those pixels take, whatever
// the angle of the axes, perpendicular, mirrored or not.
TEST(Calibration, ErrorSplitAlongTheAxesAndSentBack)
{
    struct Case {
        double raAngle, decAngle, west, north;
        GuidePulse ra, dec;
    };
    const Case cases[] = {
        {0, 90, 3, -2, {GuideDirection::East, 300}, {GuideDirection::North, 100}},
        {35, 125, 5, 4, {GuideDirection::East, 500}, {GuideDirection::South, 200}},
        {120, 210, -1.5, 0, {GuideDirection::West, 150}, {GuideDirection::South, 0}},
        {180, 90, 2, 1, {GuideDirection::East, 200}, {GuideDirection::South, 50}},      // mirrored
        {0, 80, 12, -30, {GuideDirection::East, 1000}, {GuideDirection::North, 1000}},  // skewed, cut to 1 s
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.raAngle);
        const GuideAxes axes = AxesNow(Model(c.raAngle, c.decAngle), On(PierSide::West), true);
        const double ra = c.raAngle * kPi / 180, dec = c.decAngle * kPi / 180;
        const double dx = c.west * std::cos(ra) + c.north * std::cos(dec);
        const double dy = c.west * std::sin(ra) + c.north * std::sin(dec);
        const AxisErrors errors = SplitAlongAxes(axes, dx, dy);
        EXPECT_NEAR(errors.west, c.west, 1e-9);
        EXPECT_NEAR(errors.north, c.north, 1e-9);
        const FramePulses back = PulsesBack(axes, errors, 1000);
        EXPECT_EQ(back.ra.ms, c.ra.ms);
        EXPECT_EQ(back.dec.ms, c.dec.ms);
        if (c.ra.ms) {
            EXPECT_EQ(back.ra.direction, c.ra.direction);
        }
        if (c.dec.ms) {
            EXPECT_EQ(back.dec.direction, c.dec.direction);
        }
    }
}

// After a pier-side change the camera stands half round: AD turns, and DEC turns back for a mount
// that reverses its declination (the default), not for one that keeps it. AD's rate follows
// cos(declination) from where the calibration was made. Axes that cannot be told apart split
// nothing.
TEST(Calibration, AxesAfterAFlipAndAtAnotherDeclination)
{
    struct Case {
        const char* what;
        PierSide now;
        bool decFlips;
        double decNow;
        double raX, decY, raRate;
    };
    const Case cases[] = {
        {"same side", PierSide::West, true, 0, 1, 1, 0.01},
        {"flipped", PierSide::East, true, 0, -1, 1, 0.01},
        {"flipped, DEC kept", PierSide::East, false, 0, -1, -1, 0.01},
        {"pier unknown", PierSide::Unknown, true, 0, 1, 1, 0.01},
        {"at 60 degrees", PierSide::West, true, 60, 1, 1, 0.005},
        {"near the pole", PierSide::West, true, 89.9, 1, 1, 0.001},
    };
    for (const Case& c : cases) {
        const GuideAxes axes = AxesNow(Model(0, 90), On(c.now, c.decNow), c.decFlips);
        EXPECT_NEAR(axes.raX, c.raX, 1e-9) << c.what;
        EXPECT_NEAR(axes.decY, c.decY, 1e-9) << c.what;
        EXPECT_NEAR(axes.raRatePxPerMs, c.raRate, 1e-9) << c.what;
        EXPECT_NEAR(axes.decRatePxPerMs, 0.02, 1e-12) << c.what;
    }
    const GuideAxes parallel = AxesNow(Model(10, 11), On(PierSide::West), true);
    const AxisErrors none = SplitAlongAxes(parallel, 5, 5);
    EXPECT_EQ(none.west, 0.0);
    EXPECT_EQ(none.north, 0.0);
    EXPECT_NEAR(AngleBetweenAxes(Model(170, -80)), 110.0, 1e-9);
}

// The line through a leg's positions: whole-pixel positions along a slanted path still give its
// direction closely; fewer than two positions, or no pulse time, give nothing.
TEST(Calibration, AxisFittedToTheLeg)
{
    std::vector<LegPoint> points;
    for (int step = 0; step <= 8; ++step) {
        const double moved = step * 3.2;
        points.push_back(
            {step * 330.0, std::trunc(160 + moved * std::cos(0.6)), std::trunc(120 + moved * std::sin(0.6))});
    }
    const std::optional<AxisCalibration> fitted = FitAxis(points);
    ASSERT_TRUE(fitted);
    EXPECT_NEAR(fitted->angleDegrees, 0.6 * 180 / kPi, 1.5);
    EXPECT_NEAR(fitted->ratePxPerMs, 3.2 / 330.0, 0.001);
    EXPECT_FALSE(FitAxis(std::span(points).first(1)));
    EXPECT_FALSE(FitAxis(std::vector<LegPoint>{{0, 1, 1}, {0, 2, 2}}));
}

// Stored and read back; what a calibration never writes reads as none.
TEST(CalibrationStore, KeptInTheSettingsFile)
{
    Calibration made = Model(215.25, 125.5, PierSide::East);
    made.decDegrees = 10.25;
    made.arcsecPerPixel = 0.7735;
    files::KeyFile keys;
    std::string problem;
    ASSERT_TRUE(keys.Parse("# mine\n[Guide]\nAggressiveness=0.7\n", problem));
    WriteCalibration(keys, made);
    const std::optional<Calibration> read = ReadCalibration(keys);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->mount, "M");
    EXPECT_DOUBLE_EQ(read->ra.angleDegrees, 215.25);
    EXPECT_DOUBLE_EQ(read->dec.ratePxPerMs, 0.02);
    EXPECT_EQ(read->decDegrees, 10.25);
    EXPECT_EQ(read->pierSide, PierSide::East);
    EXPECT_TRUE(ServesMount(*read, "M", 0.78));
    EXPECT_FALSE(ServesMount(*read, "M", 0.8));  // another telescope
    EXPECT_FALSE(ServesMount(*read, "Other", 0.7735));
    EXPECT_TRUE(DecFlipsAfterPierSideChange(keys));
    // Another part's group and the comment stay.
    EXPECT_EQ(keys.Text().rfind("# mine\n", 0), 0u) << keys.Text();
    EXPECT_NE(keys.Text().find("[Guide]\nAggressiveness=0.7\n"), std::string::npos) << keys.Text();

    for (const char* broken : {"RaRate=nan", "RaRate=0", "DecAngle=1e9", "PierSide=North", "Declination=95",
                               "Declination=x", "ImageScale=-1", "Mount="}) {
        files::KeyFile damaged;
        ASSERT_TRUE(damaged.Parse(keys.Text(), problem));
        const std::string line(broken);
        const size_t equals = line.find('=');
        damaged.SetString(kCalibrationGroup, line.substr(0, equals), line.substr(equals + 1));
        EXPECT_FALSE(ReadCalibration(damaged)) << broken;
    }
    EXPECT_FALSE(keys.Parse("[Calibration\nMount=M\n", problem));
    EXPECT_FALSE(problem.empty());
    EXPECT_FALSE(ReadCalibration(keys));
}

}  // namespace
}  // namespace nuvix
