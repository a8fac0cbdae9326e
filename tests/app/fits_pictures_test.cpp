#include "CaptureFixture.h"

#include "camera/ExposureTiming.h"
#include "capture/FitsCheck.h"
#include "capture/IntegrationWindow.h"
#include "sim/Sky.h"

#include <cmath>

using nuvix::testing::CaptureApp;

namespace nuvix {
namespace {

// A mount that reports where it points, as an INDI mount does.
struct PointingMount final : GuidePulseSink {
    FramePulses Send(const FramePulses& pulses) override { return pulses; }
    std::optional<MountNotice> TakeNotice() override { return std::nullopt; }
    MountReport Report() const override
    {
        MountReport report;
        report.name = "Telescope Simulator";
        report.link = MountLink::Ready;
        report.pointing = MountPointing{5.5, -22.25, std::nullopt};
        return report;
    }
};

const std::vector<std::string> kKeywords = {"BITPIX", "NCOMBINE", "IMAGETYP", "INSTRUME", "TELESCOP", "FOCALLEN",
                                            "XPIXSZ", "YPIXSZ",   "XBINNING", "YBINNING", "GAIN",     "OFFSET",
                                            "RA",     "DEC",      "ROWORDER", "SWCREATE"};
// What every header says here besides BITPIX and NCOMBINE.
constexpr const char* kCommonCards =
    "IMAGETYP=Light Frame INSTRUME=QuickCam TELESCOP=Telescope Simulator FOCALLEN=1350.0 XPIXSZ=5.6 YPIXSZ=5.6 "
    "XBINNING=1 YBINNING=1 GAIN=255 OFFSET=170 RA=82.5 DEC=-22.25 ROWORDER=BOTTOM-UP SWCREATE=Nuvix 2.07";

// The program on the simulated sky, its parameters set, in a directory with a dot in its path.
class FitsPictures : public ::testing::Test {
protected:
    FitsPictures()
    {
        app.h.State().parameters.params->focalLength = 135.0;
        app.h.State().parameters.params->pixelSize = 5.6;
        std::filesystem::create_directories(app.Dir() / "night.2026");
    }
    int64_t UtcNow() { return FakeClock::kStartUtcMs + app.h.kit.Clock().PeekMilliseconds(); }
    void SetLevel(uint16_t level)
    {
        app.h.State().camera.exposureStep = level;
        app.h.State().camera.exposureLevel = level;
    }
    // fitsverify's and astropy's readings, each HDU's pixels of the frame's size.
    testing::AstropyReading Read(const std::string& path, size_t hdus)
    {
        EXPECT_EQ(testing::Fitsverify(path), "OK") << path;
        testing::AstropyReading read = testing::ReadWithAstropy(path);
        EXPECT_EQ(read.complaints, "") << path;
        EXPECT_EQ(read.hdus.size(), hdus) << read.output.substr(0, 2000);
        for (const testing::AstropyHdu& hdu : read.hdus)
            EXPECT_EQ(hdu.pixels.size(), static_cast<size_t>(kFramePixels)) << path;
        return read;
    }

