#include "guiding/GuideAlgorithm.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace nuvix {
namespace {

constexpr double kRate = 5.0;  // pixels per second of pulse

// Frames one second apart, each exposed after the pulses of the one before have ended.
std::vector<AxisDecision> Guide(Axis axis, const GuideSettings& settings, const std::vector<double>& offsets)
{
    GuideAlgorithm algorithm(settings);
    std::vector<AxisDecision> decisions;
    for (size_t i = 0; i < offsets.size(); ++i) {
        const int64_t start = 2000 * static_cast<int64_t>(i);
        GuideFrameInput frame{0.0, 0.0, kRate, kRate, start, start + 1000};
        (axis == Axis::Ra ? frame.raOffset : frame.decOffset) = offsets[i];
        const GuideDecision d = algorithm.Frame(frame);
        decisions.push_back(axis == Axis::Ra ? d.ra : d.dec);
    }
    return decisions;
}

// Each axis's corrections over a run of offsets, with the defaults unless a case says otherwise,
// and the last one's pulse at 5 px/s: a star carried off the way West and North pulses move it
// is brought back East and South.
TEST(GuideAlgorithm, CorrectionsPerAxis)
{
    struct Case {
        const char* what;
        Axis axis;
        double hysteresis;
        std::vector<double> offsets;
        std::vector<double> corrections;
        GuideDirection way;
        int ms;
    };
    using enum GuideDirection;
    const Case cases[] = {
        {"RA min move", Axis::Ra, 0, {0.14, -0.14, 0.15}, {0, 0, 0.105}, East, 21},
        {"RA, 70 % of the offset", Axis::Ra, 0, {1.0, -2.0}, {0.7, -1.4}, West, 280},
        {"RA pulses cut to 1 s", Axis::Ra, 0, {10}, {7}, East, 1000},
        {"RA carries 10 % over", Axis::Ra, 10, {1, 1, 0.1, 1}, {0.63, 0.6741, 0, 0.63}, East, 126},
        {"RA never pushes the star away", Axis::Ra, 90, {2, -0.2}, {0.14, 0}, East, 0},
        {"DEC corrects a side kept 3 frames", Axis::Dec, 0, {0.5, 0.5, 0.5, 0.4}, {0, 0, 0.5, 0.4}, South, 80},
        {"DEC resists", Axis::Dec, 0, {-1, -1, -1, 1, 1, -1, 1, 1, 1}, {0, 0, -1, 0, 0, -1, 0, 0, 1}, South, 200},
        {"DEC min move breaks the run", Axis::Dec, 0, {-1, -0.1, -1, -1, -1}, {0, 0, 0, 0, -1}, North, 200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GuideSettings settings;
        settings.ra.hysteresis = c.hysteresis;
        const std::vector<AxisDecision> decisions = Guide(c.axis, settings, c.offsets);
        for (size_t i = 0; i < decisions.size(); ++i) {
            EXPECT_TRUE(decisions[i].used);
            EXPECT_NEAR(decisions[i].correction, c.corrections[i], 1e-9) << i;
        }
        EXPECT_EQ(decisions.back().pulse.ms, c.ms);
        EXPECT_EQ(decisions.back().capped, c.ms == 1000);
        EXPECT_EQ(decisions.back().pulse.direction, c.way);
    }
}

// A pulse of 126 ms on RA goes out at 1,000 ms: RA waits for a frame exposed from 1,126 on, or
// from when the mount said the pulse ended; DEC is not held by it; an uncalibrated axis is not
// guided.
TEST(GuideAlgorithm, PulseGate)
{
    GuideAlgorithm algorithm(GuideSettings{});
    ASSERT_EQ(algorithm.Frame({1.0, 0.0, kRate, kRate, 0, 1000}).ra.pulse.ms, 126);
    struct Case {
        int64_t exposureStart, now, mountSaidEndedAt;
        double raRate;
        bool raUsed;
    };
    const Case cases[] = {
        {1100, 1200, 0, kRate, false},   {1126, 1126, 0, kRate, true}, {1126, 1500, 1400, kRate, false},
        {1400, 1500, 1400, kRate, true}, {5000, 6000, 0, 0.0, false},  {5000, 6000, 0, std::nan(""), false},
    };
    for (const Case& c : cases) {
        GuideAlgorithm copy = algorithm;
        if (c.mountSaidEndedAt > 0) copy.PulseEnded(Axis::Ra, c.mountSaidEndedAt);
        const GuideDecision d = copy.Frame({0.05, 0.05, c.raRate, kRate, c.exposureStart, c.now});
        EXPECT_EQ(d.ra.used, c.raUsed) << c.exposureStart << " " << c.now;
        EXPECT_TRUE(d.dec.used);
    }
    algorithm.Reset();
    EXPECT_TRUE(algorithm.Frame({1.0, 0.0, kRate, kRate, 1010, 1020}).ra.used);
}

// An axis drifting 0.1 px/s with measurement noise of 0.1 px, guided from 3 px off on a fake
// clock: frames of one second exposed after the pulses they follow, each pulse moving the star
// at the calibrated rate while it runs.
TEST(GuideAlgorithm, ClosedLoopConvergesWithoutHunting)
{
    for (const Axis axis : {Axis::Ra, Axis::Dec}) {
        SCOPED_TRACE(axis == Axis::Ra ? "RA" : "DEC");
        GuideAlgorithm algorithm(GuideSettings{});
        std::mt19937 random(3);
        std::normal_distribution<double> noise(0.0, 0.1);
        double star = 3.0;
        int64_t now = 0;
        double squares = 0.0;
        int backward = 0;  // pulses that push the star the way it drifts
        for (int frame = 0; frame < 300; ++frame) {
            const int64_t start = now;
            now += 1000;  // exposure
            star += 0.1;
            const double seen = star - 0.05 + noise(random);  // the exposure's mean position
            const GuideDecision d = algorithm.Frame({seen, seen, kRate, kRate, start, now + 50});
            const AxisDecision& a = axis == Axis::Ra ? d.ra : d.dec;
            ASSERT_TRUE(a.used);  // the previous pulse has ended before the exposure
            const bool back = a.pulse.direction == GuideDirection::West || a.pulse.direction == GuideDirection::North;
            star += (back ? 1.0 : -1.0) * kRate * a.pulse.ms / 1000.0;
            now += 50 + a.pulse.ms;
            if (frame < 20) continue;
            squares += star * star;
            if (back && a.pulse.ms > 0) ++backward;
        }
        EXPECT_LT(std::sqrt(squares / 280), 0.25);
        // Hunting overshoots, then pushes back: only a few frames far out in the noise may.
        EXPECT_LE(backward, 3);
    }
}

TEST(GuideSettings, ClampedAndKeptInAKeyFileGroup)
{
    GuideSettings odd;
    odd.ra.minMove = -1;
    odd.ra.aggressiveness = 250;
    odd.ra.hysteresis = std::nan("");
    odd.dec.resistFrames = 40;
    odd.dec.maxPulseMs = 1;
    odd.star.minSnr = 2;
    GuideSettings sane;  // the nearest sane values, and the default for what is not a number
    sane.ra.minMove = 0;
    sane.ra.aggressiveness = 100;
    sane.dec.resistFrames = 10;
    sane.dec.maxPulseMs = 10;
    sane.star.minSnr = 3;
    EXPECT_EQ(GuideSettingsKeys(Clamped(odd)), GuideSettingsKeys(sane));

    GuideSettings mine;
    mine.ra.minMove = 0.123;
    mine.dec.resistFrames = 5;
    mine.star.minHfd = 2.25;
    EXPECT_EQ(GuideSettingsKeys(ReadGuideSettings(GuideSettingsKeys(mine)).settings), GuideSettingsKeys(mine));

    const GuideSettingsRead read =
        ReadGuideSettings({{"RaMinMove", " 0.3 "}, {"RaHysteresis", "dix"}, {"DecMaxPulse", "99999"}, {"Other", "x"}});
    GuideSettings taken;  // missing keys take their defaults without a word
    taken.ra.minMove = 0.3;
    taken.dec.maxPulseMs = 5000;
    EXPECT_EQ(GuideSettingsKeys(read.settings), GuideSettingsKeys(taken));
    const std::vector<std::string> problems = {"RaHysteresis = \"dix\" is not a number from 0 to 90: 10 taken",
                                               "DecMaxPulse = \"99999\" is not a number from 10 to 5000: 5000 taken"};
    EXPECT_EQ(read.problems, problems);
}

TEST(GuideSettings, LogLinesInTheViewersLayout)
{
    const std::vector<std::string> expected = {
        "X guide algorithm = Hysteresis, Hysteresis = 0.100, Aggression = 0.700, Minimum move = 0.150",
        "Y guide algorithm = Resist Switch, Minimum move = 0.200 Aggression = 100% FastSwitch = disabled",
        "Max RA duration = 1000, Max DEC duration = 1000, DEC guide mode = Auto",
    };
    EXPECT_EQ(GuideAlgorithmLogLines(GuideSettings{}), expected);
}

}  // namespace
}  // namespace nuvix
