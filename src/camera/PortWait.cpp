#include "camera/PortWait.h"

#include <algorithm>

namespace nuvix {

bool PollPortBounded(CameraLink& link, uint16_t address, uint8_t mask, uint8_t want, uint8_t& value)
{
    const int32_t start = link.clock.ElapsedMilliseconds();
    const auto bound = static_cast<uint32_t>(std::max(link.answerBoundMs, 0));
    for (;;) {
        for (int i = 0; i < kReadsPerClockCheck; ++i) {
            value = link.ReadPort(address);
            if ((value & mask) == want) return true;
        }
        if (MillisecondsSince(start, link.clock.ElapsedMilliseconds()) > bound) {
            // One last look: the thread may have been held off past the bound while the
            // camera answered.
            value = link.ReadPort(address);
            return (value & mask) == want;
        }
    }
}

}  // namespace nuvix
