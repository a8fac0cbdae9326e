#include "CaptureFixture.h"

#include "camera/ExposureTiming.h"
#include "capture/FitsCheck.h"
#include "capture/FitsPictures.h"
#include "capture/IntegrationWindow.h"
#include "sim/Sky.h"

#include <cmath>

using nuvix::testing::CaptureApp;

namespace nuvix {
namespace {

// A mount that reports where it points, as an INDI mount does.
struct PointingMount final : GuidePulseSink {
    void Send(const FramePulses&) override {}
    std::optional<SinkNotice> TakeNotice() override { return std::nullopt; }
    std::string MountName() const override { return "Telescope Simulator"; }
    std::optional<MountPointing> Pointing() const override { return MountPointing{5.5, -22.25}; }
};

// The program on the simulated sky, its parameters set, in a directory with a dot in its path.
class FitsPictures : public ::testing::Test {
protected:
    FitsPictures()
    {
        tparam& record = *app.h.State().parameters.params;
        record.focalLength = 135.0;
        record.pixelSize = 5.6;
        std::filesystem::create_directories(app.Dir() / "night.2026");
    }
    // The calendar's time of the fake clock now.
    int64_t UtcNow() { return FakeClock::kStartUtcMs + app.h.kit.Clock().PeekMilliseconds(); }
    void SetLevel(uint16_t level)
    {
        app.h.State().camera.exposureStep = level;
        app.h.State().camera.exposureLevel = level;
    }
    // Exactly what the file's header says.
    static void ExpectCards(const testing::AstropyHdu& hdu, const std::map<std::string, std::string>& expected,
                            const std::string& what)
    {
        for (const auto& [keyword, value] : expected) {
            const auto card = hdu.cards.find(keyword);
            EXPECT_TRUE(card != hdu.cards.end() && card->second == value)
                << what << ": " << keyword << " = " << (card == hdu.cards.end() ? "(none)" : card->second) << ", not "
                << value;
        }
    }
    std::map<std::string, std::string> CommonCards()
    {
        const CameraSettings& camera = app.h.State().camera;
        return {{"INSTRUME", "QuickCam"},
                {"TELESCOP", "Telescope Simulator"},
                {"FOCALLEN", "1350.0"},
                {"XPIXSZ", "5.6"},
                {"YPIXSZ", "5.6"},
                {"XBINNING", "1"},
                {"YBINNING", "1"},
                {"RA", "82.5"},
                {"DEC", "-22.25"},
                {"IMAGETYP", "Light Frame"},
                {"ROWORDER", "BOTTOM-UP"},
                {"SWCREATE", "Nuvix 2.07"},
                {"GAIN", std::to_string(camera.contrast)},
                {"OFFSET", std::to_string(camera.whiteBalance)}};
    }
    // DATE-OBS as milliseconds since 1970.
    static int64_t DateObs(const testing::AstropyHdu& hdu)
    {
        const auto card = hdu.cards.find("DATE-OBS");
        if (card == hdu.cards.end()) return 0;
        std::tm time{};
        int ms = 0;
        std::sscanf(card->second.c_str(), "%d-%d-%dT%d:%d:%d.%d", &time.tm_year, &time.tm_mon, &time.tm_mday,
                    &time.tm_hour, &time.tm_min, &time.tm_sec, &ms);
        time.tm_year -= 1900;
        time.tm_mon -= 1;
        return static_cast<int64_t>(timegm(&time)) * 1000 + ms;
    }

