#pragma once

#include <cstdint>

// The parallel-port lines as the camera sees them. The camera knows the port, not the host's
// code, so it keeps its own names for the levels the host drives.
namespace nuvix::sim::lines {

// Control register bits and the values the camera reacts to.
inline constexpr uint8_t kSelectIn = 0x08;        // the camera answers on status bit 3 with its complement
inline constexpr uint8_t kDirectionInput = 0x20;  // the port's data lines are inputs: the camera may drive them
inline constexpr uint8_t kStrobeByte = 0x04;      // latches the data lines as the next command byte
inline constexpr uint8_t kResetAsserted = 0x0B;   // held in reset
inline constexpr uint8_t kRest = 0x0E;            // 0x0B then 0x0E: a reset pulse
inline constexpr uint8_t kTransferHigh = 0x2E;    // hands a first half back during a frame
inline constexpr uint8_t kTransferLow = 0x26;     // hands a second half back during a frame

// Status register bit 3: the camera's handshake line.
inline constexpr uint8_t kHandshake = 0x08;
// Status bits that carry pixel bits during a transfer (3-7).
inline constexpr uint8_t kPixelStatusBits = 0xF8;
// Data bit 0 tells the two halves of a transfer cycle apart.
inline constexpr uint8_t kHalfMarker = 0x01;
// What the data lines read when the port is input and nothing drives them.
inline constexpr uint8_t kFloatingData = 0xFF;

// Commands the camera understands, each followed by one argument byte.
inline constexpr uint8_t kCommandBrightness = 0x0B;
inline constexpr uint8_t kCommandTop = 0x0D;
inline constexpr uint8_t kCommandLeft = 0x0F;
inline constexpr uint8_t kCommandLineCount = 0x11;
inline constexpr uint8_t kCommandLineUnits = 0x13;
inline constexpr uint8_t kCommandContrast = 0x19;
inline constexpr uint8_t kCommandPortMode = 0x1D;
inline constexpr uint8_t kCommandWhiteBalance = 0x1F;
inline constexpr uint8_t kCommandSendFrame = 0x07;
// The only frame mode served: full size, six-bit pixels, bidirectional.
inline constexpr uint8_t kFrameModeServed = 0x03;

}  // namespace nuvix::sim::lines