    sim::Sky sky{20261207};
    PointingMount mount;
    CaptureApp app{true, &sky, &mount};
};

// A series named .fits keeps each frame's 64 levels as the camera gave them, short or long: the
// BMP of the same frame is four times brighter, the header says when and how long it was exposed.
TEST_F(FitsPictures, SeriesFramesAsTheCameraGaveThem)
{
    app.StartSeries("1", 0, (app.Dir() / "night.2026/M42.fits").string());
    for (const uint16_t level : {170, 232}) {
        const float exposureMs = level > kLongestShortExposureLevel ? LongExposureMs(level) : ExposureTimeMs(level);
        SetLevel(level);
        app.Frames(3);
        // The tick that writes the next picture, and the clock around it.
        std::set<std::string> seen = app.Pictures(".fits");
        std::string taken;
        int64_t before = 0;
        for (int guard = 0; taken.empty() && guard < 100; ++guard) {
            before = UtcNow();
            app.h.kit.AdvanceToNextTimer();
            for (const std::string& name : app.Pictures(".fits"))
                taken = seen.insert(name).second ? name : taken;
        }
        ASSERT_TRUE(app.h.Image().SaveImage((app.Dir() / "same.bmp").string(), files::WriteMode::Replace).written);
        const testing::AstropyReading read = Read((app.Dir() / taken).string(), 1);
        ASSERT_EQ(read.hdus.size(), 1u);
        const testing::AstropyHdu& hdu = read.hdus[0];
        const std::vector<uint8_t> bmp = testing::FileBytes(app.Dir() / "same.bmp");
        int differing = 0;
        for (size_t i = 0; i < hdu.pixels.size(); ++i)
            differing += bmp.at(1082 + i) != 4 * hdu.pixels[i] || hdu.pixels[i] > 63;
        EXPECT_EQ(differing, 0) << taken;
        EXPECT_EQ(hdu.Cards(kKeywords), std::string("BITPIX=8 NCOMBINE=1 ") + kCommonCards);
        EXPECT_NEAR(hdu.Number("EXPTIME"), exposureMs / 1000.0, 1e-7) << taken;
        EXPECT_GE(hdu.Number("DATE-MS"), before - std::lround(exposureMs)) << hdu.cards.at("DATE-OBS");
        EXPECT_LE(hdu.Number("DATE-MS"), UtcNow()) << hdu.cards.at("DATE-OBS");
    }
    EXPECT_TRUE(app.h.kit.MessageBoxes().empty());
}

// "Sauve" writes the sum itself beside buffer.bmp: exactly the frames added, two left out by the
// guiding tolerance not among them, with their number, their exposures and their mean.
TEST_F(FitsPictures, SumOfTheFramesAdded)
{
    SetLevel(180);
    app.Frames(2);
    app.h.kit.Click(app.Addition(), compwin::kResetButton);
    std::vector<int64_t> added(kFramePixels, 0);
    const int64_t firstBefore = UtcNow();
    constexpr int kAdded = 6;
    for (int n = 0; n < kAdded; ++n) {
        app.Frames(1);
        for (size_t i = 0; i < added.size(); ++i)
            added[i] += app.h.Image().Buffers().frame[i];
        if (n != 2) continue;
        // Two frames with the star far from its reference: shown, not added.
        TrackingState& tracking = app.h.State().tracking;
        tracking.trackingOn = true;
        tracking.refX = 100'000;
        app.Frames(2);
        tracking.trackingOn = false;
    }
    app.h.kit.Click(app.Addition(), compwin::kSaveButton);
    ASSERT_TRUE(app.h.kit.MessageBoxes().empty()) << app.h.kit.MessageBoxes()[0].text;
    EXPECT_EQ(testing::FileBytes(app.Dir() / "buffer.bmp").size(), 77'882u);

    const testing::AstropyReading read = Read((app.Dir() / "buffer.fits").string(), 2);
    ASSERT_EQ(read.hdus.size(), 2u);
    const testing::AstropyHdu& sum = read.hdus[0];
    const testing::AstropyHdu& mean = read.hdus[1];
    int differing = 0;
    for (size_t i = 0; i < added.size(); ++i) {
        differing += sum.pixels[i] != static_cast<double>(added[i]);
        differing += std::abs(mean.pixels[i] - static_cast<double>(added[i]) / kAdded) > 1e-4;
    }
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(sum.Cards(kKeywords), std::string("BITPIX=32 NCOMBINE=6 ") + kCommonCards);
    EXPECT_EQ(mean.Cards({"BITPIX", "EXTNAME", "NCOMBINE"}), "BITPIX=-32 EXTNAME=AVERAGE NCOMBINE=6");
    EXPECT_NEAR(sum.Number("EXPTIME"), kAdded * ExposureTimeMs(180) / 1000.0, 1e-6);
    EXPECT_GE(sum.Number("DATE-MS"), firstBefore);
    EXPECT_LE(sum.Number("DATE-MS"), firstBefore + 200);
}

}  // namespace
}  // namespace nuvix
