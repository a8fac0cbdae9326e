#pragma once

#include "guiding/GuidePulseSink.h"
#include "platform/indi/LinkRole.h"
#include "platform/indi/MountLink.h"
#include "platform/indi/MountNotices.h"

#include <deque>
#include <optional>
#include <string>

namespace nuvix::indi {

struct LinkShared;

// A mount on an INDI server, guided with timed pulses: the device named, or else the first
// telescope that takes timed guide pulses, chosen once and kept by name across reconnections. Its
// link connects that device when it is not, reads its park, tracking, pier side and coordinates,
// and sends each frame's pulses as soon as they come, only while the mount follows the sky. The
// window thread only leaves pulses, reads the report and collects notices: none of its calls
// waits on the network. Every notice is also written on stderr.
class IndiMount final : public GuidePulseSink, public LinkRole {
public:
    // `server` names the server in the notices.
    IndiMount(LinkShared& shared, std::string device, std::string server);

    FramePulses Send(const FramePulses& pulses) override;
    std::optional<MountNotice> TakeNotice() override;
    MountReport Report() const override;

    // How many pulses went out to the server.
    int PulsesSent() const;

    void Opened(LinkTime now) override;
    Sending Plan(LinkTime now) override;
    void ServerGone(ServerProblem problem) override;

private:
    void Tell(MountNotice notice);
    void Enter(const MountCondition& condition);
    void Note(const DeviceFacts& mount);

    LinkShared& shared_;
    const std::string wanted_;
    const std::string server_;
    // Under the shared mutex.
    MountCondition condition_;
    MountReport report_;
    std::optional<double> longitude_;
    std::optional<FramePulses> pending_;
    std::deque<MountNotice> notices_;
    int pulsesSent_ = 0;
    std::string askedToConnect_;
    LinkTime grace_;
};

}  // namespace nuvix::indi
