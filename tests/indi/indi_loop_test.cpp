#include "IndiRig.h"
#include "PulseWatcher.h"

#include "guiding/GuideLogReader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>

using nuvix::testing::IndiLoop;
using nuvix::testing::SimulatorServer;

namespace nuvix {
namespace {

constexpr int64_t kSecond = 1000;
constexpr double kTurnDegrees = 35.0;

// The observer's record for these runs: a 70 cm focal length, 2.2 arc seconds per pixel. The
// simulator's guide rate, half the sidereal rate, moves the star 3.4 pixels a second, and it
// reports its right ascension in steps of 1.5 arc seconds, two thirds of a pixel here. At 1.55
// arc seconds per pixel a step is a whole pixel, and the simulated star hopping between two steps
// alone keeps its spread over 0.4 pixels, whatever the guiding does.
tparam Record()
{
    tparam record;
    record.focalLength = 70.0;
    record.raSpeed = 7.52;
    record.decSpeed = 7.52;
    return record;
}

// Seconds of guiding on each side: NUVIX_INDI_GUIDE_SECONDS in the environment, for the long runs
// made by hand, or the build's.
int64_t GuideMs()
{
    const char* given = std::getenv("NUVIX_INDI_GUIDE_SECONDS");
    const int64_t seconds = given ? std::atoll(given) : NUVIX_INDI_GUIDE_SECONDS;
    return std::max<int64_t>(seconds, 5) * kSecond;
}

double Difference(double a, double b)
{
    return std::abs(std::remainder(a - b, 360.0));
}

class IndiGuiding : public IndiLoop {
protected:
    // The true star's spread over `ms` of guiding.
    double GuidedRms(int64_t ms)
    {
        testing::StarSpread spread;
        RunFor(ms, {}, [&] { spread.Add(StarNow()); });
        return spread.Rms();
    }
    testing::GuideLogText Log(const std::string& path)
    {
        h.app.reset();  // ends the session
        std::ifstream in(path);
        return testing::ReadGuideLog(in);
    }
};

// A goto east of the meridian, a calibration there with the camera turned 35 degrees, guiding;
// then a goto across the meridian, and guiding on through the same calibration turned half round.
TEST_F(IndiGuiding, CalibratesAndGuidesOnBothSidesOfThePier)
{
    // Two minutes of real time that check the loop's accuracy, which the sanitizers' slow frames
    // cannot show: their build has the INDI client in the camera, restart and dither runs.
    if (NUVIX_SANITIZED) GTEST_SKIP() << "the loop's accuracy in real time is checked in the plain build";
    ASSERT_TRUE(server.Start(-1.0));
    sky.SetCameraTurn(kTurnDegrees, false);
    const std::string logPath = (h.dir / "guide.txt").string();
    Start(Record(), logPath);
    ASSERT_TRUE(WaitForMount());
    testing::PulseWatcher watcher(server.Address());
    EXPECT_EQ(mount->Report().pierSide, PierSide::West);
    RunFor(2 * kSecond);  // the first message, then live frames

    MountGuider& guider = *h.Image().Guider();
    const auto started = std::chrono::steady_clock::now();
    h.kit.Click(h.Image(), 450);
    ASSERT_TRUE(guider.Calibrating());
    RunFor(60 * kSecond, [&] { return !guider.Calibrating(); });
    const double calibrationSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    ASSERT_TRUE(h.State().tracking.trackingOn) << guider.FailureText();
    const std::optional<Calibration> model = guider.Model(h.State().parameters.arcsecPerPixel);
    ASSERT_TRUE(model);
    // West of the pier the picture stands half round: a west pulse moves the star toward +x, a
    // north pulse (the simulator turns its declination axis the other way there) toward +y.
    EXPECT_LT(Difference(model->ra.angleDegrees, 0.0 + kTurnDegrees), 3.0) << model->ra.angleDegrees;
    EXPECT_LT(Difference(model->dec.angleDegrees, 90.0 + kTurnDegrees), 3.0) << model->dec.angleDegrees;

    const double west = GuidedRms(GuideMs());
    ASSERT_TRUE(RunWhile([this] { return server.Goto(1.0); }));
    EXPECT_EQ(mount->Report().pierSide, PierSide::East);
    RunFor(3 * kSecond);  // the star found again where it was
    const double east = GuidedRms(GuideMs());
    std::printf("calibration %.1f s, RA %.1f deg, DEC %.1f deg; star RMS west of the pier %.3f px, east %.3f px\n",
                calibrationSeconds, model->ra.angleDegrees, model->dec.angleDegrees, west, east);
    EXPECT_LT(west, 0.45);
    EXPECT_LT(east, 0.45);
    EXPECT_FALSE(guider.Calibrating());
    std::printf("the simulator started %d pulses, %d while the last on its axis ran\n", watcher.started.load(),
                watcher.overlaps.load());
    EXPECT_GT(watcher.started, 20);
    EXPECT_EQ(watcher.overlaps, 0);

    const testing::GuideLogText log = Log(logPath);
    EXPECT_TRUE(log.problems.empty()) << log.problems.front();
    ASSERT_EQ(log.calibrations.size(), 1u);
    EXPECT_EQ(log.calibrations[0].end, "Calibration complete, mount = Telescope Simulator.");
    EXPECT_EQ(log.calibrations[0].header.at("Pier side"), "West");
    ASSERT_EQ(log.sessions.size(), 1u);
    EXPECT_EQ(log.sessions[0].header.at("Mount"), "INDI Telescope Simulator");
    const auto told = [&](const std::string& part) {
        return std::count_if(log.infos.begin(), log.infos.end(),
                             [&](const std::string& info) { return info.find(part) != std::string::npos; });
    };
    EXPECT_EQ(told("chosen on"), 1);
    EXPECT_EQ(told("slewing"), 1);
    EXPECT_EQ(told("east side of the pier"), 1);
}

// The telescope and the camera on one server, no device named: the telescope is guided, also
// after a restart in which the camera comes first. The server's loss is one box naming it and its
// reason, and no pulse is logged as sent meanwhile. Parking stops the pulses with one box and a
// log line; unparking resumes them.
TEST_F(IndiGuiding, TelescopeBesideTheCameraAcrossARestartAndAPark)
{
    SimulatorServer both(h.dir / "both", SimulatorServer::Driver::TelescopeAndCamera);
    ASSERT_TRUE(both.Start(-1.0));
    testing::StoreEarlierCalibration(h.dir / "nuvix.ini", Record().focalLength);
    const std::string logPath = (h.dir / "guide.txt").string();
    Start(Record(), logPath, both.Address());
    ASSERT_TRUE(WaitForMount());
    EXPECT_EQ(mount->Report().name, "Telescope Simulator");
    RunFor(2 * kSecond);
    h.kit.Click(h.Image(), 450);
    EXPECT_TRUE(h.State().tracking.trackingOn);  // no calibration needed
    RunFor(6 * kSecond);
    EXPECT_GT(mount->PulsesSent(), 0);

    both.Kill();
    RunFor(3 * kSecond);
    const std::string where = indi::ToString(both.Address());
    EXPECT_EQ(Boxes("Le serveur INDI ne répond pas : " + where + " (connexion perdue)"), 1);
    const int beforeRestart = mount->PulsesSent();
    ASSERT_TRUE(RunWhile([&] { return both.Start(-1.0, true); }));
    ASSERT_TRUE(WaitForMount());
    RunFor(3 * kSecond);
    const sim::SkyPoint start = StarNow();
    RunFor(5 * kSecond);
    EXPECT_EQ(mount->Report().name, "Telescope Simulator");
    EXPECT_GT(mount->PulsesSent(), beforeRestart);
    EXPECT_LT(std::hypot(StarNow().x - start.x, StarNow().y - start.y), 2.0);

    ASSERT_TRUE(RunWhile([&] { return both.Park(); }));
    RunFor(kSecond);
    const int parked = mount->PulsesSent();
    RunFor(kSecond);
    EXPECT_EQ(mount->PulsesSent(), parked);
    EXPECT_EQ(Boxes("Monture parquée : plus de corrections"), 1);
    ASSERT_TRUE(RunWhile([&] { return both.Unpark(); }));
    RunFor(3 * kSecond);
    EXPECT_GT(mount->PulsesSent(), parked);

    const testing::GuideLogText log = Log(logPath);
    EXPECT_TRUE(log.problems.empty()) << log.problems.front();
    EXPECT_TRUE(log.calibrations.empty());
    std::string infos;
    for (const std::string& info : log.infos)
        infos += info + "\n";
    for (const char* part : {"chosen on", " lost: connection lost", "back, mount \"Telescope Simulator\" ready",
                             "parked: no guide pulses", "tracking: guide pulses resume"}) {
        EXPECT_NE(infos.find(part), std::string::npos) << part << " in\n" << infos;
    }
    EXPECT_EQ(infos.find("CCD Simulator"), std::string::npos) << infos;
}

}  // namespace
}  // namespace nuvix
