#pragma once

#include "guiding/GuidePulseSink.h"

#include <optional>
#include <span>
#include <string>

namespace nuvix {

// How one axis of the mount moves the star on the picture: the direction of the motion (degrees,
// atan2(dy, dx) with y downward) and its speed.
struct AxisCalibration {
    double angleDegrees = 0.0;
    double ratePxPerMs = 0.0;
};

// What a calibration measured, and where: AD from west pulses, DEC from north pulses, at the
// mount's declination and pier side of the time, at the image scale of the time.
struct Calibration {
    std::string mount;
    AxisCalibration ra;
    AxisCalibration dec;
    std::optional<double> decDegrees;
    PierSide pierSide = PierSide::Unknown;
    double arcsecPerPixel = 0.0;
};

// Whether a stored calibration serves this mount at this image scale: the same mount, a scale
// within 2 %, axes that move.
bool ServesMount(const Calibration& calibration, const std::string& mount, double arcsecPerPixel);

// The axes in force now. After a pier-side change the camera has turned half round with the
// telescope, so both directions turn; most mounts also reverse their declination then, which
// turns DEC back (`decFlipsWithPier` false: a mount whose DEC keeps its sense). AD's rate follows
// cos(declination) from the calibration's declination to the mount's.
struct GuideAxes {
    double raX = 1.0, raY = 0.0;    // unit direction of a west pulse's motion
    double decX = 0.0, decY = 1.0;  // unit direction of a north pulse's motion
    double raRatePxPerMs = 0.0;
    double decRatePxPerMs = 0.0;
};
GuideAxes AxesNow(const Calibration& calibration, const MountReport& now, bool decFlipsWithPier);

// The star's offset from its reference (star minus reference, pixels) split along the axes:
// how far a west and a north pulse have pushed it, whatever the angle between the axes.
struct AxisErrors {
    double west = 0.0;
    double north = 0.0;
};
AxisErrors SplitAlongAxes(const GuideAxes& axes, double dx, double dy);

// The pulses that bring the star back, each at most `longestMs` long.
FramePulses PulsesBack(const GuideAxes& axes, const AxisErrors& errors, int longestMs);

// A straight line fitted to the star's positions along a leg against the pulse time spent, by
// least squares: the direction and speed of the motion.
struct LegPoint {
    double pulseMs = 0.0;  // pulse time spent on the leg before this position
    double x = 0.0;
    double y = 0.0;
};
std::optional<AxisCalibration> FitAxis(std::span<const LegPoint> points);

// The angle between the two axes, 0 to 180 degrees: 90 for a model whose axes are perpendicular.
double AngleBetweenAxes(const Calibration& calibration);

}  // namespace nuvix
