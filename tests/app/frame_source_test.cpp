#include "AppFixture.h"

#include "camera/FrameSource.h"

#include <deque>

using nuvix::testing::AppHarness;

namespace nuvix {
namespace {

// A camera that answers each look as the test scripts (a frame still on its way when nothing is
// scripted) and records the exposure each step asked for.
class ScriptedCamera final : public FrameSource {
public:
    bool Detect() override { return true; }
    CameraGreeting Greeting() const override { return {"Caméra INDI : Test", "INDI sur test:7624"}; }
    std::string Name() const override { return "Test"; }
    bool UploadSettings(const CameraSettings&) override { return true; }
    FrameArrival ReadFrame(float exposureMs, FrameBytes& target) override
    {
        exposures.push_back(exposureMs);
        FrameArrival arrival = FrameArrival::NotYet;
        if (!script.empty()) {
            arrival = script.front();
            script.pop_front();
        }
        if (arrival == FrameArrival::Arrived) target.fill(++level);
        if (arrival == FrameArrival::Lost) target.fill(63);  // a partial picture, never to be shown
        return arrival;
    }
    void PulseReset() override {}
    bool AnswersAgain() override { return true; }

    std::deque<FrameArrival> script;
    std::vector<float> exposures;
    uint8_t level = 0;  // of the last frame sent
};

class FrameSourceStep : public ::testing::Test {
protected:
    void Start()
    {
        h.frameSource = &camera;
        h.Start();
        h.kit.AdvanceMs(600);  // the first tick and its message
    }
    // Runs the next `n` acquisition steps.
    void Steps(int n)
    {
        const size_t target = camera.exposures.size() + static_cast<size_t>(n);
        for (int guard = 0; camera.exposures.size() < target && guard < 1000; ++guard)
            h.kit.AdvanceToNextTimer();
        ASSERT_EQ(camera.exposures.size(), target);
    }
    const FrameBytes& Picture() { return h.Image().Buffers().frame; }

    AppHarness h;
    ScriptedCamera camera;
};

// The exposure asked of the camera is the one the panel shows for the step's level, short or long.
TEST_F(FrameSourceStep, TheExposureAskedFollowsThePanel)
{
    Start();
    struct Case {
        uint16_t level;
        float ms;
    };
    for (const Case c : {Case{170, 67.73f}, Case{1, 0.3946f}, Case{210, 381.5f}, Case{211, 398.4f}, Case{240, 1398.5f},
                         Case{232, 989.0f}}) {
        h.State().camera.exposureStep = c.level;
        h.State().camera.exposureLevel = c.level;
        Steps(1);
        EXPECT_NEAR(camera.exposures.back(), c.ms, c.ms * 1e-3f) << c.level;
    }
}

// A frame still on its way leaves everything as it is, and the steps go on at their pace; the
// frame is shown by the step that finds it.
TEST_F(FrameSourceStep, AFrameNotYetThereLeavesThePictureAndTheCount)
{
    Start();
    camera.script = {FrameArrival::Arrived, FrameArrival::NotYet, FrameArrival::NotYet, FrameArrival::Arrived};
    Steps(1);
    const FrameBytes first = Picture();
    EXPECT_EQ(first[0], 4 * 1);
    const int32_t count = h.State().integration.frameCount;
    Steps(2);
    EXPECT_EQ(Picture(), first);
    EXPECT_EQ(h.State().integration.frameCount, count);
    EXPECT_EQ(h.kit.TimerPeriodMs(h.Image(), NuvixWindow::kAcquisitionTimer), NuvixWindow::kShortExposurePeriodMs);
    Steps(1);
    EXPECT_EQ(Picture()[0], 4 * 2);
    EXPECT_EQ(h.State().integration.frameCount, count + 1);
    EXPECT_EQ(h.BoxesSaying("La caméra ne répond plus"), 0);
}

// A lost camera is told once per loss and looked at again every few seconds; a camera that works
// on a frame again brings the usual pace back, and a later loss is a new one.
TEST_F(FrameSourceStep, ALostCameraIsToldOncePerLoss)
{
    Start();
    camera.script = {FrameArrival::Arrived, FrameArrival::Lost,   FrameArrival::Lost,
                     FrameArrival::NotYet,  FrameArrival::NotYet, FrameArrival::Lost};
    Steps(1);
    const FrameBytes shown = Picture();
    Steps(1);
    const int64_t lostAt = h.kit.Clock().NowNs();
    EXPECT_EQ(h.BoxesSaying("La caméra ne répond plus"), 1);
    EXPECT_EQ(Picture(), shown);
    Steps(1);
    EXPECT_GE(h.kit.Clock().NowNs() - lostAt, int64_t{NuvixWindow::kRetryAfterCameraLostMs} * 1'000'000);
    EXPECT_EQ(h.BoxesSaying("La caméra ne répond plus"), 1);
    Steps(1);  // working on a frame again
    const int64_t backAt = h.kit.Clock().NowNs();
    Steps(1);
    EXPECT_LT(h.kit.Clock().NowNs() - backAt, int64_t{NuvixWindow::kShortExposurePeriodMs + 10} * 1'000'000);
    Steps(1);
    EXPECT_EQ(h.BoxesSaying("La caméra ne répond plus"), 2);
    EXPECT_EQ(Picture(), shown);
}

}  // namespace
}  // namespace nuvix
