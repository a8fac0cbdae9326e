#include "IndiRig.h"

#include "capture/FitsCheck.h"

#include "camera/CameraImage.h"
#include "capture/BmpWriter.h"
#include "capture/IntegrationWindow.h"
#include "platform/fits/FitsImage.h"
#include "platform/indi/IndiCamera.h"
#include "platform/indi/IndiLink.h"

#include <fitsio.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <set>

using nuvix::testing::RunInRealTime;
using nuvix::testing::SimulatorServer;

namespace nuvix {
namespace {

constexpr const char* kCamera = "CCD Simulator";
constexpr int64_t kSecond = 1000;
constexpr size_t kBmpHeader = kBmpPixelOffset;

std::vector<std::byte> Bytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> chars{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<std::byte> bytes(chars.size());
    std::memcpy(bytes.data(), chars.data(), chars.size());
    return bytes;
}

// What the camera wrote in a FITS header: the picture's size, its binning and its exposure.
struct Written {
    long width = 0;
    long height = 0;
    long binning = 0;
    double seconds = 0.0;
};
Written ReadKeys(const std::filesystem::path& path)
{
    Written w;
    fitsfile* file = nullptr;
    int status = 0;
    if (fits_open_file(&file, path.c_str(), READONLY, &status)) return w;
    fits_read_key(file, TLONG, "NAXIS1", &w.width, nullptr, &status);
    fits_read_key(file, TLONG, "NAXIS2", &w.height, nullptr, &status);
    fits_read_key(file, TLONG, "XBINNING", &w.binning, nullptr, &status);
    fits_read_key(file, TDOUBLE, "EXPTIME", &w.seconds, nullptr, &status);
    status = 0;
    fits_close_file(file, &status);
    return w;
}

// The program taking its frames from INDI's CCD simulator on a private server, in real time.
class IndiCameraRun : public ::testing::Test {
protected:
    IndiCameraRun() : server(h.dir / "indi", SimulatorServer::Driver::Camera) {}
    ~IndiCameraRun() override
    {
        h.app.reset();  // before the camera it reads
        std::filesystem::current_path(saved_);
    }

    void Start()
    {
        link = std::make_unique<indi::IndiLink>(server.Address(), indi::LinkChoice{false, "", kCamera});
        h.frameSource = link->Camera();
        h.Start();
        std::filesystem::current_path(h.dir / "");  // where "Sauve" writes buffer.bmp
    }
    int32_t Frames() { return h.State().integration.frameCount; }
    // Until `n` more frames went through the pipeline, at most `ms`.
    bool MoreFrames(int n, int64_t ms)
    {
        const int32_t target = Frames() + n;
        RunInRealTime(h.kit, ms, [&] { return Frames() >= target; });
        return Frames() >= target;
    }
    int Boxes(const std::string& text) const { return h.BoxesSaying(text); }
    std::set<std::filesystem::path> Saved() const
    {
        std::set<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(saveDir))
            files.insert(entry.path());
        return files;
    }

