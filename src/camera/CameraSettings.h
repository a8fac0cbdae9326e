#pragma once

#include <cstdint>

namespace nuvix {

// The camera's settings. Seven of them go to the camera before every frame, each as a
// command byte and the low byte of the field.
struct CameraSettings {
    uint16_t exposureStep = 170;   // the observer's exposure control
    uint16_t exposureLevel = 170;  // derived from exposureStep by the panel
    uint16_t brightness = 170;     // command 0x0B: exposure of the next frame
    uint16_t contrast = 255;       // command 0x19
    uint16_t whiteBalance = 170;   // command 0x1F
    uint16_t top = 2;              // command 0x0D: first sensor row
    uint16_t left = 8;             // command 0x0F: first sensor column
    uint16_t lineCount = 240;      // command 0x11
    uint16_t lineUnits = 80;       // command 0x13: line length in units of four pixels
};

}  // namespace nuvix
