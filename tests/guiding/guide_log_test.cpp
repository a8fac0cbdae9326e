#include "guiding/GuideLog.h"

#include "guiding/GuideLogReader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

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
    testing::GuideLogText Read() const
    {
        std::ifstream in(path);
        return testing::ReadGuideLog(in);
    }
    static GuideLogSession Session()
    {
        GuideLogSession s;
        s.arcsecPerPixel = 2.0f;
        s.focalLengthMm = 773.5;
        s.raSpeed = 7.5;
        s.decSpeed = 5.0;
        s.mount = "Stellon standard";
        s.lockX = 150;
        s.lockY = 130;
        return s;
    }

    std::filesystem::path dir;
    std::string path;
};

TEST_F(GuideLogFile, FramesAsTheReadersCountThem)
{
    struct Case {
        const char* what;
        GuideLogFrame frame;
        const char* mount;
        double dx, dy, raRaw, decRaw, raGuide, decGuide;
        int raMs;
        const char* raDirection;
        int decMs;
        const char* decDirection;
        int mass, error;
    };
    const GuidePulse east{GuideDirection::East, 794};
    const GuidePulse south{GuideDirection::South, 1000};
    const GuidePulse west{GuideDirection::West, 794};
    const GuidePulse none{GuideDirection::North, 0};
    const Case cases[] = {
        // 794 ms at 7.5 arc seconds per second cover 2.98 pixels of 2 arc seconds.
        {"star left of and below the reference",
         {3, -10, false, false, {east, south}, 20},
         "Mount",
         -3,
         10,
         -3,
         10,
         -2.978,
         2.5,
         794,
         "E",
         1000,
         "S",
         20,
         0},
        {"AD inverted", {3, 0, true, false, {west, none}, 30}, "Mount", -3, 0, 3, 0, 2.978, 0, 794, "W", 0, "", 30, 0},
        {"no error",
         {0, 0, false, false, {{GuideDirection::East, 0}, none}, 12},
         "Mount",
         0,
         0,
         0,
         0,
         0,
         0,
         0,
         "",
         0,
         "",
         12,
         0},
        {"star lost",
         {0, 0, false, false, {{GuideDirection::East, 0}, none}, 3},
         "DROP",
         0,
         0,
         0,
         0,
         0,
         0,
         0,
         "",
         0,
         "",
         0,
         3},
        {"box swamped",
         {0, 0, false, false, {{GuideDirection::East, 0}, none}, 250},
         "DROP",
         0,
         0,
         0,
         0,
         0,
         0,
         0,
         "",
         0,
         "",
         0,
         6},
    };
    {
        GuideLog log(path, "Nuvix V 2.07");
        log.Begin(Session(), 1000);
        int32_t now = 1000;
        for (const Case& c : cases)
            log.Frame(c.frame, now += 250);
    }
    const testing::GuideLogText text = Read();
    EXPECT_TRUE(text.problems.empty()) << text.problems.front();
    ASSERT_EQ(text.sessions.size(), 1u);
    const testing::GuideSession& session = text.sessions[0];
    EXPECT_FALSE(session.ends.empty());  // the log ended the session when it went
    ASSERT_EQ(session.entries.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        const testing::GuideEntry& e = session.entries[i];
        SCOPED_TRACE(c.what);
        EXPECT_EQ(e.frame, static_cast<int>(i) + 1);
        EXPECT_DOUBLE_EQ(e.time, 0.25 * static_cast<double>(i + 1));
        EXPECT_EQ(e.mount, c.mount);
        EXPECT_DOUBLE_EQ(e.dx, c.dx);
        EXPECT_DOUBLE_EQ(e.dy, c.dy);
        EXPECT_DOUBLE_EQ(e.raRaw, c.raRaw);
        EXPECT_DOUBLE_EQ(e.decRaw, c.decRaw);
        EXPECT_NEAR(e.raGuide, c.raGuide, 1e-3);
        EXPECT_NEAR(e.decGuide, c.decGuide, 1e-3);
        EXPECT_EQ(e.raMs, c.raMs);
        EXPECT_EQ(e.raDirection, c.raDirection);
        EXPECT_EQ(e.decMs, c.decMs);
        EXPECT_EQ(e.decDirection, c.decDirection);
        EXPECT_EQ(e.mass, c.mass);
        EXPECT_EQ(e.error, c.error);
    }
    // Dropped frames stay out of the statistics.
    EXPECT_NEAR(session.Rms(true), std::sqrt((9.0 + 9.0 + 0.0) / 3.0), 1e-9);
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
    const testing::GuideLogText text = Read();
    EXPECT_TRUE(text.problems.empty());
    EXPECT_EQ(text.versionLine.rfind("Nuvix V 2.07, Log version 2.5. Log enabled at ", 0), 0u);
    EXPECT_EQ(text.sessions.size(), 2u);
}

}  // namespace
}  // namespace nuvix
