#pragma once

#include "guiding/TrackingState.h"

#include <cstdint>

namespace nuvix {

// A move of the guide reference, picture pixels.
struct DitherOffset {
    int32_t dx = 0;  // AD
    int32_t dy = 0;  // DEC
};

// An offset within +/- `amount` pixels on each axis, only on AD with `raOnly`; `uniformX` and
// `uniformY` are draws in [0, 1).
DitherOffset DrawDither(double amount, bool raOnly, double uniformX, double uniformY);

// Moves the reference by `offset` while keeping it 4 pixels inside the box, as placing the box
// does; returns the move made.
DitherOffset MoveReference(TrackingState& tracking, DitherOffset offset);

}  // namespace nuvix
