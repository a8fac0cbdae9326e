#pragma once

#include "platform/clock/Clock.h"

#include <chrono>

namespace nuvix {

// The monotonic wall clock of the machine.
class RealClock final : public Clock {
public:
    RealClock();
    int32_t ElapsedMilliseconds() override;
    void BusyLoop(int64_t iterations) override;

private:
    std::chrono::steady_clock::time_point start_;
};

}  // namespace nuvix
