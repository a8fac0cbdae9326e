#include "platform/clock/FakeClock.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace nuvix {
namespace {

constexpr int64_t kNsPerMs = 1'000'000;
constexpr int64_t kWrapMs = int64_t{1} << 31;  // where the signed 32-bit clock turns negative

// Waits and counts that straddle the clock's wrap-arounds (24.8 and 49.7 days) last as long as
// anywhere else.
TEST(Clock, WaitsAndCountsAcrossTheWrapAround)
{
    struct Case {
        const char* name;
        int64_t startMs;
    };
    const Case cases[] = {
        {"at start", 0},
        {"across the sign change", kWrapMs - 3},
        {"across the return to zero", 2 * kWrapMs - 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int32_t n : {0, 1, 10}) {
            FakeClock clock;
            clock.AdvanceMs(c.startMs);
            clock.WaitMilliseconds(n);
            const int64_t waitedNs = clock.NowNs() - c.startMs * kNsPerMs;
            EXPECT_GE(waitedNs, n * kNsPerMs) << n;
            EXPECT_LT(waitedNs, (n + 1) * kNsPerMs) << n;
        }

        FakeClock clock;
        ContinuousMilliseconds count;
        clock.AdvanceMs(c.startMs);
        const int64_t first = count.Read(clock);
        EXPECT_EQ(first, c.startMs);
        clock.AdvanceMs(10);
        EXPECT_EQ(count.Read(clock) - first, 10);
        EXPECT_EQ(MillisecondsSince(static_cast<int32_t>(c.startMs), clock.ElapsedMilliseconds()), 10u);
    }
}

}  // namespace
}  // namespace nuvix
