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

// Where a mount reports it points, in coordinates of date.
struct MountPointing {
    double raHours = 0.0;
    double decDegrees = 0.0;
};

// Something the user must be told, once, in a message box.
struct SinkNotice {
    std::string text;
    std::string caption;
};

// A further destination for the corrections: a mount that takes timed guide pulses, reached by
// other means than the serial line (a network client, for instance). Every call comes from the
// window thread and returns at once: the sink does its waiting elsewhere.
class GuidePulseSink {
public:
    virtual ~GuidePulseSink() = default;

    // Each guided frame's corrections; a pulse of 0 ms asks for nothing on its axis. Pulses the
    // sink cannot deliver now are dropped, not kept for later.
    virtual void Send(const FramePulses& pulses) = 0;
    // What changed in the sink's state since the last call that the user must hear about.
    virtual std::optional<SinkNotice> TakeNotice() = 0;
    // The mount's name for the guide log, empty while there is none.
    virtual std::string MountName() const = 0;
    // Where the mount reports it points; empty while it has not, or cannot tell.
    virtual std::optional<MountPointing> Pointing() const { return std::nullopt; }
};

}  // namespace nuvix
