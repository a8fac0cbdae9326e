#pragma once

#include "guiding/GuidePulseSink.h"
#include "platform/indi/LinkRole.h"
#include "platform/indi/MountLink.h"

#include <deque>
#include <optional>
#include <string>

namespace nuvix::indi {

struct LinkShared;

// A mount on an INDI server, guided with timed pulses: the device named, or the first that offers
// timed guide pulses. Its link connects that device when it is not, and sends each frame's pulses
// as soon as they come. The window thread only leaves pulses and collects notices: none of its
// calls waits on the network. Pulses that come while there is no mount ready are dropped.
class IndiMount final : public GuidePulseSink, public LinkRole {
public:
    // `server` names the server in the notices.
    IndiMount(LinkShared& shared, std::string device, std::string server);

    void Send(const FramePulses& pulses) override;
    std::optional<SinkNotice> TakeNotice() override;
    std::string MountName() const override;
    std::optional<MountPointing> Pointing() const override;

    // The mount's latest reported coordinates; empty until it has reported any.
    std::optional<EquatorialPoint> Coordinates() const;
    // How many pulses went out to the server.
    int PulsesSent() const;

    void Opened(LinkTime now) override;
    Sending Plan(LinkTime now) override;
    void ServerGone() override;

private:
    void Enter(LinkState state);

    LinkShared& shared_;
    const std::string wanted_;
    const std::string server_;
    // Under the shared mutex.
    LinkState state_ = LinkState::Starting;
    std::optional<FramePulses> pending_;
    std::deque<SinkNotice> notices_;
    int pulsesSent_ = 0;
    std::string askedToConnect_;
    LinkTime grace_;
};

}  // namespace nuvix::indi
