#pragma once

#include "platform/clock/Clock.h"
#include "platform/ports/PortBus.h"

#include <cstdint>

namespace nuvix {

// What the camera protocol talks through: the port bus and the clock.
struct CameraLink {
    PortBus& bus;
    Clock& clock;

    void WritePort(uint16_t address, uint8_t value) { bus.WritePort(address, value); }
    uint8_t ReadPort(uint16_t address) { return bus.ReadPort(address); }
};

}  // namespace nuvix
