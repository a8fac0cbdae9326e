#pragma once

#include "camera/CameraImage.h"
#include "camera/FrameSource.h"
#include "platform/indi/LinkRole.h"
#include "platform/text/Translate.h"

#include <cstdint>
#include <optional>
#include <string>

namespace nuvix::indi {

struct LinkShared;
struct DeviceFacts;

// A camera on an INDI server as the acquisition step's frame source. The link connects the
// device when it is not, has it send FITS pictures binned and framed to the frame's geometry as
// far as it can (RegionFor), and asks for each exposure. Each step of the window thread leaves
// the exposure the panel shows and takes the newest picture that has arrived, mapped with the
// settings of that step; it never waits. A step that finds no new picture is NotYet, and the
// picture shown stays; the camera is Lost while the server or the device is away, or when a
// picture is overdue by more than kPictureGrace past its exposure.
class IndiCamera final : public FrameSource, public LinkRole {
public:
    static constexpr auto kPictureGrace = std::chrono::seconds(5);

    // `server` names the server in the first tick's message.
    IndiCamera(LinkShared& shared, std::string device, std::string server);

    bool Detect() override { return true; }
    CameraGreeting Greeting() const override
    {
        return {TrFill("Caméra INDI : %s", {device_}), TrFill("INDI sur %s", {server_})};
    }
    std::string Name() const override { return device_; }
    const CameraPicture* LatestPicture() const override { return picture_.frame.empty() ? nullptr : &picture_; }
    bool UploadSettings(const CameraSettings& settings) override;
    FrameArrival ReadFrame(float exposureMs, FrameBytes& target) override;
    const LinearFrame* LinearPicture() const override { return picture_.frame.empty() ? nullptr : &picture_.frame; }
    void PulseReset() override {}
    // Its steps never wait, so the next step is itself the check.
    bool AnswersAgain() override { return true; }

    void Opened(LinkTime now) override;
    Sending Plan(LinkTime now) override;
    void ServerGone(ServerProblem problem) override;

private:
    enum class State { Starting, Ready, Away };
    // What the camera needs (connection, format, binning and region), each sent once per connection.
    Sending Prepare(const DeviceFacts& device);
    void Enter(State state);

    LinkShared& shared_;
    const std::string device_;
    const std::string server_;

    // The window thread's own.
    CameraSettings settings_;
    CameraPicture picture_;
    uint64_t taken_ = 0;
    uint64_t readinessSeen_ = 0;
    std::optional<LinkTime> waitingSince_;

    // Under the shared mutex.
    State state_ = State::Starting;
    uint64_t readiness_ = 0;  // how many times the camera became ready
    std::optional<float> wantedMs_;
    bool exposing_ = false;
    LinkTime overdue_;
    uint64_t picturesBefore_ = 0;
    uint64_t unreadableBefore_ = 0;
    int failuresBefore_ = 0;
    bool picturesAsked_ = false;
    bool connectAsked_ = false;
    bool prepared_ = false;
    bool framed_ = false;
    LinkTime grace_;
};

}  // namespace nuvix::indi
