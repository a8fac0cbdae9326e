#pragma once

#include "sim/SimCamera.h"
#include "sim/SimMount.h"
#include "sim/Sky.h"

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
    // The camera turned and mirrored against the sky (Sky::SetCameraTurn).
    double cameraAngleDegrees = 0.0;
    bool cameraMirrored = false;
};

struct SimFaultParse {
    std::optional<SimFaultPlan> plan;  // null when the text is wrong
    std::string error;                 // why, for the usage message
};

// Reads "unplug-after=10s,replug-after=20s,dec-stuck-after=2min,camera-angle=35,camera-mirror":
// keys unplug-after, replug-after, ra-stuck-after and dec-stuck-after with a whole number of ms,
// s or min; camera-angle with degrees (-360 to 360, decimals allowed); camera-mirror alone. Each
// at most once. An empty text plans nothing.
SimFaultParse ParseSimFaults(std::string_view text);

void ApplySimFaults(const SimFaultPlan& plan, SimCamera& camera, SimMount& mount, Sky& sky);

}  // namespace nuvix::sim
