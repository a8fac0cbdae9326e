#include "guiding/GuideLog.h"

#include "guiding/GuideLogReader.h"

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
    // 2 arc seconds per pixel; 7.5 and 5 arc seconds per second.
    static GuideLogSession Session() { return {2.0f, 773.5, 7.5, 5.0, false, false, "Stellon standard", 150, 130}; }

    std::filesystem::path dir;
    std::string path;
};

// Each frame as the readers expect it: dx, dy the star minus the reference; the raw distances
// positive toward west and south; the pixels each pulse covers; lengths with directions; the
// population as star mass; lost and swamped stars dropped, without mass.
TEST_F(GuideLogFile, FramesAsTheReadersCountThem)
{
    const GuidePulse none{GuideDirection::East, 0};
    const GuideLogFrame frames[] = {
        {3, -10, false, false, {{GuideDirection::East, 794}, {GuideDirection::South, 1000}}, 20},
        {3, 0, true, false, {{GuideDirection::West, 794}, none}, 30},
        {0, 0, false, false, {none, none}, 12},
        {0, 0, false, false, {none, none}, 3},
        {0, 0, false, false, {none, none}, 250},
    };
    {
        GuideLog log(path, "Nuvix V 2.07");
        log.Begin(Session(), 1000);
        int32_t now = 1000;
        for (const GuideLogFrame& frame : frames)
            log.Frame(frame, now += 250);
    }
    const std::string columns = std::string(testing::kGuideColumns) + "\n";
    const std::string text = Text();
    const size_t header = text.find(columns);
    ASSERT_NE(header, std::string::npos);
    EXPECT_EQ(text.substr(header + columns.size(), text.find("Guiding Ends at ") - header - columns.size()),
              "1,0.250,\"Mount\",-3.000,10.000,-3.000,10.000,-2.978,2.500,794,E,1000,S,,,20,,0\n"
              "2,0.500,\"Mount\",-3.000,0.000,3.000,0.000,2.978,0.000,794,W,0,,,,30,,0\n"
              "3,0.750,\"Mount\",0.000,0.000,0.000,0.000,0.000,0.000,0,,0,,,,12,,0\n"
              "4,1.000,\"DROP\",,,,,,,,,,,,,0,,3,\"Étoile perdue (3 pixels)\"\n"
              "5,1.250,\"DROP\",,,,,,,,,,,,,0,,6,\"Étoile noyée (250 pixels)\"\n");

    std::istringstream in(text);
    const testing::GuideLogText log = testing::ReadGuideLog(in);
    EXPECT_TRUE(log.problems.empty());
    ASSERT_EQ(log.sessions.size(), 1u);
    const testing::GuideSession& session = log.sessions[0];
    EXPECT_EQ(session.entries.size(), std::size(frames));
    EXPECT_NEAR(session.Rms(true), std::sqrt((9.0 + 9.0 + 0.0) / 3.0), 1e-9);  // drops left out
    EXPECT_EQ(session.header.at("Pixel scale"), "2.00 arc-sec/px");
    EXPECT_EQ(session.header.at("xRate"), "3.750");
    EXPECT_EQ(session.header.at("yRate"), "2.500");
    EXPECT_EQ(session.header.at("Lock position"), "150.000");
}

// A later run appends its sessions to the same file under the one version line.
TEST_F(GuideLogFile, AppendedAcrossRuns)
{
    for (int run = 0; run < 2; ++run) {
        GuideLog log(path, "Nuvix V 2.07");
        log.Begin(Session(), 0);
        log.Frame({1, 1, false, false, {}, 20}, 100);
        log.End();
        EXPECT_FALSE(log.TakeFailure());
    }
    std::istringstream in(Text());
    const testing::GuideLogText log = testing::ReadGuideLog(in);
    EXPECT_TRUE(log.problems.empty());
    EXPECT_EQ(log.versionLine.rfind("Nuvix V 2.07, Log version 2.5. Log enabled at ", 0), 0u);
    EXPECT_EQ(log.sessions.size(), 2u);
}

}  // namespace
}  // namespace nuvix
