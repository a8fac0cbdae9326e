#pragma once

#include "sim/PointingSource.h"

#include <cstdint>
#include <optional>

namespace nuvix::sim {

// A mount's pointing with an axis that stops moving from a time on, as a jammed motor would: the
// fault of SimMount::JamAxis for a mount that reports its pointing (an INDI mount in the
// simulator). AD moves the sky along x and DEC along y before the camera's turn. Times are the
// camera's clock, which only moves forward.
class StuckPointing final : public PointingSource {
public:
    StuckPointing(const PointingSource& mount, std::optional<int64_t> raFromMs, std::optional<int64_t> decFromMs)
        : mount_(mount), raFromNs_(ToNs(raFromMs)), decFromNs_(ToNs(decFromMs))
    {
    }

    SkyPoint CorrectionAt(int64_t timeNs) const override
    {
        SkyPoint moved = mount_.CorrectionAt(timeNs);
        Hold(moved.x, raHeld_, raFromNs_, timeNs);
        Hold(moved.y, decHeld_, decFromNs_, timeNs);
        return moved;
    }

private:
    static std::optional<int64_t> ToNs(std::optional<int64_t> ms)
    {
        return ms ? std::optional<int64_t>(*ms * 1'000'000) : std::nullopt;
    }
    static void Hold(double& value, std::optional<double>& held, std::optional<int64_t> fromNs, int64_t timeNs)
    {
        if (!fromNs || timeNs < *fromNs) return;
        if (!held) held = value;
        value = *held;
    }

    const PointingSource& mount_;
    std::optional<int64_t> raFromNs_;
    std::optional<int64_t> decFromNs_;
    mutable std::optional<double> raHeld_;
    mutable std::optional<double> decHeld_;
};

}  // namespace nuvix::sim
