#pragma once

#include "sim/SimLines.h"

#include <cstdint>

namespace nuvix::sim {

// What the camera puts on the data and status lines for one half of a transfer cycle.
struct HalfLines {
    uint8_t data;
    uint8_t status;
};

// Two six-bit pixels (values above 63 saturate) travel as their complement against 63:
// the first in data bits 1-6, the second with its bit 0 in data bit 7 and its bits 1-5 in
// status bits 3-7. Data bit 0 is set on first halves and clear on second halves.
constexpr HalfLines EncodeHalf(uint8_t first, uint8_t second, bool firstHalf)
{
    const unsigned a = 63u - (first > 63 ? 63u : first);
    const unsigned b = 63u - (second > 63 ? 63u : second);
    const unsigned data = (a << 1) | ((b & 1u) << 7) | (firstHalf ? lines::kHalfMarker : 0u);
    const unsigned status = (b & 0x3Eu) << 2;
    return {static_cast<uint8_t>(data), static_cast<uint8_t>(status)};
}

// The test pattern: the value of the k-th pixel sent in a frame (k = 0..76,799).
constexpr uint8_t TestPatternPixel(int k)
{
    return static_cast<uint8_t>((k * 7 + k / 320) & 63);
}

}  // namespace nuvix::sim
