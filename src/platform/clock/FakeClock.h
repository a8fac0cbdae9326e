#pragma once

#include "platform/clock/Clock.h"

namespace nuvix {

// A clock that only moves when told to. Every reading also moves it forward by a small
// step, so that a loop polling the clock always ends; a busy loop moves it by its
// nominal duration (10 ns per iteration).
class FakeClock final : public Clock {
public:
    static constexpr int64_t kDefaultReadStepNs = 10'000;  // 10 us per reading
    // The calendar's time at the clock's start: 2026-12-07 21:00 UTC, an evening.
    static constexpr int64_t kStartUtcMs = 1'796'677'200'000;

    explicit FakeClock(int64_t readStepNs = kDefaultReadStepNs) : readStepNs_(readStepNs) {}

    int32_t ElapsedMilliseconds() override;
    int64_t UtcMilliseconds() override { return kStartUtcMs + nowNs_ / 1'000'000; }
    void BusyLoop(int64_t iterations) override;

    // Time since start in nanoseconds, without moving the clock.
    int64_t NowNs() const { return nowNs_; }
    int32_t PeekMilliseconds() const { return static_cast<int32_t>(nowNs_ / 1'000'000); }

    void AdvanceNs(int64_t ns) { nowNs_ += ns; }
    void AdvanceMs(int64_t ms) { nowNs_ += ms * 1'000'000; }
    // Moves forward to the given time; never backward.
    void AdvanceToNs(int64_t ns)
    {
        if (ns > nowNs_) nowNs_ = ns;
    }

    void SetReadStepNs(int64_t ns) { readStepNs_ = ns; }

private:
    int64_t nowNs_ = 0;
    int64_t readStepNs_;
};

}  // namespace nuvix
