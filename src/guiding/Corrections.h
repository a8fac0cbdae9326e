#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace nuvix {

// A correction's length is a code in units of 1/63 s: 63 is one second, the most one frame asks.
inline constexpr int kLongestPulseCode = 63;
// On the on-screen indicators one unit lasts 15 ms.
inline constexpr int kIndicatorMsPerUnit = 15;

enum class Axis { Ra, Dec };  // AD takes Delta X, DEC takes Delta Y

// Codes per pixel of error on one axis: the image scale over the axis's correction speed, times
// 63, in single precision. Empty when the parameters give no usable gain (a focal length, pixel
// size or speed of zero, negative or not a number): such an axis then asks for no move at all,
// rather than a full second from a division by zero.
std::optional<float> CorrectionGain(double pixelSize, double focalLength, double speed);

struct AxisCorrection {
    int pulseCode = 0;       // 0..63
    bool saturated = false;  // the error asked for more than one second
    bool usable = true;      // false when the axis has no gain
};

// The length for an error of `error` pixels: the integer part of |error| x gain, cut to 63.
AxisCorrection CorrectionFor(int32_t error, std::optional<float> gain);

// The serial command for one axis: the code in bits 7-2, the axis in bit 1 (DEC), and in bit 0
// the direction, set when the error (after inversion) is zero or positive. The closing byte that
// follows is the same axis with the other direction and no length.
uint8_t CommandByte(Axis axis, int pulseCode, int32_t error);
uint8_t ClosingByte(Axis axis, int32_t error);

// The panel's per-cent text of the one-second maximum ("79%"; a cut correction reads "99%");
// "--%" for an axis without gain.
std::string PerCentText(const AxisCorrection& correction);

// Where a correction moves the mount, for outputs that name directions (timed guide pulses, the
// guide log). An error of zero or more after the inversion flags is east on AD and north on DEC,
// the ways a star left of or above its reference is brought back on a picture with north up and
// east to the left, as the sky is seen; the inversion flags fix any other orientation.
enum class GuideDirection { North, South, East, West };

struct GuidePulse {
    GuideDirection direction = GuideDirection::East;
    int ms = 0;  // 0: no pulse
};

// The correction as a timed pulse: 1/63 s per unit, to the nearest millisecond.
GuidePulse PulseFor(Axis axis, const AxisCorrection& correction, int32_t error);
char DirectionLetter(GuideDirection direction);

}  // namespace nuvix
