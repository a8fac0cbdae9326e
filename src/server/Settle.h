#pragma once

#include "server/Events.h"
#include "server/GuiderCommands.h"

#include <cstdint>
#include <optional>

namespace nuvix::server {

// Whether guiding has settled after a `guide` or a `dither`, measured on the guided frames: the
// star within `pixels` of the reference for `time` seconds in a row, before `timeout` seconds
// have passed since the request. A frame whose star was lost breaks the run and counts as dropped.
class SettleTracker {
public:
    struct Progress {
        double distance = 0.0;
        double time = 0.0;  // seconds in range so far
        bool starLocked = true;
    };

    void Begin(const SettleParams& params, uint32_t nowMs);
    bool Active() const { return active_; }
    const SettleParams& Params() const { return params_; }

    // One guided frame: its distance from the reference, or none when the star was lost. The
    // progress to tell; `done` is set when this frame settled it or it timed out.
    Progress Frame(std::optional<double> distance, uint32_t nowMs, std::optional<SettleDoneEvent>& done);
    // Between frames: the timeout, reached even while no frame comes.
    std::optional<SettleDoneEvent> Tick(uint32_t nowMs);
    // Settling ends without success (guiding stopped): the reason goes to the client.
    std::optional<SettleDoneEvent> Cancel(const std::string& reason);

private:
    SettleDoneEvent Finish(int status, std::string error);

    SettleParams params_;
    bool active_ = false;
    uint32_t beganMs_ = 0;
    std::optional<uint32_t> inRangeSinceMs_;
    int totalFrames_ = 0;
    int droppedFrames_ = 0;
};

}  // namespace nuvix::server