    sim::Sky sky{20261207};
    PointingMount mount;
    CaptureApp app{true, &sky, &mount};
};

// A series named .fits keeps each frame's 64 levels as the camera gave them, short or long: the
// BMP of the same frame is four times brighter, the header says when and how long it was exposed.
TEST_F(FitsPictures, SeriesFramesAsTheCameraGaveThem)
{
    headless::HeadlessToolkit& kit = app.h.kit;
    const struct {
        uint16_t level;
        float exposureMs;
    } cases[] = {{170, ExposureTimeMs(170)}, {232, LongExposureMs(232)}};
    app.StartSeries("1", 0, (app.Dir() / "night.2026/M42.fits").string());
    for (const auto& c : cases) {
        SetLevel(c.level);
        app.Frames(3);
        std::set<std::string> seen = app.Pictures(".fits");
        // The tick that writes the next picture, and the clock around it.
        std::string taken;
        int64_t before = 0;
        for (int guard = 0; taken.empty() && guard < 100; ++guard) {
            before = UtcNow();
            kit.AdvanceToNextTimer();
            for (const std::string& name : app.Pictures(".fits"))
                if (seen.insert(name).second) taken = name;
        }
        ASSERT_FALSE(taken.empty()) << c.level;
        const int64_t after = UtcNow();
        ASSERT_TRUE(app.h.Image().SaveImage((app.Dir() / "same.bmp").string(), files::WriteMode::Replace).written);
        const std::string path = (app.Dir() / taken).string();

        EXPECT_EQ(testing::Fitsverify(path), "OK") << taken;
        const testing::AstropyReading read = testing::ReadWithAstropy(path);
        ASSERT_EQ(read.hdus.size(), 1u) << read.output.substr(0, 2000);
        EXPECT_EQ(read.complaints, "");
        const testing::AstropyHdu& hdu = read.hdus[0];
        ASSERT_EQ(hdu.pixels.size(), static_cast<size_t>(kFramePixels));
        const std::vector<uint8_t> bmp = testing::FileBytes(app.Dir() / "same.bmp");
        ASSERT_EQ(bmp.size(), 77'882u);
        int differing = 0;
        for (size_t i = 0; i < hdu.pixels.size(); ++i)
            differing += bmp[1082 + i] != 4 * hdu.pixels[i] || hdu.pixels[i] > 63;
        EXPECT_EQ(differing, 0) << taken;
        std::map<std::string, std::string> expected = CommonCards();
        expected.insert({{"BITPIX", "8"}, {"NAXIS1", "320"}, {"NAXIS2", "240"}, {"NCOMBINE", "1"}});
        ExpectCards(hdu, expected, taken);
        EXPECT_NEAR(hdu.Number("EXPTIME"), c.exposureMs / 1000.0, 1e-7) << taken;
        const int64_t start = DateObs(hdu);
        EXPECT_GE(start, before - std::lround(c.exposureMs)) << hdu.cards.at("DATE-OBS");
        EXPECT_LE(start, after) << hdu.cards.at("DATE-OBS");
    }
    EXPECT_TRUE(kit.MessageBoxes().empty());
}

// "Sauve" writes the sum itself beside buffer.bmp: exactly the frames added, a frame left out by
// the guiding tolerance not among them, with their number, their exposures and their mean.
TEST_F(FitsPictures, SumOfTheFramesAdded)
{
    headless::HeadlessToolkit& kit = app.h.kit;
    SetLevel(180);
    app.Frames(2);
    kit.Click(app.Addition(), compwin::kResetButton);
    std::vector<int64_t> added(kFramePixels, 0);
    const int64_t firstBefore = UtcNow();
    constexpr int kAdded = 6;
    for (int n = 0; n < kAdded; ++n) {
        app.Frames(1);
        const FrameBytes& frame = app.h.Image().Buffers().frame;
        for (size_t i = 0; i < added.size(); ++i)
            added[i] += frame[i];
        if (n == 2) {
            // Two frames with the star far from its reference: shown, not added.
            TrackingState& tracking = app.h.State().tracking;
            tracking.trackingOn = true;
            tracking.refX = 100'000;
            app.Frames(2);
            tracking.trackingOn = false;
        }
    }
    kit.Click(app.Addition(), compwin::kSaveButton);
    ASSERT_TRUE(kit.MessageBoxes().empty()) << kit.MessageBoxes()[0].text;
    EXPECT_EQ(testing::FileBytes(app.Dir() / "buffer.bmp").size(), 77'882u);

    const std::string path = (app.Dir() / "buffer.fits").string();
    EXPECT_EQ(testing::Fitsverify(path), "OK");
    const testing::AstropyReading read = testing::ReadWithAstropy(path);
    ASSERT_EQ(read.hdus.size(), 2u) << read.output.substr(0, 2000);
    EXPECT_EQ(read.complaints, "");
    const testing::AstropyHdu& sum = read.hdus[0];
    const testing::AstropyHdu& mean = read.hdus[1];
    ASSERT_EQ(sum.pixels.size(), added.size());
    ASSERT_EQ(mean.pixels.size(), added.size());
    int differing = 0;
    for (size_t i = 0; i < added.size(); ++i) {
        differing += sum.pixels[i] != static_cast<double>(added[i]);
        differing += std::abs(mean.pixels[i] - static_cast<double>(added[i]) / kAdded) > 1e-4;
    }
    EXPECT_EQ(differing, 0);
    std::map<std::string, std::string> expected = CommonCards();
    expected.insert({{"BITPIX", "32"}, {"NCOMBINE", std::to_string(kAdded)}});
    ExpectCards(sum, expected, "sum");
    ExpectCards(mean, {{"BITPIX", "-32"}, {"EXTNAME", "AVERAGE"}, {"NCOMBINE", std::to_string(kAdded)}}, "mean");
    EXPECT_NEAR(sum.Number("EXPTIME"), kAdded * ExposureTimeMs(180) / 1000.0, 1e-6);
    const int64_t start = DateObs(sum);
    EXPECT_GE(start, firstBefore);
    EXPECT_LE(start, firstBefore + 200);
}

}  // namespace
}  // namespace nuvix
