#pragma once

#include "platform/clock/Clock.h"

#include <chrono>

namespace nuvix {

// The monotonic wall clock of the machine.
class RealClock final : public Clock {
public:
    RealClock();
    int32_t ElapsedMilliseconds() override;
    int64_t UtcMilliseconds() override;
    void BusyLoop(int64_t iterations) override;
    // Sleeps until the clock has moved on by n milliseconds: the UART's gaps between bytes
    // need time, not a processor spinning.
    void WaitMilliseconds(int32_t n) override;

private:
    std::chrono::steady_clock::time_point start_;
};

}  // namespace nuvix
