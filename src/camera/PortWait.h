#pragma once

#include "camera/CameraLink.h"

#include <cstdint>

namespace nuvix {

// Port reads between two readings of the clock while a wait goes on. A clock reading costs
// about as much as a port read; reading it every few reads keeps the bound within a few
// microseconds and the polling tight.
inline constexpr int kReadsPerClockCheck = 4;

// The slow path of PollPort: reads on, with the clock, until the answer or the bound.
bool PollPortBounded(CameraLink& link, uint16_t address, uint8_t mask, uint8_t want, uint8_t& value);

// Reads `address` until (value & mask) == want and leaves the answering byte in `value`.
// A camera that is ready costs one read and no clock reading; otherwise the wait gives up
// (false) once more than the link's answer bound has passed without the answer.
inline bool PollPort(CameraLink& link, uint16_t address, uint8_t mask, uint8_t want, uint8_t& value)
{
    value = link.ReadPort(address);
    if ((value & mask) == want) return true;
    return PollPortBounded(link, address, mask, want, value);
}

}  // namespace nuvix
