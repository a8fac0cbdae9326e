#pragma once

#include "camera/CameraLink.h"
#include "image/FrameGeometry.h"

namespace nuvix {

// Requests one frame and clocks its 76,800 six-bit pixels in over the bidirectional port,
// storing them from the last byte of `target` downward. Leaves the control register at
// 0x00 in every case. False when the camera stopped answering: `target` then holds a
// partial picture that must not be shown.
bool ReadFrame(CameraLink& link, FrameBytes& target);

}  // namespace nuvix
