#include "CaptureFixture.h"

#include "capture/IntegrationWindow.h"

#include <sys/stat.h>

#include <map>

using nuvix::testing::CaptureApp;

namespace nuvix {
namespace {

using Names = std::set<std::string>;

std::optional<int> PhotoPeriod(CaptureApp& app)
{
    return app.h.kit.TimerPeriodMs(app.h.Image(), NuvixWindow::kPhotoTimer);
}

// Without a camera the picture never changes, and the numbers follow one another.
TEST(Series, DefaultNameAPictureEveryTenSeconds)
{
    CaptureApp app(false);
    headless::HeadlessToolkit& kit = app.h.kit;
    app.Integration().frameCount = 17;
    app.Photo([&](ui::Dialog& d) {
        EXPECT_EQ(d.FindControl(303)->Text(), "Capture.bmp");
        EXPECT_EQ(d.FocusedControlId(), 306);
        EXPECT_FALSE(d.FindControl(321)->IsVisible());
        EXPECT_EQ(app.Integration().frameCount, 0);
        // A typed title only seeds the file dialog; cancelling it keeps the base name.
        kit.Type(d, 303, "Lune.bmp");
        kit.Click(d, 304);
        EXPECT_EQ(d.FindControl(303)->Text(), "Capture.bmp");
        kit.Type(d, 301, "10");
        kit.Click(d, 306);
    });
    const ui::SaveFileRequest& asked = kit.SaveFileRequests().at(0).request;
    EXPECT_EQ(asked.initialPath, (app.Dir() / "Lune.bmp").string());
    std::string offered;
    for (const ui::FileFilter& filter : asked.filters)
        offered += filter.name + " " + filter.pattern + " " + filter.extension + "; ";
    EXPECT_EQ(offered, "Image (*.bmp) *.bmp bmp; Image FITS (*.fits) *.fits;*.fit;*.fts fits; ");
    EXPECT_EQ(PhotoPeriod(app), 10'000);

    Names expected;
    for (int n = 0; n < 3; ++n) {
        kit.AdvanceMs(10'000 * (n + 1) + 500 - kit.Clock().PeekMilliseconds());
        expected.insert("Capture 000" + std::to_string(n) + ".bmp");
        ASSERT_EQ(app.Pictures(), expected) << kit.Clock().PeekMilliseconds() << " ms";
    }
    const std::vector<uint8_t> first = testing::FileBytes(app.Dir() / "Capture 0000.bmp");
    EXPECT_EQ(first.size(), 77'882u);
    EXPECT_EQ(testing::FileBytes(app.Dir() / "Capture 0002.bmp"), first);
}

// "Annuler" keeps a running series and restarts its timer; "Stop" ends it.
TEST(Series, ReopenedWhileRunning)
{
    CaptureApp app(false);
    headless::HeadlessToolkit& kit = app.h.kit;
    app.StartSeries("2", 1);
    EXPECT_EQ(PhotoPeriod(app), 120'000);
    kit.AdvanceMs(130'000);
    app.Photo([&](ui::Dialog& d) {
        EXPECT_EQ(d.FindControl(306)->Text(), "Stop");
        EXPECT_TRUE(d.FindControl(301)->IsReadOnly());
        EXPECT_FALSE(d.FindControl(302)->IsVisible());
        EXPECT_EQ(d.FindControl(320)->Text(), "Minutes ");
        EXPECT_EQ(d.FindControl(321)->Text(), "N°: 1");
        kit.Click(d, 305);
    });
    EXPECT_TRUE(app.Series().seriesRunning);
    const int64_t due = *kit.TimerDueNs(app.h.Image(), NuvixWindow::kPhotoTimer);
    EXPECT_NEAR(static_cast<double>(due), (kit.Clock().PeekMilliseconds() + 120'000) * 1e6, 1e6);

    app.Photo([&](ui::Dialog& d) { kit.Click(d, 306); });
    EXPECT_FALSE(app.Series().seriesRunning);
    kit.AdvanceMs(600'000);
    EXPECT_EQ(app.Pictures(), Names{"Capture 0000.bmp"});
}

// Into the chosen directory only, whatever dots or length its path has.
TEST(Series, PicturesGoWhereTheBaseNameSays)
{
    const std::string l(200, 'x');
    const struct {
        std::string directory, chosen, first;
    } cases[] = {
        {"night.2026", "night.2026/M42.bmp", "night.2026/M42 0000.bmp"},
        {".nuvix/obs", ".nuvix/obs/shot", ".nuvix/obs/shot 0000.bmp"},
        {l + "/" + l, l + "/" + l + "/" + l + ".bmp", l + "/" + l + "/" + l + " 0000.bmp"},
    };
    for (const auto& c : cases) {
        CaptureApp app(false);
        std::filesystem::create_directories(app.Dir() / c.directory);
        app.StartSeries("1", 0, (app.Dir() / c.chosen).string());
        app.h.kit.AdvanceMs(1'500);
        const Names taken = app.Pictures();
        EXPECT_EQ(taken.count(c.first), 1u) << c.chosen;
        for (const std::string& name : taken)
            EXPECT_EQ(name.rfind(c.directory + "/", 0), 0u) << name;
        EXPECT_TRUE(app.h.kit.MessageBoxes().empty()) << c.chosen;
    }
}

// With the camera, the frame of the picture's own tick is counted first, and every frame in
// between advances the number too.
TEST(Series, PictureNumbersFollowTheFrameCount)
{
    CaptureApp app(true);
    app.StartSeries("1", 0);
    app.h.kit.AdvanceMs(2'100);
    const Names taken = app.Pictures();
    ASSERT_EQ(taken.size(), 2u);
    EXPECT_EQ(*taken.begin(), "Capture 0001.bmp");
    EXPECT_NEAR(std::stoi(taken.rbegin()->substr(8, 4)), 11, 2);
}

// Told once; the series goes on, and the dialog shows it until a picture is written again.
TEST(Series, FailedPicturesAreToldOnceAndTheSeriesGoesOn)
{
    const struct {
        std::string chosen;
        bool vanishes;  // the directory goes away after the first picture, then comes back
    } cases[] = {{"night.2026/M42.bmp", true}, {std::string(300, 'y') + ".bmp", false}};
    for (const auto& c : cases) {
        CaptureApp app(false);
        headless::HeadlessToolkit& kit = app.h.kit;
        const std::filesystem::path directory = (app.Dir() / c.chosen).parent_path();
        std::filesystem::create_directories(directory);
        app.StartSeries("1", 0, (app.Dir() / c.chosen).string());
        kit.AdvanceMs(1'200);
        if (c.vanishes) std::filesystem::remove_all(directory);
        app.Photo([&](ui::Dialog& d) {
            kit.AdvanceMs(3'000);
            EXPECT_EQ(d.FindControl(320)->Text(), "Échec écriture");
        });
        ASSERT_EQ(kit.MessageBoxes().size(), 1u) << c.chosen;
        EXPECT_EQ(kit.MessageBoxes()[0].caption, "Erreur");
        EXPECT_TRUE(app.Series().seriesRunning);
        if (!c.vanishes) continue;
        std::filesystem::create_directories(directory);
        kit.AdvanceMs(1'000);
        EXPECT_EQ(app.Pictures().size(), 1u);
        app.Photo([&](ui::Dialog& d) { EXPECT_EQ(d.FindControl(320)->Text(), "Secondes"); });
        EXPECT_EQ(kit.MessageBoxes().size(), 1u);
    }
}

// "RAZ" during a series and a second series under the same name: no picture is replaced, and the
// second series' pictures follow the first's in name order.
TEST(Series, NoPictureIsReplaced)
{
    CaptureApp app(true);
    headless::HeadlessToolkit& kit = app.h.kit;
    // A replaced file is a new one: the pictures are alike, their inodes are not.
    std::map<std::string, ino_t> seen;
    const auto inode = [&](const std::string& name) {
        struct stat st {};
        return ::stat((app.Dir() / name).c_str(), &st) == 0 ? st.st_ino : ino_t{0};
    };
    const auto look = [&] {
        for (const std::string& name : app.Pictures())
            seen.emplace(name, inode(name));
    };
    app.StartSeries("1", 0);
    kit.AdvanceMs(3'100);
    look();
    kit.Click(app.Addition(), compwin::kResetButton);
    kit.AdvanceMs(2'000);
    app.Photo([&](ui::Dialog& d) { kit.Click(d, 306); });
    look();
    const std::string lastOfFirst = *app.Pictures().rbegin();
    app.StartSeries("1", 0);
    kit.AdvanceMs(3'000);
    look();
    EXPECT_EQ(seen.size(), 8u);
    for (const auto& [name, number] : seen)
        EXPECT_EQ(inode(name), number) << name << " was replaced";
    EXPECT_EQ(std::count_if(seen.begin(), seen.end(), [&](const auto& s) { return s.first > lastOfFirst; }), 3);
    EXPECT_TRUE(kit.MessageBoxes().empty());
}

}  // namespace
}  // namespace nuvix
