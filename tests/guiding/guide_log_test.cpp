#include "guiding/GuideLog.h"

#include "guiding/GuideLogReader.h"
#include "platform/clock/FakeClock.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace nuvix {
namespace {

class GuideLogFile : public ::testing::Test {
protected:
    GuideLogFile()
    {
        std::random_device rd;
        dir = std::filesystem::temp_directory_path() / ("nuvix-log-" + std::to_string(rd()));
        std::filesystem::create_directories(dir);
        path = (dir / "guide.txt").string();
    }
    ~GuideLogFile() override { std::filesystem::remove_all(dir); }
    std::string Text() const
    {
        std::ifstream in(path);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // 2 arc seconds per pixel; 7.5 and 5 arc seconds per second; a mount west of its pier.
    static GuidingSetup MountSetup()
    {
        GuidingSetup setup;
        setup.mount = "INDI Telescope Simulator";
        setup.camera = "QuickCam (LPT1)";
        setup.exposureMs = 67.7f;
        setup.arcsecPerPixel = 2.0f;
        setup.focalLengthMm = 773.5;
        setup.raSpeed = 7.5;
        setup.decSpeed = 5.0;
        setup.pointing = MountPointing{5.5, 10.0, -1.25};
        setup.pierSide = PierSide::West;
        setup.lockX = 150;
        setup.lockY = 130;
        return setup;
    }
    static GuidingBegun Begun()
    {
        GuidingBegun begun;
        begun.setup = MountSetup();
        begun.xAngleDegrees = 215.0;
        begun.yAngleDegrees = 125.0;
        begun.xRatePxPerSecond = 3.75;
        begun.yRatePxPerSecond = 2.5;
        return begun;
    }
    static GuideStep Step(double dx, double dy, FramePulses pulses, int32_t mass)
    {
        GuideStep step;
        step.dx = dx;
        step.dy = dy;
        step.raDistance = dx;
        step.decDistance = dy;
        step.raGuideDistance = pulses.ra.ms * 0.00375 * (dx < 0 ? -1 : 1);
        step.pulses = pulses;
        step.starMass = mass;
        step.population = mass;
        step.snr = 12.5;
        step.lost = mass < 5;
        step.swamped = mass > 200;
        return step;
    }

    FakeClock clock;
    std::filesystem::path dir;
    std::string path;
};

// Each frame as the readers expect it: dx, dy the star minus the reference; the raw distances;
// the pixels each pulse covers; lengths with directions (0 for a pulse not sent); mass and SNR as
// numbers; lost and swamped stars dropped, without mass.
TEST_F(GuideLogFile, FramesAsTheReadersCountThem)
{
    const GuidePulse none{GuideDirection::East, 0};
    const GuideStep steps[] = {
        Step(-3, 10, {{GuideDirection::East, 794}, {GuideDirection::South, 1000}}, 20),
        Step(3, 0, {{GuideDirection::West, 794}, none}, 30),
        Step(0.5, -0.25, {none, none}, 12),
        Step(0, 0, {none, none}, 3),
        Step(0, 0, {none, none}, 250),
    };
    {
        GuideLog log(path, "Nuvix V 2.07", clock);
        clock.AdvanceMs(1000);
        log.Hear(Begun());
        for (const GuideStep& step : steps) {
            clock.AdvanceMs(250);
            log.Hear(step);
        }
    }
    const std::string columns = std::string(testing::kGuideColumns) + "\n";
    const std::string text = Text();
    const size_t header = text.find(columns);
    ASSERT_NE(header, std::string::npos);
    EXPECT_EQ(text.substr(header + columns.size(), text.find("Guiding Ends at ") - header - columns.size()),
              "1,0.250,\"Mount\",-3.000,10.000,-3.000,10.000,-2.978,0.000,794,E,1000,S,,,20,12.50,0\n"
              "2,0.500,\"Mount\",3.000,0.000,3.000,0.000,2.978,0.000,794,W,0,,,,30,12.50,0\n"
              "3,0.750,\"Mount\",0.500,-0.250,0.500,-0.250,0.000,0.000,0,,0,,,,12,12.50,0\n"
              "4,1.000,\"DROP\",,,,,,,,,,,,,0,12.50,3,\"Étoile perdue (3 pixels)\"\n"
              "5,1.250,\"DROP\",,,,,,,,,,,,,0,12.50,6,\"Étoile noyée (250 pixels)\"\n");

    std::istringstream in(text);
    const testing::GuideLogText log = testing::ReadGuideLog(in);
    EXPECT_TRUE(log.problems.empty()) << log.problems.front();
    ASSERT_EQ(log.sessions.size(), 1u);
    const testing::GuideSession& session = log.sessions[0];
    EXPECT_EQ(session.entries.size(), std::size(steps));
    EXPECT_NEAR(session.Rms(true), std::sqrt((9.0 + 9.0 + 0.25) / 3.0), 1e-9);  // drops left out
    const std::map<std::string, std::string> expected = {
        {"Camera", "QuickCam (LPT1)"},
        {"Exposure", "68 ms"},
        {"Pixel scale", "2.00 arc-sec/px"},
        {"RA", "5.50 hr"},
        {"Dec", "10.0 deg"},
        {"Hour angle", "-1.25 hr"},
        {"Pier side", "West"},
        {"xAngle", "215.0"},
        {"xRate", "3.750"},
        {"yAngle", "125.0"},
        {"yRate", "2.500"},
        {"Mount", "INDI Telescope Simulator"},
        {"Lock position", "150.000"},
    };
    for (const auto& [key, value] : expected)
        EXPECT_EQ(session.header.at(key), value) << key;
}

// A calibration section as the log viewers read it, notes between the sections, and a later run
// appending under the one version line.
TEST_F(GuideLogFile, CalibrationSectionsAndNotesAcrossRuns)
{
    for (int run = 0; run < 2; ++run) {
        GuideLog log(path, "Nuvix V 2.07", clock);
        log.Hear(GuidingNote{"mount \"Telescope Simulator\" ready to guide"});
        log.Hear(CalibrationBegun{MountSetup(), 321, 25.0});
        log.Hear(CalibrationStep{CalibrationLeg::West, 1, 0, 0, 150, 130, 0});
        log.Hear(CalibrationStep{CalibrationLeg::West, 2, -3.5, -2, 146.5, 128, 4.03});
        log.Hear(CalibrationAxisDone{CalibrationLeg::West, -145.04, 9.7});
        log.Hear(CalibrationStep{CalibrationLeg::Backlash, 1, 0, 4, 146.5, 132, 4});
        log.Hear(CalibrationStep{CalibrationLeg::North, 2, -2, 3, 144.5, 135, 3.6});
        log.Hear(run == 0 ? CalibrationEnded{true, "Telescope Simulator", {}}
                          : CalibrationEnded{false, "Telescope Simulator", "Dec axis does not move"});
        log.Hear(GuidingNote{"mount \"Telescope Simulator\" parked: no guide pulses"});
        EXPECT_FALSE(log.TakeFailure());
    }
    std::istringstream in(Text());
    const testing::GuideLogText log = testing::ReadGuideLog(in);
    EXPECT_TRUE(log.problems.empty()) << log.problems.front();
    EXPECT_EQ(log.versionLine.rfind("Nuvix V 2.07, Log version 2.5. Log enabled at ", 0), 0u);
    ASSERT_EQ(log.calibrations.size(), 2u);
    const testing::CalibrationSection& first = log.calibrations[0];
    EXPECT_EQ(first.header.at("Mount"), "INDI Telescope Simulator");
    EXPECT_EQ(first.header.at("Calibration Step"), "321 ms");
    EXPECT_EQ(first.header.at("Pier side"), "West");
    EXPECT_EQ(first.steps.at("West"), 2);
    EXPECT_EQ(first.steps.at("Backlash"), 1);
    EXPECT_DOUBLE_EQ(first.axes.at("West").first, -145.0);
    EXPECT_DOUBLE_EQ(first.axes.at("West").second, 9.7);
    EXPECT_EQ(first.end, "Calibration complete, mount = Telescope Simulator.");
    EXPECT_EQ(log.calibrations[1].end, "Calibration failed: Dec axis does not move.");
    EXPECT_EQ(log.infos.size(), 4u);
}

}  // namespace
}  // namespace nuvix
