#pragma once

#include "sim/SimPixelEncoder.h"
#include "sim/SkyModel.h"

#include <cstdint>

namespace nuvix::sim {

// The camera's side of one frame transfer: the turnaround on the handshake line, then
// 38,400 halves, each presented until the host hands it back with its control write.
class SimFrameStream {
public:
    static constexpr int kHalvesPerFrame = kSensorWidth * kSensorHeight / 2;

    enum class Event { None, Completed, Stopped };

    // The frame in send order; the camera fills it before Begin.
    SensorImage& SendOrder() { return pixels_; }

    // Starts the turnaround. With stopBeforeHalf >= 0 the stream stops (Event::Stopped)
    // instead of presenting that half.
    void Begin(int stopBeforeHalf);
    void Abort() { stage_ = Stage::Off; }

    bool Active() const { return stage_ != Stage::Off; }
    bool Streaming() const { return stage_ == Stage::Streaming; }
    // The picture is taken and the host has not turned the port round yet.
    bool AwaitingClaim() const { return stage_ == Stage::AwaitClaim; }

    // A control write while the stream is active.
    Event OnControl(uint8_t value);

    // The lines of the half being presented (meaningful while Streaming).
    uint8_t Data() const { return lines_.data; }
    uint8_t Status() const { return lines_.status; }

private:
    enum class Stage { Off, AwaitClaim, Claimed, Released, Streaming };

    Event Present(int half);

    SensorImage pixels_{};
    Stage stage_ = Stage::Off;
    int half_ = 0;
    int stopBeforeHalf_ = -1;
    HalfLines lines_{};
};

}  // namespace nuvix::sim
