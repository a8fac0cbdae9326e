#include "server/Settle.h"

#include <cstdio>

namespace nuvix::server {

namespace {

double SecondsBetween(uint32_t fromMs, uint32_t toMs)
{
    // The program's clock wraps: differences are taken modulo 2^32.
    return static_cast<uint32_t>(toMs - fromMs) / 1000.0;
}

}  // namespace

void SettleTracker::Begin(const SettleParams& params, uint32_t nowMs)
{
    params_ = params;
    active_ = true;
    beganMs_ = nowMs;
    inRangeSinceMs_.reset();
    totalFrames_ = 0;
    droppedFrames_ = 0;
}

SettleTracker::Progress SettleTracker::Frame(std::optional<double> distance, uint32_t nowMs,
                                             std::optional<SettleDoneEvent>& done)
{
    done.reset();
    Progress progress;
    if (!active_) return progress;
    ++totalFrames_;
    progress.starLocked = distance.has_value();
    progress.distance = distance.value_or(0.0);
    if (!distance) ++droppedFrames_;
    if (distance && *distance <= params_.pixels) {
        if (!inRangeSinceMs_) inRangeSinceMs_ = nowMs;
        progress.time = SecondsBetween(*inRangeSinceMs_, nowMs);
    } else {
        inRangeSinceMs_.reset();
    }
    if (inRangeSinceMs_ && progress.time >= params_.time) {
        done = Finish(0, "");
    } else {
        done = Tick(nowMs);
    }
    return progress;
}

std::optional<SettleDoneEvent> SettleTracker::Tick(uint32_t nowMs)
{
    if (!active_ || SecondsBetween(beganMs_, nowMs) < params_.timeout) return std::nullopt;
    char text[96];
    std::snprintf(text, sizeof text, "guiding did not settle within %g s", params_.timeout);
    return Finish(1, text);
}

std::optional<SettleDoneEvent> SettleTracker::Cancel(const std::string& reason)
{
    if (!active_) return std::nullopt;
    return Finish(1, reason);
}

SettleDoneEvent SettleTracker::Finish(int status, std::string error)
{
    active_ = false;
    return {status, std::move(error), totalFrames_, droppedFrames_};
}

}  // namespace nuvix::server
