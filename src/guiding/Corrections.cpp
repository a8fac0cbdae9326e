#include "guiding/Corrections.h"

#include "params/ImageScale.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace nuvix {

std::optional<float> CorrectionGain(double pixelSize, double focalLength, double speed)
{
    // A negative focal length or pixel size turns the scale, and with it every correction, round.
    if (!(focalLength > 0.0) || !(pixelSize > 0.0) || !(speed > 0.0) || !std::isfinite(speed)) return std::nullopt;
    const std::optional<float> scale = ArcsecPerPixel(pixelSize, focalLength);
    if (!scale) return std::nullopt;
    const float gain = static_cast<float>(*scale / speed * kLongestPulseCode);
    if (!(gain > 0.0f) || !std::isfinite(gain)) return std::nullopt;
    return gain;
}

AxisCorrection CorrectionFor(int32_t error, std::optional<float> gain)
{
    if (!gain) return {0, false, false};
    // Compared before the conversion: a huge gain must not overflow the integer.
    const float length = static_cast<float>(std::abs(int64_t{error})) * *gain;
    if (length >= static_cast<float>(kLongestPulseCode)) return {kLongestPulseCode, true, true};
    return {static_cast<int>(length), false, true};
}

uint8_t CommandByte(Axis axis, int pulseCode, int32_t error)
{
    const int axisBit = axis == Axis::Dec ? 2 : 0;
    const int direction = error >= 0 ? 1 : 0;
    return static_cast<uint8_t>(pulseCode * 4 + axisBit + direction);
}

uint8_t ClosingByte(Axis axis, int32_t error)
{
    const int axisBit = axis == Axis::Dec ? 2 : 0;
    const int direction = error >= 0 ? 0 : 1;
    return static_cast<uint8_t>(axisBit + direction);
}

std::string PerCentText(const AxisCorrection& correction)
{
    if (!correction.usable) return "--%";
    // 63 units would read 100: the panel's field shows at most two digits.
    const int perCent = std::min(correction.pulseCode * 100 / kLongestPulseCode, 99);
    return std::to_string(perCent) + "%";
}

GuidePulse PulseFor(Axis axis, const AxisCorrection& correction, int32_t error)
{
    GuidePulse pulse;
    if (axis == Axis::Ra) {
        pulse.direction = error >= 0 ? GuideDirection::East : GuideDirection::West;
    } else {
        pulse.direction = error >= 0 ? GuideDirection::North : GuideDirection::South;
    }
    pulse.ms = (correction.pulseCode * 1000 + kLongestPulseCode / 2) / kLongestPulseCode;
    return pulse;
}

char DirectionLetter(GuideDirection direction)
{
    switch (direction) {
    case GuideDirection::North:
        return 'N';
    case GuideDirection::South:
        return 'S';
    case GuideDirection::East:
        return 'E';
    case GuideDirection::West:
        return 'W';
    }
    return '?';
}

}  // namespace nuvix
