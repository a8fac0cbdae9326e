#pragma once

#include <cstdint>

namespace nuvix {

// The one source of time for the system: milliseconds since start, polled waits and the
// busy loops that pace the camera. A fake implementation lets tests jump instead of spin.
class Clock {
public:
    virtual ~Clock() = default;

    // Milliseconds since the clock was made (program start).
    virtual int32_t ElapsedMilliseconds() = 0;

    // A busy loop of the given number of iterations. On real hardware it lasts at least
    // iterations x 10 ns of wall-clock time, whatever the compiler does with empty loops.
    virtual void BusyLoop(int64_t iterations) = 0;

    // The camera's short settling delay: a busy loop of 100 iterations.
    void ShortDelay() { BusyLoop(100); }

    // Reads the clock once, then polls it until at least n milliseconds have passed.
    void WaitMilliseconds(int32_t n)
    {
        const int32_t start = ElapsedMilliseconds();
        while (ElapsedMilliseconds() - start < n) {
        }
    }
};

}  // namespace nuvix
