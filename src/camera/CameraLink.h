#pragma once

#include "platform/clock/Clock.h"
#include "platform/ports/PortBus.h"

#include <cstdint>

namespace nuvix {

// The longest the host waits for one answer of the camera (a handshake level, the probe's
// data bit, a frame half) beyond the exposure the camera is running; also the whole bound
// when no exposure runs (detection, the probe). A camera that is gone is given up on.
inline constexpr int32_t kCameraAnswerBoundMs = 500;

// What the camera protocol talks through: the port bus and the clock, and how long one answer
// may take before the exchange is given up (the acquisition step sets it before each exchange).
struct CameraLink {
    PortBus& bus;
    Clock& clock;
    int32_t answerBoundMs = kCameraAnswerBoundMs;

    void WritePort(uint16_t address, uint8_t value) { bus.WritePort(address, value); }
    uint8_t ReadPort(uint16_t address) { return bus.ReadPort(address); }
};

}  // namespace nuvix
