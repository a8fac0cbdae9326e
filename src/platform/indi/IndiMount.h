#pragma once

#include "guiding/GuidePulseSink.h"
#include "platform/indi/IndiAddress.h"
#include "platform/indi/MountLink.h"

#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace nuvix::indi {

struct LinkShared;
class IndiConnection;

// A mount on an INDI server, guided with timed pulses. Its own thread connects to the server,
// picks the mount (the device named, or the first that offers timed guide pulses), connects that
// device when it is not, sends each frame's pulses as soon as they come, and when the server goes
// away tries again every second. The window thread only leaves pulses and collects notices: none
// of its calls waits on the network. Pulses that come while there is no mount ready are dropped.
class IndiMount final : public GuidePulseSink {
public:
    IndiMount(ServerAddress server, std::string device);
    ~IndiMount() override;
    IndiMount(const IndiMount&) = delete;
    IndiMount& operator=(const IndiMount&) = delete;

    void Send(const FramePulses& pulses) override;
    std::optional<SinkNotice> TakeNotice() override;
    std::string MountName() const override;

    // The mount's latest reported coordinates; empty until it has reported any.
    std::optional<EquatorialPoint> Coordinates() const;
    // How many pulses went out to the server.
    int PulsesSent() const;

private:
    void Run();
    void Serve(IndiConnection& connection, std::unique_lock<std::mutex>& lock);
    void Enter(LinkState state);

    const ServerAddress server_;
    const std::string wanted_;
    std::unique_ptr<LinkShared> shared_;
    // Under the shared mutex.
    bool stopping_ = false;
    LinkState state_ = LinkState::Starting;
    std::optional<FramePulses> pending_;
    std::deque<SinkNotice> notices_;
    int pulsesSent_ = 0;
    std::thread thread_;  // last: starts once everything above exists
};

}  // namespace nuvix::indi
