#include "IndiRig.h"

#include "analysis/EnergyWindow.h"
#include "guiding/CorrectionOutput.h"
#include "guiding/GuideLogReader.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>

using nuvix::testing::IndiLoop;

namespace nuvix {
namespace {

constexpr int64_t kSecond = 1000;

// The observer's record for these runs: a 50 cm guide scope (3.1 arc seconds per pixel) and the
// simulator's guide rate, half the sidereal rate, on both axes.
tparam Record(bool invertRa)
{
    tparam record;
    record.focalLength = 50.0;
    record.raSpeed = 7.52;
    record.decSpeed = 7.52;
    record.invertRa = invertRa;
    return record;
}

struct GuidedRun {
    double rms = 0.0;  // of the true star's distance to where it stood at "Track"
    double last = 0.0;
    std::vector<int32_t> deltaX, deltaY;  // every guided frame's error, as the program measured it
};

class IndiGuiding : public IndiLoop {
protected:
    // Clicks "Track" and guides for that long.
    GuidedRun Guide(int64_t ms)
    {
        h.kit.Click(h.Image(), 450);
        const sim::SkyPoint start = StarNow();
        GuidedRun run;
        double squares = 0.0;
        RunFor(ms, {}, [&] {
            const sim::SkyPoint now = StarNow();
            run.last = std::hypot(now.x - start.x, now.y - start.y);
            squares += run.last * run.last;
            const TrackingState& t = h.State().tracking;
            run.deltaX.push_back(t.DeltaX());
            run.deltaY.push_back(t.DeltaY());
        });
        run.rms = run.deltaX.empty() ? 0.0 : std::sqrt(squares / static_cast<double>(run.deltaX.size()));
        return run;
    }
};

// The spread the energy window shows: its counts per whole pixel of error, less the zero error
// it is seeded with when guiding starts.
double Rms(const std::array<int32_t, specwin::kBins>& counts)
{
    double squares = 0.0;
    double frames = -1.0;
    for (int b = 0; b < specwin::kBins; ++b) {
        squares +=
            static_cast<double>(b - specwin::kZeroBin) * (b - specwin::kZeroBin) * counts[static_cast<size_t>(b)];
        frames += counts[static_cast<size_t>(b)];
    }
    return frames > 0 ? std::sqrt(squares / frames) : 0.0;
}

double Rms(const std::vector<int32_t>& values)
{
    double squares = 0.0;
    for (int32_t v : values)
        squares += static_cast<double>(v) * v;
    return values.empty() ? 0.0 : std::sqrt(squares / static_cast<double>(values.size()));
}

// Minutes of drift and periodic error, corrected through INDI's own telescope driver, with the
// guide log of the run read back.
TEST_F(IndiGuiding, HoldsTheStarThroughTheSimulatorsMount)
{
    ASSERT_TRUE(server.Start());
    const std::string logPath = (h.dir / "guide.txt").string();
    Start(Record(false), logPath);
    ASSERT_TRUE(WaitForMount());
    RunFor(2 * kSecond);

    const GuidedRun run = Guide(NUVIX_INDI_GUIDE_SECONDS * kSecond);
    std::printf("guided %zu frames: star RMS %.3f px, last %.3f px; measured errors RMS X %.3f px, Y %.3f px\n",
                run.deltaX.size(), run.rms, run.last, Rms(run.deltaX), Rms(run.deltaY));
    EXPECT_LT(run.rms, 1.0);
    EXPECT_LT(run.last, 2.0);
    EXPECT_GT(mount->PulsesSent(), 50);
    EXPECT_EQ(Boxes("Monture connectée : Telescope Simulator"), 1);
    const double energyX = Rms(h.Image().EnergyGraph().XCounts());
    const double energyY = Rms(h.Image().EnergyGraph().YCounts());

    h.app.reset();  // ends the session
    std::ifstream in(logPath);
    const testing::GuideLogText log = testing::ReadGuideLog(in);
    EXPECT_TRUE(log.problems.empty()) << log.problems.front();
    EXPECT_EQ(log.versionLine.rfind("Nuvix V 2.07, Log version 2.5. Log enabled at ", 0), 0u) << log.versionLine;
    ASSERT_EQ(log.sessions.size(), 1u);
    const testing::GuideSession& session = log.sessions[0];
    EXPECT_FALSE(session.ends.empty());
    EXPECT_EQ(session.header.at("Mount"), "INDI Telescope Simulator");
    EXPECT_EQ(session.header.at("Pixel scale"), "3.09 arc-sec/px");
    ASSERT_EQ(session.entries.size(), run.deltaX.size());
    int pulses = 0;
    for (const auto& e : session.entries)
        pulses += (e.raMs > 0) + (e.decMs > 0);
    EXPECT_EQ(pulses, mount->PulsesSent());
    // The log's spread is the one of the errors the program worked from, as counted per frame.
    EXPECT_NEAR(session.Rms(true), Rms(run.deltaX), 1e-9);
    EXPECT_NEAR(session.Rms(false), Rms(run.deltaY), 1e-9);
    // And the energy window's distribution.
    EXPECT_NEAR(session.Rms(true), energyX, 1e-9);
    EXPECT_NEAR(session.Rms(false), energyY, 1e-9);
}

TEST_F(IndiGuiding, AnAxisInvertedForNoReasonRunsAway)
{
    ASSERT_TRUE(server.Start());
    Start(Record(true));
    ASSERT_TRUE(WaitForMount());
    RunFor(2 * kSecond);
    const GuidedRun run = Guide(45 * kSecond);
    EXPECT_GT(run.last, 10.0);
}

// The server dies in the middle of guiding and comes back: the loss is told once however many
// attempts fail, the mount is taken up again by itself, and guiding holds the star again.
TEST_F(IndiGuiding, ServerKilledAndRestartedDuringGuiding)
{
    ASSERT_TRUE(server.Start());
    Start(Record(false));
    ASSERT_TRUE(WaitForMount());
    RunFor(2 * kSecond);
    h.kit.Click(h.Image(), 450);
    const sim::SkyPoint start = StarNow();
    RunFor(10 * kSecond);

    server.Kill();
    RunFor(5 * kSecond);
    EXPECT_EQ(Boxes("Le serveur INDI ne répond pas"), 1);
    EXPECT_TRUE(mount->MountName().empty());
    const int sentBefore = mount->PulsesSent();

    ASSERT_TRUE(server.Start());
    ASSERT_TRUE(WaitForMount());
    RunFor(15 * kSecond);
    const sim::SkyPoint end = StarNow();

    EXPECT_EQ(Boxes("Le serveur INDI ne répond pas"), 1);
    EXPECT_EQ(Boxes("Monture connectée : Telescope Simulator"), 2);
    EXPECT_GT(mount->PulsesSent(), sentBefore);
    EXPECT_LT(std::hypot(end.x - start.x, end.y - start.y), 2.0);
}

}  // namespace
}  // namespace nuvix
