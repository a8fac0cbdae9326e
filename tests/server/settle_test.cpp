// Settling after a guide or a dither, frame by frame.
#include "server/Settle.h"

#include <gtest/gtest.h>

namespace nuvix::server {
namespace {

struct Frame {
    uint32_t atMs;
    std::optional<double> distance;  // none: the star was lost
};

struct Case {
    const char* what;
    SettleParams params;
    std::vector<Frame> frames;
    uint32_t tickAtMs;  // a tick between frames after the last one; 0: none
    int status;         // -1: not done yet
    int total, dropped;
};

TEST(ServerSettle, SettledOnlyAfterTheTimeInRangeAndGivenUpAtTheTimeout)
{
    const Case table[] = {
        {"at once with no time asked", {1.0, 0.0, 45.0}, {{100, 3.0}, {200, 0.5}}, 0, 0, 2, 0},
        {"the time counts from the first frame in range", {1.5, 1.0}, {{0, 1.0}, {500, 1.4}, {999, 1.5}}, 0, -1, 3, 0},
        {"settled a second later", {1.5, 1.0}, {{0, 1.0}, {500, 1.4}, {1000, 1.5}}, 0, 0, 3, 0},
        {"a frame out of range starts the time again",
         {1.5, 1.0},
         {{0, 1.0}, {600, 1.6}, {1000, 1.0}, {1500, 1.0}},
         0,
         -1,
         4,
         0},
        {"a lost star starts it again and counts as dropped",
         {1.5, 1.0},
         {{0, 1.0}, {600, {}}, {1200, 1.0}},
         0,
         -1,
         3,
         1},
        {"the timeout while frames come", {1.5, 10.0, 2.0}, {{0, 5.0}, {1000, 5.0}, {2000, 5.0}}, 0, 1, 3, 0},
        {"the timeout with no frame at all", {1.5, 10.0, 2.0}, {}, 2000, 1, 0, 0},
        {"before the timeout", {1.5, 10.0, 2.0}, {}, 1999, -1, 0, 0},
    };
    for (const Case& c : table) {
        SCOPED_TRACE(c.what);
        SettleTracker settle;
        settle.Begin(c.params, 0xFFFFFF00u);  // across the clock's wrap
        std::optional<SettleDoneEvent> done;
        for (const Frame& f : c.frames) {
            ASSERT_FALSE(done);
            settle.Frame(f.distance, 0xFFFFFF00u + f.atMs, done);
        }
        if (!done && c.tickAtMs) done = settle.Tick(0xFFFFFF00u + c.tickAtMs);
        EXPECT_EQ(done ? done->status : -1, c.status);
        EXPECT_EQ(settle.Active(), c.status == -1);
        if (done) {
            EXPECT_EQ(done->totalFrames, c.total);
            EXPECT_EQ(done->droppedFrames, c.dropped);
            EXPECT_EQ(done->error.empty(), c.status == 0);
        }
    }
}

TEST(ServerSettle, ProgressTellsTheDistanceAndTheTimeInRangeAndCancelEndsItOnce)
{
    SettleTracker settle;
    settle.Begin({2.0, 5.0, 60.0}, 1000);
    std::optional<SettleDoneEvent> done;
    EXPECT_EQ(settle.Frame(1.0, 1000, done).time, 0.0);
    const SettleTracker::Progress later = settle.Frame(1.5, 3500, done);
    EXPECT_EQ(later.distance, 1.5);
    EXPECT_EQ(later.time, 2.5);
    EXPECT_TRUE(later.starLocked);
    EXPECT_FALSE(settle.Frame(std::nullopt, 4000, done).starLocked);
    const std::optional<SettleDoneEvent> cancelled = settle.Cancel("guiding stopped");
    ASSERT_TRUE(cancelled);
    EXPECT_EQ(cancelled->status, 1);
    EXPECT_EQ(cancelled->error, "guiding stopped");
    EXPECT_FALSE(settle.Cancel("again"));
}

}  // namespace
}  // namespace nuvix::server
