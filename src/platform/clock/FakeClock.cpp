#include "platform/clock/FakeClock.h"

namespace nuvix {

int32_t FakeClock::ElapsedMilliseconds()
{
    const int32_t ms = PeekMilliseconds();
    nowNs_ += readStepNs_;
    return ms;
}

void FakeClock::BusyLoop(int64_t iterations)
{
    nowNs_ += iterations * 10;
}

}  // namespace nuvix
