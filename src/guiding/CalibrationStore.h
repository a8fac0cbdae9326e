#pragma once

#include "guiding/Calibration.h"
#include "platform/files/KeyFile.h"

#include <optional>

namespace nuvix {

// The calibration's place in the settings file:
//
//   [Calibration]                 the last good calibration
//   Mount=Telescope Simulator     the INDI device it was made with
//   RaAngle=215.1                 degrees, direction a west pulse moves the star (atan2(dy, dx), y down)
//   RaRate=9.71                   pixels per second
//   DecAngle=125.3                degrees, direction a north pulse moves the star
//   DecRate=9.68
//   Declination=10                degrees, where it was made (absent when the mount did not say)
//   PierSide=West                 East, West or Unknown
//   ImageScale=0.7735             arc seconds per pixel
//
//   [Mount]
//   DecFlipAfterPierSideChange=true   false for a mount that keeps its declination's sense after a
//                                     meridian flip
inline constexpr const char* kCalibrationGroup = "Calibration";
inline constexpr const char* kMountGroup = "Mount";

// The stored calibration; empty when there is none or its values make no model.
std::optional<Calibration> ReadCalibration(const files::KeyFile& keys);
void WriteCalibration(files::KeyFile& keys, const Calibration& calibration);

// Whether the mount reverses its declination after a pier-side change (true when not set).
bool DecFlipsAfterPierSideChange(const files::KeyFile& keys);

}  // namespace nuvix
