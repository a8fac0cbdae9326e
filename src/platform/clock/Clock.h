#pragma once

#include <cstdint>

namespace nuvix {

// Milliseconds from `start` to `now` on the 32-bit clock, correct across its wrap-around
// (every 49.7 days; the signed difference would overflow after 24.8).
inline uint32_t MillisecondsSince(int32_t start, int32_t now)
{
    return static_cast<uint32_t>(now) - static_cast<uint32_t>(start);
}

// The reading `ms` milliseconds before `now`, across the wrap-around as well.
inline int32_t MillisecondsBefore(int32_t now, uint32_t ms)
{
    return static_cast<int32_t>(static_cast<uint32_t>(now) - ms);
}

// ... and after it.
inline int32_t MillisecondsAfter(int32_t now, uint32_t ms)
{
    return static_cast<int32_t>(static_cast<uint32_t>(now) + ms);
}

// Whether reading `a` comes at or after reading `b`, for readings less than 24.8 days apart.
inline bool NotBefore(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b)) >= 0;
}

// The one source of time for the system: milliseconds since start, polled waits and the
// busy loops that pace the camera. A fake implementation lets tests jump instead of spin.
class Clock {
public:
    virtual ~Clock() = default;

    // Milliseconds since the clock was made (program start).
    virtual int32_t ElapsedMilliseconds() = 0;

    // The calendar's time: milliseconds since 1970-01-01 00:00 UTC.
    virtual int64_t UtcMilliseconds() = 0;

    // The calendar's time of an earlier reading of ElapsedMilliseconds, found from the time gone
    // since, so that a calendar clock set while the program runs moves every date alike.
    int64_t UtcAt(int32_t reading)
    {
        const int32_t now = ElapsedMilliseconds();
        return UtcMilliseconds() - static_cast<int64_t>(MillisecondsSince(reading, now));
    }

    // A busy loop of the given number of iterations. On real hardware it lasts at least
    // iterations x 10 ns of wall-clock time, whatever the compiler does with empty loops.
    virtual void BusyLoop(int64_t iterations) = 0;

    // The camera's short settling delay: a busy loop of 100 iterations.
    void ShortDelay() { BusyLoop(100); }

    // Reads the clock once, then polls it until at least n milliseconds have passed. The
    // thread is held all that time; a real clock may let the processor sleep meanwhile.
    virtual void WaitMilliseconds(int32_t n)
    {
        const int32_t start = ElapsedMilliseconds();
        while (static_cast<int64_t>(MillisecondsSince(start, ElapsedMilliseconds())) < n) {
        }
    }
};

// The clock's time as a 64-bit count that goes on past the 32-bit wrap-around, for devices
// that outlive it. It must be read at least once every 49 days to follow.
class ContinuousMilliseconds {
public:
    int64_t Read(Clock& clock)
    {
        const int32_t now = clock.ElapsedMilliseconds();
        total_ += MillisecondsSince(last_, now);
        last_ = now;
        return total_;
    }

private:
    int32_t last_ = 0;
    int64_t total_ = 0;
};

}  // namespace nuvix
