#pragma once

#include <array>
#include <cstdint>

namespace nuvix {

// Every picture buffer: 320 x 240, index = row x 320 + column, row 0 the bottom row.
inline constexpr int kFrameWidth = 320;
inline constexpr int kFrameHeight = 240;
inline constexpr int kFramePixels = kFrameWidth * kFrameHeight;

using FrameBytes = std::array<uint8_t, kFramePixels>;

}  // namespace nuvix
