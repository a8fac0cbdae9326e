#pragma once

#include "camera/CameraLink.h"
#include "camera/CameraSettings.h"

#include <cstdint>

namespace nuvix {

// Control register values.
namespace control {
inline constexpr uint8_t kIdle = 0x00;
inline constexpr uint8_t kStrobeByte = 0x04;
inline constexpr uint8_t kReset = 0x0B;
inline constexpr uint8_t kRest = 0x0E;
inline constexpr uint8_t kInput = 0x20;
inline constexpr uint8_t kProbeLow = 0x24;
inline constexpr uint8_t kTransferLow = 0x26;
inline constexpr uint8_t kProbeHigh = 0x2C;
inline constexpr uint8_t kTransferHigh = 0x2E;
}  // namespace control

enum class HandshakeLevel { Low, High };

// Camera commands of the settings upload and the frame request.
namespace command {
inline constexpr uint8_t kBrightness = 0x0B;
inline constexpr uint8_t kTop = 0x0D;
inline constexpr uint8_t kLeft = 0x0F;
inline constexpr uint8_t kLineCount = 0x11;
inline constexpr uint8_t kLineUnits = 0x13;
inline constexpr uint8_t kContrast = 0x19;
inline constexpr uint8_t kWhiteBalance = 0x1F;
inline constexpr uint8_t kPortMode = 0x1D;
inline constexpr uint8_t kSendFrame = 0x07;
inline constexpr uint8_t kFrameMode = 0x03;  // full size, six-bit pixels, bidirectional
}  // namespace command

// Full reset; used by DetectCamera.
void ResetCamera(CameraLink& link);
// Short reset, after every frame and in the probe.
void PulseReset(CameraLink& link);
// True when the status register shows at least 50 changes within 200 ms of a reset.
bool DetectCamera(CameraLink& link);
// Waits for status bit 3 to reach the level; false when the camera did not answer within
// the link's bound.
bool WaitHandshake(CameraLink& link, HandshakeLevel level);
// Sends one command or argument byte; false when the camera did not acknowledge it.
bool SendByte(CameraLink& link, uint8_t value);

enum class PortMode { Bidirectional, NoAnswer };
// The exchange run once after a successful detection. NoAnswer when a wait gave up; the
// port is left at rest either way.
PortMode ProbePortMode(CameraLink& link);

// Sends the seven setting commands; false (and nothing more sent) once a byte is not
// acknowledged.
bool UploadSettings(CameraLink& link, const CameraSettings& settings);

}  // namespace nuvix
