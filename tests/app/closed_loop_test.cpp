#include "AppFixture.h"

#include "guiding/CorrectionOutput.h"
#include "sim/SimCamera.h"
#include "sim/SimMount.h"
#include "sim/Sky.h"

#include <cmath>

using nuvix::testing::AppHarness;

namespace nuvix {
namespace {

constexpr int64_t kMinute = 60'000;
// The sanitizers look for memory faults, not at the loop's accuracy over a long night: under them
// the longest run is shorter.
constexpr int64_t kLongRun = NUVIX_SANITIZED ? 2 * kMinute : 10 * kMinute;
constexpr int64_t kRun = NUVIX_SANITIZED ? kMinute : 3 * kMinute;

// The whole program on the simulator, guiding its simulated mount over the serial protocol.
class ClosedLoop : public ::testing::Test {
protected:
    ClosedLoop() : camera(h.kit.Clock(), &sky) {}

    void Start(sim::MountSettings settings, bool invertRa)
    {
        mount.emplace(h.kit.Clock(), settings);
        sky.SetMount(&*mount);
        h.bus.Attach(port::kLptData, port::kLptControl, camera);
        AttachUarts(h.bus, *mount);
        tparam record;
        record.protocol = kStellonStandard;
        record.invertRa = invertRa;
        h.StoreRecord(record);
        h.Start();
        h.kit.AdvanceMs(2000);  // the first message, then live frames
    }

    struct Run {
        double rms = 0.0;      // of the true star's distance to where it stood at "Track"
        double largest = 0.0;  // its largest distance
        double last = 0.0;     // at the end
    };
    // Clicks "Track" and guides for that long.
    Run Guide(int64_t ms)
    {
        h.kit.Click(h.Image(), 450);
        const sim::SkyPoint start = StarNow();
        const int64_t end = h.kit.Clock().PeekMilliseconds() + ms;
        Run run;
        int frames = 0;
        double squares = 0.0;
        while (h.kit.Clock().PeekMilliseconds() < end && h.kit.AdvanceToNextTimer()) {
            const sim::SkyPoint now = StarNow();
            run.last = std::hypot(now.x - start.x, now.y - start.y);
            run.largest = std::max(run.largest, run.last);
            squares += run.last * run.last;
            ++frames;
        }
        run.rms = frames ? std::sqrt(squares / frames) : 0.0;
        return run;
    }
    sim::SkyPoint StarNow() { return sky.GuideStarAt(int64_t{h.kit.Clock().PeekMilliseconds()} * 1'000'000); }

    AppHarness h;
    sim::Sky sky{20261207};
    sim::SimCamera camera;
    std::optional<sim::SimMount> mount;
};

// Left alone, the mount's drift and periodic error carry the star well out of place.
TEST(ClosedLoopSky, UnguidedTheStarWanders)
{
    const sim::Sky sky(20261207);
    const sim::SkyPoint start = sky.GuideStarAt(0);
    double largest = 0.0;
    for (int64_t s = 0; s <= 600; ++s) {
        const sim::SkyPoint p = sky.GuideStarAt(s * 1'000'000'000);
        largest = std::max(largest, std::hypot(p.x - start.x, p.y - start.y));
    }
    EXPECT_GT(largest, 10.0);
}

TEST_F(ClosedLoop, GuidingHoldsTheStarOnItsReference)
{
    Start({}, false);
    const Run run = Guide(kLongRun);
    EXPECT_LT(run.rms, 1.0);
    EXPECT_LT(run.largest, 3.0);
    EXPECT_GT(mount->CommandsCarriedOut(), 100);
}

TEST_F(ClosedLoop, AReversedAxisSetRightInTheParametersConverges)
{
    sim::MountSettings flipped;
    flipped.flipRa = true;
    Start(flipped, true);
    const Run run = Guide(kRun);
    EXPECT_LT(run.rms, 1.0);
}

TEST_F(ClosedLoop, InvertingAnAxisTheMountDoesNotReverseRunsAway)
{
    Start({}, true);
    const Run run = Guide(kRun);
    EXPECT_GT(run.last, 10.0);
}

}  // namespace
}  // namespace nuvix
