#include "platform/clock/RealClock.h"

#include <thread>

namespace nuvix {

namespace {
constexpr int64_t kNanosecondsPerIteration = 10;
}

RealClock::RealClock() : start_(std::chrono::steady_clock::now()) {}

int32_t RealClock::ElapsedMilliseconds()
{
    const auto elapsed = std::chrono::steady_clock::now() - start_;
    return static_cast<int32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

int64_t RealClock::UtcMilliseconds()
{
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count();
}

void RealClock::BusyLoop(int64_t iterations)
{
    // Polling the monotonic clock gives every loop a wall-clock floor that no optimiser
    // can remove; the camera needs that much time, not that many instructions.
    const auto until =
        std::chrono::steady_clock::now() + std::chrono::nanoseconds(iterations * kNanosecondsPerIteration);
    while (std::chrono::steady_clock::now() < until) {
    }
}

void RealClock::WaitMilliseconds(int32_t n)
{
    // At least n milliseconds of the clock, as polling it would give.
    const int32_t first = ElapsedMilliseconds();
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(n);
    while (static_cast<int64_t>(MillisecondsSince(first, ElapsedMilliseconds())) < n)
        std::this_thread::sleep_until(end);
}

}  // namespace nuvix
