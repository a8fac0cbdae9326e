#pragma once

namespace nuvix {

// Told of every frame the correction output shows with guiding off or suspended, on the window
// thread. (The guided frames are told through the guiding events, with the guide log's numbers.)
class GuidedFrameListener {
public:
    virtual ~GuidedFrameListener() = default;
    virtual void UnguidedFrame() = 0;
};

}  // namespace nuvix
