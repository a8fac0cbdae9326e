#include "AppFixture.h"

#include "platform/ui/HandlerWatch.h"

#include <algorithm>
#include <optional>
#include <vector>

using nuvix::testing::CameraApp;

namespace nuvix {
namespace {

constexpr const char* kLost = "La caméra ne répond plus";
constexpr int64_t kNsPerMs = 1'000'000;

// The longest any window handler held the thread, in fake-clock time, while it is installed.
class LongestHandler final : public ui::HandlerWatch {
public:
    explicit LongestHandler(FakeClock& clock) : clock_(clock) { ui::SetHandlerWatch(this); }
    ~LongestHandler() override { ui::SetHandlerWatch(nullptr); }
    void Began(const ui::Window&, const char*, int) override { started_.push_back(clock_.NowNs()); }
    void Ended() override
    {
        if (started_.empty()) return;
        longestNs = std::max(longestNs, clock_.NowNs() - started_.back());
        started_.pop_back();
    }
    int64_t longestNs = 0;

private:
    FakeClock& clock_;
    std::vector<int64_t> started_;
};

// Ticks until `done` holds, at most `ms` of clock time; false when it never did.
template <class Done>
bool RunUntil(CameraApp& app, int64_t ms, Done done)
{
    const int64_t end = app.h.kit.Clock().NowNs() + ms * kNsPerMs;
    while (!done()) {
        if (app.h.kit.Clock().NowNs() > end || !app.h.kit.AdvanceToNextTimer()) return false;
    }
    return true;
}

// Unplugged on a clock schedule and powered again, in every exposure mode: while the camera
// is away no handler holds the window for more than 50 ms, the picture is back within 5 s of
// the camera, and each loss is told once.
TEST(CameraLoss, NoFreezeWhileLostAndThePictureComesBackByItself)
{
    struct Case {
        const char* name;
        uint16_t level;
    };
    const Case cases[] = {{"short exposure", 170}, {"longest short exposure", 210}, {"long exposure", 240}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CameraApp app;
        app.AcquiringAt(c.level);
        const int64_t nowMs = app.h.kit.Clock().PeekMilliseconds();
        const int64_t replugMs = nowMs + 12'000;
        app.camera.ScheduleUnplug(nowMs + 2000, replugMs);

        std::optional<LongestHandler> watch(std::in_place, app.h.kit.Clock());
        ASSERT_TRUE(RunUntil(app, 10'000, [&] { return app.MessagesSaying(kLost) == 1; }));
        // Finding the loss took one exchange's whole bound: the watch sees long handlers.
        EXPECT_GE(watch->longestNs, kCameraAnswerBoundMs * kNsPerMs);
        const int framesBefore = app.camera.FramesSent();
        watch.emplace(app.h.kit.Clock());
        app.h.kit.AdvanceMs(replugMs - app.h.kit.Clock().PeekMilliseconds());
        EXPECT_LE(watch->longestNs, 50 * kNsPerMs);
        watch.reset();
        EXPECT_EQ(app.camera.FramesSent(), framesBefore);

        EXPECT_TRUE(RunUntil(app, 5000, [&] { return app.camera.FramesSent() > framesBefore + 1; }));
        EXPECT_EQ(app.camera.Registers().contrast, 255);  // the camera that forgot everything has its settings again
        EXPECT_EQ(app.MessagesSaying(kLost), 1);

        // A second loss is a new loss, told again.
        app.camera.Unplug();
        EXPECT_TRUE(RunUntil(app, 5000, [&] { return app.MessagesSaying(kLost) == 2; }));
    }
}

// The bound on an answer follows the exposure the camera was sent: a camera somewhat slower
// than the formula is still waited for, one far too slow is given up on.
TEST(CameraLoss, ASlowCameraIsWaitedForAsLongAsItExposes)
{
    struct Case {
        const char* name;
        uint16_t levelBefore;  // the level the step before ran at (its brightness goes out first)
        uint16_t level;
        double slowness;
        bool lost;
    };
    const Case cases[] = {
        {"half again as slow at 210: 0.57 s", 210, 210, 1.5, false},
        {"from a long exposure down to 210", 240, 210, 1.5, false},
        {"two and a half times as slow at 210: 0.95 s", 210, 210, 2.5, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CameraApp app;
        app.AcquiringAt(c.levelBefore);
        app.SetLevel(c.level);
        app.camera.SetExposureLatency(c.slowness);
        app.h.kit.AdvanceMs(8000);
        EXPECT_EQ(app.MessagesSaying(kLost), c.lost ? 1 : 0);
        if (!c.lost) {
            EXPECT_EQ(app.camera.Registers().brightness, c.level);
        }
    }
}

}  // namespace
}  // namespace nuvix
