#pragma once

#include "guiding/GuideStepNumbers.h"

#include <cstdint>

namespace nuvix {

// Told of every frame the correction output handles, on the window thread: the guided ones with
// the very record and session the guide log writes them from, so that what a listener reports
// and the log's lines never disagree.
class GuidedFrameListener {
public:
    virtual ~GuidedFrameListener() = default;
    // A frame guided (guiding on and not suspended), right after its corrections went out.
    virtual void GuidedFrame(const GuideLogFrame& frame, const GuideLogSession& session, int32_t nowMs) = 0;
    // A frame shown with guiding off or suspended.
    virtual void UnguidedFrame() = 0;
};

}  // namespace nuvix
