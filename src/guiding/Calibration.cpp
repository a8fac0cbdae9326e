#include "guiding/Calibration.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace nuvix {

namespace {

constexpr double kScaleTolerance = 0.02;
// Near the pole the cosine gives way: AD's rate is never scaled by more than a tenth.
constexpr double kSmallestCosine = 0.1;
// Axes closer to parallel than this cannot be told apart.
constexpr double kSmallestDeterminant = 0.05;

double Radians(double degrees)
{
    return degrees * std::numbers::pi / 180.0;
}

double Cosine(std::optional<double> decDegrees)
{
    return decDegrees ? std::max(std::cos(Radians(*decDegrees)), kSmallestCosine) : 1.0;
}

GuidePulse Pulse(double pixels, double ratePxPerMs, GuideDirection ifPositive, GuideDirection ifNegative, int longestMs)
{
    if (!(ratePxPerMs > 0.0) || !std::isfinite(pixels)) return {ifPositive, 0};
    const double ms = std::min(std::abs(pixels) / ratePxPerMs, static_cast<double>(longestMs));
    return {pixels >= 0.0 ? ifPositive : ifNegative, static_cast<int>(std::lround(ms))};
}

}  // namespace

bool ServesMount(const Calibration& calibration, const std::string& mount, double arcsecPerPixel)
{
    const double scale = calibration.arcsecPerPixel;
    return calibration.mount == mount && scale > 0.0 && std::abs(arcsecPerPixel - scale) <= kScaleTolerance * scale &&
           calibration.ra.ratePxPerMs > 0.0 && calibration.dec.ratePxPerMs > 0.0;
}

GuideAxes AxesNow(const Calibration& calibration, const MountReport& now, bool decFlipsWithPier)
{
    GuideAxes axes;
    const double ra = Radians(calibration.ra.angleDegrees);
    const double dec = Radians(calibration.dec.angleDegrees);
    axes.raX = std::cos(ra);
    axes.raY = std::sin(ra);
    axes.decX = std::cos(dec);
    axes.decY = std::sin(dec);
    const bool flipped = calibration.pierSide != PierSide::Unknown && now.pierSide != PierSide::Unknown &&
                         now.pierSide != calibration.pierSide;
    if (flipped) {
        axes.raX = -axes.raX;
        axes.raY = -axes.raY;
        if (!decFlipsWithPier) {
            axes.decX = -axes.decX;
            axes.decY = -axes.decY;
        }
    }
    const std::optional<double> decNow = now.pointing ? std::optional(now.pointing->decDegrees) : std::nullopt;
    const double scale = decNow && calibration.decDegrees ? Cosine(decNow) / Cosine(calibration.decDegrees) : 1.0;
    axes.raRatePxPerMs = calibration.ra.ratePxPerMs * scale;
    axes.decRatePxPerMs = calibration.dec.ratePxPerMs;
    return axes;
}

AxisErrors SplitAlongAxes(const GuideAxes& axes, double dx, double dy)
{
    // dx, dy = west x ra + north x dec, solved for west and north.
    const double determinant = axes.raX * axes.decY - axes.raY * axes.decX;
    if (std::abs(determinant) < kSmallestDeterminant) return {};
    return {(dx * axes.decY - dy * axes.decX) / determinant, (axes.raX * dy - axes.raY * dx) / determinant};
}

FramePulses PulsesBack(const GuideAxes& axes, const AxisErrors& errors, int longestMs)
{
    // Pushed west, the star comes back with an east pulse; pushed north, with a south one.
    return {Pulse(errors.west, axes.raRatePxPerMs, GuideDirection::East, GuideDirection::West, longestMs),
            Pulse(errors.north, axes.decRatePxPerMs, GuideDirection::South, GuideDirection::North, longestMs)};
}

std::optional<AxisCalibration> FitAxis(std::span<const LegPoint> points)
{
    if (points.size() < 2) return std::nullopt;
    double t = 0.0, x = 0.0, y = 0.0;
    for (const LegPoint& p : points) {
        t += p.pulseMs;
        x += p.x;
        y += p.y;
    }
    const double n = static_cast<double>(points.size());
    t /= n;
    x /= n;
    y /= n;
    double tt = 0.0, tx = 0.0, ty = 0.0;
    for (const LegPoint& p : points) {
        tt += (p.pulseMs - t) * (p.pulseMs - t);
        tx += (p.pulseMs - t) * (p.x - x);
        ty += (p.pulseMs - t) * (p.y - y);
    }
    if (!(tt > 0.0)) return std::nullopt;
    const double vx = tx / tt;
    const double vy = ty / tt;
    const double rate = std::hypot(vx, vy);
    if (!(rate > 0.0) || !std::isfinite(rate)) return std::nullopt;
    return AxisCalibration{std::atan2(vy, vx) * 180.0 / std::numbers::pi, rate};
}

double AngleBetweenAxes(const Calibration& calibration)
{
    return std::abs(std::remainder(calibration.dec.angleDegrees - calibration.ra.angleDegrees, 360.0));
}

}  // namespace nuvix
