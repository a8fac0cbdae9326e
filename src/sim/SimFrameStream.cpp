#include "sim/SimFrameStream.h"

#include <cstddef>

namespace nuvix::sim {

void SimFrameStream::Begin(int stopBeforeHalf)
{
    stage_ = Stage::AwaitClaim;
    half_ = 0;
    stopBeforeHalf_ = stopBeforeHalf;
}

SimFrameStream::Event SimFrameStream::OnControl(uint8_t value)
{
    // The turnaround: the host lowers SELECT IN (0x26) and the camera claims the lines,
    // raises it (0x2E) and the camera lets go of the handshake, lowers it again and the
    // first half follows. The handshake line itself follows SELECT IN (the camera's rule).
    switch (stage_) {
    case Stage::Off:
        return Event::None;
    case Stage::AwaitClaim:
        if (value == lines::kTransferLow) stage_ = Stage::Claimed;
        return Event::None;
    case Stage::Claimed:
        if (value == lines::kTransferHigh) stage_ = Stage::Released;
        return Event::None;
    case Stage::Released:
        return value == lines::kTransferLow ? Present(0) : Event::None;
    case Stage::Streaming: {
        const uint8_t handBack = half_ % 2 == 0 ? lines::kTransferHigh : lines::kTransferLow;
        if (value != handBack) return Event::None;
        if (half_ + 1 == kHalvesPerFrame) {
            stage_ = Stage::Off;
            return Event::Completed;
        }
        return Present(half_ + 1);
    }
    }
    return Event::None;
}

SimFrameStream::Event SimFrameStream::Present(int half)
{
    if (half == stopBeforeHalf_) return Event::Stopped;
    stage_ = Stage::Streaming;
    half_ = half;
    const std::size_t k = static_cast<std::size_t>(half) * 2;
    lines_ = EncodeHalf(pixels_[k], pixels_[k + 1], half % 2 == 0);
    return Event::None;
}

}  // namespace nuvix::sim
