#pragma once

#include "guiding/GuidePulseSink.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace nuvix {

// What the guiding does, told as it happens to whoever listens: the guide log, and any other
// observer (a guiding server) that subscribes to the image window's GuidingEvents. Every event
// is published on the window thread, in order; an observer must return at once and must not
// publish from its handler. The numbers are those of a guide-log line, in picture pixels
// (x to the right, y downward) and milliseconds.

// The guiding's set-up, written at the top of a calibration or a guiding section.
struct GuidingSetup {
    std::string mount;   // "INDI Telescope Simulator", or the system's protocol name
    std::string camera;  // the frame source's name
    float exposureMs = 0.0f;
    float arcsecPerPixel = 0.0f;
    double focalLengthMm = 0.0;
    double raSpeed = 0.0;  // the observer's correction speeds, arc seconds per second
    double decSpeed = 0.0;
    std::optional<MountPointing> pointing;
    PierSide pierSide = PierSide::Unknown;
    double lockX = 0.0;  // the guide reference
    double lockY = 0.0;
};

enum class CalibrationLeg { West, East, Backlash, North, South };
// "West", "East", "Backlash", "North", "South".
const char* LegName(CalibrationLeg leg);

struct CalibrationBegun {
    GuidingSetup setup;
    int stepMs = 0;
    double distancePx = 0.0;  // how far each axis moves the star
};
// One step of a leg: where the star stood after it, and how far from the leg's start.
struct CalibrationStep {
    CalibrationLeg leg = CalibrationLeg::West;
    int step = 0;
    double dx = 0.0, dy = 0.0;
    double x = 0.0, y = 0.0;
    double distance = 0.0;
};
// An axis measured: the West leg for AD, the North leg for DEC.
struct CalibrationAxisDone {
    CalibrationLeg leg = CalibrationLeg::West;
    double angleDegrees = 0.0;  // direction the star moved, atan2(dy, dx)
    double ratePxPerSecond = 0.0;
};
struct CalibrationEnded {
    bool succeeded = false;
    std::string mount;
    std::string reason;  // plain English, when it failed
};

// A guiding section opens; `xAngle`/`yAngle` are the calibration's, when it has one.
struct GuidingBegun {
    GuidingSetup setup;
    std::optional<double> xAngleDegrees, yAngleDegrees;
    double xRatePxPerSecond = 0.0, yRatePxPerSecond = 0.0;
    bool invertRa = false, invertDec = false;
    // The guide algorithm's lines (GuideAlgorithmLogLines); empty for the system's own outputs.
    std::vector<std::string> algorithmLines;
};
// One guided frame.
struct GuideStep {
    double dx = 0.0, dy = 0.0;  // the star minus the reference
    // The error on each axis, positive where the correction goes west and south.
    double raDistance = 0.0, decDistance = 0.0;
    // The pixels the pulses sent cover, with the sign of the distance.
    double raGuideDistance = 0.0, decGuideDistance = 0.0;
    FramePulses pulses;  // what went out: 0 ms for a pulse not sent
    int32_t starMass = 0;
    double snr = 0.0;
    int32_t population = 0;  // the system's count of star pixels, for a DROP line
    bool lost = false;       // no usable star: a DROP line
    bool swamped = false;    // too big a star: a DROP line
};
struct GuidingEnded {};
// A change of state worth a line of its own ("INFO: ...").
struct GuidingNote {
    std::string text;  // plain English
};

using GuidingEvent = std::variant<CalibrationBegun, CalibrationStep, CalibrationAxisDone, CalibrationEnded,
                                  GuidingBegun, GuideStep, GuidingEnded, GuidingNote>;

class GuidingObserver {
public:
    virtual ~GuidingObserver() = default;
    virtual void Hear(const GuidingEvent& event) = 0;
};

// The fan-out: every published event reaches every subscribed observer, in subscription order.
class GuidingEvents {
public:
    void Subscribe(GuidingObserver& observer) { observers_.push_back(&observer); }
    void Unsubscribe(GuidingObserver& observer) { std::erase(observers_, &observer); }
    void Publish(const GuidingEvent& event) const
    {
        for (GuidingObserver* observer : observers_)
            observer->Hear(event);
    }

private:
    std::vector<GuidingObserver*> observers_;
};

}  // namespace nuvix
