#include "AppFixture.h"

#include "sim/SimPixelEncoder.h"

using nuvix::testing::CameraApp;

namespace nuvix {
namespace {

class Acquisition : public ::testing::Test, protected CameraApp {};

TEST_F(Acquisition, FirstTickReportsTheCameraAndAcquiresNothing)
{
    Plug();
    Start();
    AdvanceToSinceSetup(499);
    EXPECT_TRUE(h.kit.MessageBoxes().empty());
    AdvanceToSinceSetup(501);
    ASSERT_EQ(h.kit.MessageBoxes().size(), 1u);
    EXPECT_EQ(h.kit.MessageBoxes()[0].text, "Mode bidirectionnel");
    EXPECT_EQ(h.kit.MessageBoxes()[0].caption, "Quickcam sur LPT1");
    EXPECT_TRUE(h.kit.MessageBoxes()[0].afterTimerHandler);
    EXPECT_EQ(camera.FramesSent(), 0);
}

TEST_F(Acquisition, WithoutCameraTheFirstTickSaysSoAndNothingIsEverAcquired)
{
    Start();
    AdvanceToSinceSetup(5000);
    ASSERT_EQ(h.kit.MessageBoxes().size(), 1u);
    EXPECT_EQ(h.kit.MessageBoxes()[0].text, "Pas de caméra");
    EXPECT_EQ(h.kit.MessageBoxes()[0].caption, "Erreur");
    EXPECT_FALSE(h.State().cameraPresent);
}

TEST_F(Acquisition, NoStepBeforeOneSecondNotEvenOnMouseMoves)
{
    Plug();
    Start();
    AdvanceToSinceSetup(600);
    h.kit.MouseMove(h.Image(), {10, 10}, false);
    AdvanceToSinceSetup(990);
    h.kit.MouseMove(h.Image(), {12, 10}, false);
    EXPECT_EQ(camera.FramesSent(), 0);
    AdvanceToSinceSetup(1001);
    EXPECT_EQ(camera.FramesSent(), 1);
    EXPECT_GE(camera.LastExposure().timeNs, (setupMs + 1000) * 1'000'000LL);
    // From then on, in short exposures, every mouse movement adds a frame.
    h.kit.MouseMove(h.Image(), {14, 10}, false);
    EXPECT_EQ(camera.FramesSent(), 2);
}

TEST_F(Acquisition, ShortAndLongExposures)
{
    Plug();
    Start();
    SetLevel(210);
    Frames(1);
    EXPECT_EQ(h.State().camera.brightness, 210);
    EXPECT_EQ(AcquisitionPeriod(), 100);
    Frames(1);
    EXPECT_EQ(camera.Registers().brightness, 210);  // sent one step late

    SetLevel(211);
    Frames(1);
    EXPECT_EQ(h.State().camera.brightness, 255);
    EXPECT_NEAR(h.Image().ExposureMs(), 398.4f, 0.05f);
    EXPECT_EQ(AcquisitionPeriod(), 388);
    Frames(1);
    EXPECT_EQ(camera.Registers().brightness, 255);
    EXPECT_NEAR(camera.LastExposure().milliseconds, 398.4, 25.0);  // the camera integrated since the pulse
}

TEST_F(Acquisition, BackFromLongToShortSends255OnceMore)
{
    Plug();
    Start();
    SetLevel(240);
    Frames(2);
    const int32_t lastEnd = h.Image().LastFrameEnd();
    SetLevel(170);
    Frames(1);
    // That step still waited out the long exposure, and uploaded the long brightness.
    EXPECT_GE(camera.LastExposure().timeNs, static_cast<int64_t>(lastEnd + 1398) * 1'000'000);
    EXPECT_EQ(camera.Registers().brightness, 255);
    Frames(1);
    EXPECT_EQ(camera.Registers().brightness, 170);
    EXPECT_EQ(AcquisitionPeriod(), 100);
}

TEST_F(Acquisition, PhotoTimerTicksAcquireToo)
{
    Plug();
    Start();
    AdvanceToSinceSetup(600);  // the first tick, with its message
    h.Image().KillTimer(NuvixWindow::kAcquisitionTimer);
    h.Image().SetTimer(NuvixWindow::kPhotoTimer, 700);
    AdvanceToSinceSetup(1299);
    EXPECT_EQ(camera.FramesSent(), 0);
    AdvanceToSinceSetup(1301);
    EXPECT_EQ(camera.FramesSent(), 1);
}

TEST_F(Acquisition, TheTestPatternArrivesScaledThroughTheWholeStep)
{
    Plug();
    Start();
    Frames(1);
    const FrameBytes& frame = h.Image().Buffers().frame;
    int wrong = 0;
    for (int k = 0; k < kFramePixels; ++k)
        wrong += frame[kFramePixels - 1 - k] != 4 * sim::TestPatternPixel(k);
    EXPECT_EQ(wrong, 0);
    // The live view shows it: the first pixel sent is the picture's top right corner.
    const gfx::Bitmap& window = h.Image().Surface();
    const uint8_t grey = static_cast<uint8_t>(4 * sim::TestPatternPixel(0));
    EXPECT_EQ(window.At(319, 0), (gfx::Color{grey, grey, grey}.ToPixel()));
}

TEST_F(Acquisition, WithoutMemoryForTheBuffersNothingIsAcquired)
{
    Plug();
    Start([](std::size_t) -> std::vector<int32_t> { throw std::bad_alloc(); });
    ASSERT_FALSE(h.kit.MessageBoxes().empty());
    EXPECT_EQ(h.kit.MessageBoxes()[0].text, "Erreur Mémoire");
    EXPECT_EQ(h.kit.MessageBoxes()[0].caption, "ERREUR");
    AdvanceToSinceSetup(3000);
    h.kit.MouseMove(h.Image(), {10, 10}, false);
    EXPECT_EQ(camera.FramesSent(), 0);
    EXPECT_EQ(h.kit.MessageBoxes().back().text, "Mode bidirectionnel");
}

TEST_F(Acquisition, AnUnpluggedCameraIsToldOnceAndThePictureStays)
{
    Plug();
    Start();
    camera.UnplugAfter(camera.FramesSent() + 2);
    Frames(2);
    const FrameBytes before = h.Image().Buffers().frame;
    AdvanceToSinceSetup(h.kit.Clock().PeekMilliseconds() - setupMs + 20'000);
    EXPECT_EQ(MessagesSaying("La caméra ne répond plus"), 1);
    EXPECT_EQ(h.Image().Buffers().frame, before);
    // The other windows still answer.
    h.kit.Click(h.Main(), 344);
    EXPECT_EQ(h.State().camera.contrast, 255);
    h.kit.Click(h.Main(), 345);
    EXPECT_EQ(h.State().camera.contrast, 254);
}

}  // namespace
}  // namespace nuvix
