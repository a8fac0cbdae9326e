#include "CaptureFixture.h"

#include "capture/PhotoDialog.h"

#include <limits>

using nuvix::testing::CaptureApp;

namespace nuvix {
namespace {

using Names = std::set<std::string>;

class Series : public ::testing::Test {
protected:
    headless::HeadlessToolkit& Kit() { return app.h.kit; }
    int32_t NowMs() { return Kit().Clock().PeekMilliseconds(); }
    std::optional<int> PhotoPeriod() { return Kit().TimerPeriodMs(app.h.Image(), NuvixWindow::kPhotoTimer); }
    // Chooses the base name in the file dialog, then starts a series of `seconds`.
    void StartSeriesAs(const std::string& chosen, const std::string& seconds)
    {
        Kit().QueueSaveFileAnswer(chosen);
        app.Photo([&](ui::Dialog& d) {
            Kit().Click(d, tphotowin::kBrowseButton);
            Kit().Type(d, tphotowin::kIntervalEdit, seconds);
            Kit().Click(d, tphotowin::kStartStopButton);
        });
    }
    size_t ErrorBoxes()
    {
        const auto& boxes = Kit().MessageBoxes();
        return std::count_if(boxes.begin(), boxes.end(), [](const auto& b) { return b.caption == "Erreur"; });
    }

