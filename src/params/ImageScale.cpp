#include "params/ImageScale.h"

#include <cmath>
#include <numbers>

namespace nuvix {

std::optional<float> ArcsecPerPixel(double pixelSize, double focalLength)
{
    if (!std::isfinite(pixelSize) || !std::isfinite(focalLength) || focalLength == 0.0) return std::nullopt;
    // atan keeps the result within ±648,000 arc seconds, however small the focal length.
    const double halfAngle = std::atan(pixelSize * 0.5 * 0.0001 / focalLength);
    return static_cast<float>(2.0 * halfAngle * (1.0 / std::numbers::pi) * 180.0 * 3600.0);
}

float ArcsecPerPixelAtLoad(const tparam& record)
{
    if (const auto scale = ArcsecPerPixel(record.pixelSize, record.focalLength)) return *scale;
    const tparam defaults;
    return ArcsecPerPixel(defaults.pixelSize, defaults.focalLength).value_or(1.0f);
}

}  // namespace nuvix
