#pragma once

#include "guiding/Corrections.h"

#include <optional>
#include <string>

namespace nuvix {

// One guided frame's corrections as timed pulses, AD then DEC.
struct FramePulses {
    GuidePulse ra;
    GuidePulse dec;
};

// Which side of its pier a German equatorial mount stands on. A flip across the meridian turns
// the telescope, and the camera with it, half round against the sky.
enum class PierSide { Unknown, East, West };
// "East", "West" or "Unknown", as the guide log writes it.
const char* PierSideName(PierSide side);

// Whether there is a mount to guide.
enum class MountLink { Starting, Ready, NoMount, ServerGone };

// Where the mount reports it points.
struct MountPointing {
    double raHours = 0.0;
    double decDegrees = 0.0;
    std::optional<double> hourAngleHours;  // when the mount's longitude and the time give it
};

// What the mount last told about itself. Its name and pointing stay while it is away.
struct MountReport {
    std::string name;  // the mount chosen; empty until there is one
    MountLink link = MountLink::Starting;
    bool parked = false;
    bool tracking = true;
    bool slewing = false;
    PierSide pierSide = PierSide::Unknown;
    std::optional<MountPointing> pointing;
    std::optional<double> raGuideRate;  // arc seconds per second, when the mount tells
    std::optional<double> decGuideRate;

    bool Ready() const { return link == MountLink::Ready; }
    // Pulses move the star only while the mount is there and follows the sky.
    bool CanFollow() const { return Ready() && !parked && tracking && !slewing; }
};

// A change in the mount's state, told once.
struct MountNotice {
    enum class Kind {
        Info,     // good news, or news: the window's status and the log
        Halt,     // the mount stopped following the sky (parked, tracking off): a box while guiding
        Failure,  // the observer must act: a box
    };
    Kind kind = Kind::Info;
    std::string log;   // plain English, for the guide log's INFO line and stderr
    std::string text;  // French, for the box
};

// A mount that takes timed guide pulses, reached by other means than the serial line (a network
// client, for instance). Every call comes from the window thread and returns at once: the mount
// does its waiting elsewhere.
class GuidePulseSink {
public:
    virtual ~GuidePulseSink() = default;

    // A frame's pulses; a pulse of 0 ms asks for nothing on its axis. Returns what goes out: a
    // pulse the mount cannot carry now (away, parked, not tracking) is dropped and returned as 0 ms.
    virtual FramePulses Send(const FramePulses& pulses) = 0;
    // The next change of state since the last call.
    virtual std::optional<MountNotice> TakeNotice() = 0;
    virtual MountReport Report() const = 0;
};

}  // namespace nuvix
