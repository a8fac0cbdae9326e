#include "camera/PortWait.h"

#include "camera/QuickCam.h"

namespace nuvix {

bool PollPortBounded(CameraLink& link, uint16_t address, uint8_t mask, uint8_t want, uint8_t& value)
{
    const int32_t start = link.clock.ElapsedMilliseconds();
    for (;;) {
        for (int i = 0; i < kReadsPerClockCheck; ++i) {
            value = link.ReadPort(address);
            if ((value & mask) == want) return true;
        }
        if (MillisecondsSince(start, link.clock.ElapsedMilliseconds()) > static_cast<uint32_t>(kCameraAnswerBoundMs)) {
            // One last look: the thread may have been held off past the bound while the
            // camera answered.
            value = link.ReadPort(address);
            return (value & mask) == want;
        }
    }
}

}  // namespace nuvix
