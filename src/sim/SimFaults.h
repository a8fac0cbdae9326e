#pragma once

#include "sim/SimCamera.h"
#include "sim/SimMount.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace nuvix::sim {

// Faults the simulator plays when told from outside, for demonstrations and tests of the
// whole program. Every time counts from the program's start, in milliseconds.
struct SimFaultPlan {
    std::optional<int64_t> unplugAtMs;    // the camera is unplugged in the middle of a frame
    std::optional<int64_t> replugAtMs;    // and powered again (only after an unplug)
    std::optional<int64_t> raJammedAtMs;  // from then the mount's AD axis does not move
    std::optional<int64_t> decJammedAtMs;
};

struct SimFaultParse {
    std::optional<SimFaultPlan> plan;  // null when the text is wrong
    std::string error;                 // why, for the usage message
};

// Reads "unplug-after=10s,replug-after=20s,dec-stuck-after=2min": keys unplug-after,
// replug-after, ra-stuck-after and dec-stuck-after, each at most once, each with a whole number
// of ms, s or min. An empty text plans nothing.
SimFaultParse ParseSimFaults(std::string_view text);

void ApplySimFaults(const SimFaultPlan& plan, SimCamera& camera, SimMount& mount);

}  // namespace nuvix::sim