    testing::AppHarness h;
    SimulatorServer server;
    std::unique_ptr<indi::IndiLink> link;
    std::filesystem::path saveDir = h.dir / "saved";
    std::filesystem::path saved_ = std::filesystem::current_path();
};

// Frames binned on the camera come through the pipeline, exposed as long as the panel shows, and
// "Sauve" writes the camera's picture as mapped by the settings, times four.
TEST_F(IndiCameraRun, FramesExposedAsThePanelShowsAndSaved)
{
    ASSERT_TRUE(server.Start());
    ASSERT_TRUE(server.SetCameraUp(5000, saveDir));  // noise of up to 5000 counts, added over each 4 x 4 bin
    Start();
    ASSERT_TRUE(MoreFrames(3, 15 * kSecond));
    EXPECT_EQ(Boxes("Caméra INDI : CCD Simulator"), 1);
    EXPECT_EQ(Boxes("La caméra ne répond plus"), 0);

    struct Step {
        uint16_t step;
        double seconds;  // as the panel shows it, within the camera's range
    };
    std::set<std::filesystem::path> seen = Saved();
    for (const Step s : {Step{170, 0.06773}, Step{96, 0.01}, Step{211, 0.3984}, Step{232, 0.9890}}) {
        h.State().camera.exposureStep = s.step;
        h.Main().UpdateExposureDisplay();
        std::optional<Written> match;
        RunInRealTime(h.kit, 10 * kSecond, [&] {
            for (const auto& file : Saved()) {
                if (!seen.insert(file).second) continue;
                const Written w = ReadKeys(file);
                if (std::abs(w.seconds - s.seconds) < 2e-4) match = w;
            }
            return match.has_value();
        });
        ASSERT_TRUE(match) << "no picture of " << s.seconds << " s for step " << s.step;
        EXPECT_EQ(match->width, kFrameWidth);
        EXPECT_EQ(match->height, kFrameHeight);
        EXPECT_EQ(match->binning, 4);
    }

    h.State().camera.contrast = 200;
    h.State().camera.whiteBalance = 150;
    ASSERT_TRUE(MoreFrames(2, 10 * kSecond));
    h.kit.Click(*h.kit.FindWindow("Addition"), compwin::kSaveButton);
    const std::vector<std::byte> bmp = Bytes(h.dir / "buffer.bmp");
    ASSERT_EQ(bmp.size(), kBmpHeader + kFramePixels);
    const std::string frameFits = (h.dir / "frame.fits").string();
    ASSERT_TRUE(h.Image().SaveFrameFits(frameFits, files::WriteMode::CreateOnly).written);
    int matches = 0;
    std::filesystem::path cameraFile;
    FrameBytes levels{};
    for (const auto& file : Saved()) {
        const fits::FitsReading picture = fits::ReadFitsImage(Bytes(file));
        if (picture.frame.empty()) continue;
        MapToFrame(picture.frame, h.State().camera, levels);
        bool same = true;
        for (int i = 0; i < kFramePixels && same; ++i)
            same = std::to_integer<int>(bmp[kBmpHeader + static_cast<size_t>(i)]) == 4 * levels[static_cast<size_t>(i)];
        matches += same;
        if (same) cameraFile = file;
    }
    ASSERT_EQ(matches, 1);

    // The FITS pictures: the frame keeps the camera's own 16 bits, its very values; the sum is sound.
    for (const std::string& path : {frameFits, (h.dir / "buffer.fits").string()})
        EXPECT_EQ(testing::Fitsverify(path), "OK") << path;
    const testing::AstropyReading ours = testing::ReadWithAstropy(frameFits);
    const testing::AstropyReading camera = testing::ReadWithAstropy(cameraFile.string());
    ASSERT_EQ(ours.hdus.size(), 1u) << ours.output.substr(0, 2000);
    ASSERT_FALSE(camera.hdus.empty()) << camera.output.substr(0, 2000);
    EXPECT_EQ(ours.complaints, "");
    EXPECT_EQ(ours.hdus[0].pixels, camera.hdus[0].pixels);
    EXPECT_EQ(ours.hdus[0].Cards({"BITPIX", "BZERO", "INSTRUME", "XBINNING"}),
              "BITPIX=16 BZERO=32768 INSTRUME=CCD Simulator XBINNING=4");
    std::set<int> distinct;
    for (size_t i = kBmpHeader; i < bmp.size(); ++i)
        distinct.insert(std::to_integer<int>(bmp[i]));
    EXPECT_GT(distinct.size(), 8u);  // the noise shows, not one flat level
}

// The server dies and comes back: the loss is told once however long it lasts, the picture stays,
// and frames come back by themselves (the camera connected again by the program).
TEST_F(IndiCameraRun, ServerKilledIsToldOnceAndFramesComeBack)
{
    ASSERT_TRUE(server.Start());
    Start();
    ASSERT_TRUE(MoreFrames(2, 15 * kSecond));

    server.Kill();
    RunInRealTime(h.kit, kSecond / 2);
    const FrameBytes kept = h.Image().Buffers().frame;
    const int32_t frames = Frames();
    RunInRealTime(h.kit, NuvixWindow::kRetryAfterCameraLostMs + kSecond);  // past a look again
    EXPECT_EQ(Boxes("La caméra ne répond plus"), 1);
    EXPECT_EQ(Frames(), frames);
    EXPECT_EQ(h.Image().Buffers().frame, kept);

    ASSERT_TRUE(server.Start());
    EXPECT_TRUE(MoreFrames(2, 20 * kSecond));
    EXPECT_EQ(Boxes("La caméra ne répond plus"), 1);
}

}  // namespace
}  // namespace nuvix