    CaptureApp app;
};

TEST_F(Series, FirstOpeningOffersTheDefaultNameInTheCurrentDirectory)
{
    app.Start(false);
    app.Integration().frameCount = 17;
    app.Photo([&](ui::Dialog& d) {
        EXPECT_EQ(d.Caption(), "Prise de vue");
        EXPECT_EQ(d.FindControl(303)->Text(), "Capture.bmp");
        EXPECT_EQ(d.FindControl(301)->Text(), "10");
        EXPECT_EQ(d.FindControl(302)->Items(), (std::vector<std::string>{"Secondes", "Minutes "}));
        EXPECT_EQ(d.FindControl(302)->Selection(), 0);
        EXPECT_EQ(d.FindControl(306)->Text(), "Commencer");
        EXPECT_EQ(d.FocusedControlId(), 306);
        EXPECT_FALSE(d.FindControl(320)->IsVisible());
        EXPECT_FALSE(d.FindControl(321)->IsVisible());
        EXPECT_EQ(app.Integration().frameCount, 0);  // numbering starts again
    });
    ASSERT_EQ(Kit().Dialogs().size(), 1u);
    EXPECT_EQ(Kit().Dialogs()[0].resourceId, 602);
    EXPECT_EQ(app.Series().seriesPath, (app.Dir() / "Capture.bmp").string());
    EXPECT_FALSE(app.Series().seriesRunning);
    EXPECT_FALSE(PhotoPeriod());
}

TEST_F(Series, TenSecondsGivesAPictureEveryTenSecondsWithPaddedNames)
{
    app.Start(false);
    app.StartSeries("10", 0);
    EXPECT_EQ(PhotoPeriod(), 10'000);
    Names expected;
    for (int n = 0; n < 4; ++n) {
        Kit().AdvanceMs(10'000 * (n + 1) + 500 - NowMs());
        expected.insert("Capture 000" + std::to_string(n) + ".bmp");
        EXPECT_EQ(app.Pictures(), expected) << "at " << NowMs() << " ms";
    }
    EXPECT_TRUE(Kit().MessageBoxes().empty());
}

TEST_F(Series, IntervalsAsTyped)
{
    const struct {
        const char* typed;
        int unit;
        int32_t intervalMs;
        int timerMs;
    } cases[] = {
        {"2", 1, 120'000, 120'000},
        {"10", 0, 10'000, 10'000},
        {"abc", 0, 0, ui::Window::kMinimumTimerPeriodMs},  // a picture at every tick
        {"99999", 1, std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max()},
    };
    for (const auto& c : cases) {
        CaptureApp fresh;
        fresh.Start(false);
        fresh.StartSeries(c.typed, c.unit);
        EXPECT_TRUE(fresh.Series().seriesRunning) << c.typed;
        EXPECT_EQ(fresh.Series().seriesInterval, c.intervalMs) << c.typed;
        EXPECT_EQ(fresh.h.kit.TimerPeriodMs(fresh.h.Image(), NuvixWindow::kPhotoTimer), c.timerMs) << c.typed;
        EXPECT_EQ(fresh.h.State().parameters.params->photoIntervalUnit, c.unit) << c.typed;
    }
}

TEST_F(Series, ReopenedWhileRunningShowsTheCounterAndCancelKeepsItGoing)
{
    app.Start(false);
    app.StartSeries("5", 0);
    Kit().AdvanceMs(12'000);
    const Names before = app.Pictures();
    ASSERT_EQ(before.size(), 2u);
    app.Photo([&](ui::Dialog& d) {
        EXPECT_EQ(d.FindControl(306)->Text(), "Stop");
        EXPECT_TRUE(d.FindControl(301)->IsReadOnly());
        EXPECT_TRUE(d.FindControl(303)->IsReadOnly());
        EXPECT_FALSE(d.FindControl(302)->IsVisible());
        EXPECT_FALSE(d.FindControl(304)->IsVisible());
        EXPECT_EQ(d.FindControl(320)->Text(), "Secondes");
        EXPECT_EQ(d.FindControl(321)->Text(), "N°: 2");
        // Pictures go on while the dialog is open, and its counter follows.
        Kit().AdvanceMs(5'000);
        EXPECT_EQ(d.FindControl(321)->Text(), "N°: 2");
        EXPECT_EQ(app.Pictures().size(), 3u);
        Kit().Click(d, 305);
    });
    EXPECT_TRUE(app.Series().seriesRunning);
    // Restarted now: due a full period on (the fake clock creeps on by a few microseconds per reading).
    EXPECT_NEAR(static_cast<double>(*Kit().TimerDueNs(app.h.Image(), NuvixWindow::kPhotoTimer)),
                (NowMs() + 5'000) * 1e6, 1e6);
    Kit().AdvanceMs(10'000);
    EXPECT_EQ(app.Pictures().size(), 5u);
}

TEST_F(Series, StopEndsIt)
{
    app.Start(false);
    app.StartSeries("1", 0);
    Kit().AdvanceMs(3'000);
    app.Photo([&](ui::Dialog& d) { Kit().Click(d, 306); });
    EXPECT_FALSE(app.Series().seriesRunning);
    EXPECT_EQ(Kit().Dialogs().back().result, ui::Dialog::kOk);
    const Names taken = app.Pictures();
    Kit().AdvanceMs(60'000);
    EXPECT_EQ(app.Pictures(), taken);
}

TEST_F(Series, BrowseProposesTheTypedTitleAndCancellingKeepsTheBaseName)
{
    app.Start(false);
    Kit().QueueSaveFileAnswer(std::nullopt);
    app.Photo([&](ui::Dialog& d) {
        Kit().Type(d, 303, "Lune.bmp");
        Kit().Click(d, 304);
        EXPECT_EQ(d.FindControl(303)->Text(), "Capture.bmp");
    });
    EXPECT_EQ(app.Series().seriesPath, (app.Dir() / "Capture.bmp").string());
    ASSERT_EQ(Kit().SaveFileRequests().size(), 1u);
    const ui::SaveFileRequest& asked = Kit().SaveFileRequests()[0].request;
    EXPECT_EQ(asked.initialPath, (app.Dir() / "Lune.bmp").string());
    EXPECT_EQ(asked.filterName, "Image (*.bmp)");
    EXPECT_EQ(asked.pattern, "*.bmp");
    EXPECT_EQ(asked.defaultExtension, "bmp");
    EXPECT_TRUE(app.Series().defaultSeriesName);
}

// The pictures go into the chosen directory, whatever dots or length its path has.
TEST_F(Series, PicturesGoWhereTheBaseNameSays)
{
    const std::string longName(200, 'x');
    const struct {
        const char* name;
        std::string directory;
        std::string chosen;
        std::string first;
    } cases[] = {
        {"dotted directory", "night.2026", "night.2026/M42.bmp", "night.2026/M42 0000.bmp"},
        {"hidden directory", ".nuvix/obs", ".nuvix/obs/shot", ".nuvix/obs/shot 0000.bmp"},
        {"long path", longName + "/" + longName, longName + "/" + longName + "/" + longName + ".bmp",
         longName + "/" + longName + "/" + longName + " 0000.bmp"},
    };
    for (const auto& c : cases) {
        CaptureApp fresh;
        fresh.Start(false);
        std::filesystem::create_directories(fresh.Dir() / c.directory);
        fresh.h.kit.QueueSaveFileAnswer((fresh.Dir() / c.chosen).string());
        fresh.Photo([&](ui::Dialog& d) {
            fresh.h.kit.Click(d, tphotowin::kBrowseButton);
            fresh.h.kit.Type(d, tphotowin::kIntervalEdit, "1");
            fresh.h.kit.Click(d, tphotowin::kStartStopButton);
        });
        fresh.h.kit.AdvanceMs(1'500);
        const Names taken = fresh.Pictures();
        EXPECT_EQ(taken.count(c.first), 1u) << c.name;
        for (const std::string& name : taken)
            EXPECT_EQ(name.rfind(c.directory + "/", 0), 0u) << c.name << ": " << name;
        EXPECT_FALSE(fresh.Series().defaultSeriesName) << c.name;
        EXPECT_TRUE(fresh.h.kit.MessageBoxes().empty()) << c.name;
    }
}

TEST_F(Series, WithoutCameraTheUnchangedPictureKeepsBeingWritten)
{
    app.Start(false);
    app.StartSeries("1", 0);
    Kit().AdvanceMs(3'000);
    const Names taken = app.Pictures();
    ASSERT_GE(taken.size(), 3u);
    const std::vector<uint8_t> first = testing::FileBytes(app.Dir() / *taken.begin());
    EXPECT_EQ(first.size(), 77'882u);
    for (const std::string& name : taken)
        EXPECT_EQ(testing::FileBytes(app.Dir() / name), first) << name;
}

// With the camera, every frame counted in the sum advances the number too.
TEST_F(Series, PictureNumbersFollowTheFrameCount)
{
    app.Start(true);
    app.StartSeries("1", 0);
    Kit().AdvanceMs(2'100);
    const Names taken = app.Pictures();
    ASSERT_EQ(taken.size(), 2u);
    // The first picture comes after the frame of its own tick; about ten frames lie between two.
    EXPECT_EQ(*taken.begin(), "Capture 0001.bmp");
    const int second = std::stoi(taken.rbegin()->substr(8, 4));
    EXPECT_GE(second, 9);
    EXPECT_LE(second, 13);
}

// A picture that cannot be written is told once per run; the series goes on and the dialog
// shows it until a picture is written again.
TEST_F(Series, FailedPicturesAreToldOnceAndTheSeriesGoesOn)
{
    const std::string tooLong(300, 'y');
    const struct {
        const char* name;
        std::string chosen;
        bool vanishes;  // the directory goes away after the first picture and comes back
    } cases[] = {
        {"directory gone", "night.2026/M42.bmp", true},
        {"name the system refuses", tooLong + ".bmp", false},
    };
    for (const auto& c : cases) {
        CaptureApp fresh;
        fresh.Start(false);
        headless::HeadlessToolkit& kit = fresh.h.kit;
        const std::filesystem::path directory = (fresh.Dir() / c.chosen).parent_path();
        std::filesystem::create_directories(directory);
        kit.QueueSaveFileAnswer((fresh.Dir() / c.chosen).string());
        fresh.Photo([&](ui::Dialog& d) {
            kit.Click(d, tphotowin::kBrowseButton);
            kit.Type(d, tphotowin::kIntervalEdit, "1");
            kit.Click(d, tphotowin::kStartStopButton);
        });
        kit.AdvanceMs(1'200);
        if (c.vanishes) std::filesystem::remove_all(directory);
        fresh.Photo([&](ui::Dialog& d) {
            kit.AdvanceMs(3'000);
            EXPECT_EQ(d.FindControl(320)->Text(), "Échec écriture") << c.name;
            kit.Click(d, 305);
        });
        const auto& boxes = kit.MessageBoxes();
        ASSERT_EQ(boxes.size(), 1u) << c.name;
        EXPECT_EQ(boxes[0].caption, "Erreur");
        EXPECT_NE(boxes[0].text.find("La prise de vue continue"), std::string::npos) << boxes[0].text;
        EXPECT_TRUE(fresh.Series().seriesRunning) << c.name;
        if (!c.vanishes) {
            // A new run tells its own first failure.
            fresh.Photo([&](ui::Dialog& d) { kit.Click(d, tphotowin::kStartStopButton); });
            fresh.StartSeries("1", 0);
            kit.AdvanceMs(1'000);
            EXPECT_EQ(kit.MessageBoxes().size(), 2u) << c.name;
            continue;
        }
        std::filesystem::create_directories(directory);
        kit.AdvanceMs(1'000);
        EXPECT_EQ(fresh.Pictures().size(), 1u) << c.name;
        fresh.Photo([&](ui::Dialog& d) { EXPECT_EQ(d.FindControl(320)->Text(), "Secondes"); });
        EXPECT_EQ(kit.MessageBoxes().size(), 1u) << c.name;
    }
}

}  // namespace
}  // namespace nuvix
