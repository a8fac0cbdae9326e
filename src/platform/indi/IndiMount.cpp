#include "platform/indi/IndiMount.h"

#include "platform/indi/IndiConnection.h"

namespace nuvix::indi {

namespace {
// A server has announced its devices well within this; after it, a missing mount is told.
constexpr auto kMountGrace = std::chrono::seconds(5);
}  // namespace

IndiMount::IndiMount(LinkShared& shared, std::string device, std::string server)
    : shared_(shared), wanted_(std::move(device)), server_(std::move(server))
{
}

void IndiMount::Send(const FramePulses& pulses)
{
    const std::lock_guard lock(shared_.mutex);
    if (state_ != LinkState::Ready) return;
    // A newer frame replaces one not sent yet: the mount works from the latest error.
    pending_ = pulses;
    shared_.changed = true;
    shared_.wake.notify_all();
}

std::optional<SinkNotice> IndiMount::TakeNotice()
{
    const std::lock_guard lock(shared_.mutex);
    if (notices_.empty()) return std::nullopt;
    SinkNotice notice = std::move(notices_.front());
    notices_.pop_front();
    return notice;
}

std::string IndiMount::MountName() const
{
    const std::lock_guard lock(shared_.mutex);
    return state_ == LinkState::Ready ? shared_.mount : std::string();
}

std::optional<EquatorialPoint> IndiMount::Coordinates() const
{
    const std::lock_guard lock(shared_.mutex);
    return shared_.coordinates;
}

std::optional<MountPointing> IndiMount::Pointing() const
{
    // Only while the mount is there: coordinates kept from before are no longer where it points.
    const std::lock_guard lock(shared_.mutex);
    if (state_ != LinkState::Ready || !shared_.coordinates) return std::nullopt;
    return MountPointing{shared_.coordinates->raHours, shared_.coordinates->decDegrees};
}

int IndiMount::PulsesSent() const
{
    const std::lock_guard lock(shared_.mutex);
    return pulsesSent_;
}

void IndiMount::Enter(LinkState state)
{
    if (state == state_) return;
    state_ = state;
    if (state != LinkState::Ready) pending_.reset();
    if (auto notice = NoticeFor(state, shared_.mount, server_)) notices_.push_back(std::move(*notice));
}

void IndiMount::Opened(LinkTime now)
{
    grace_ = now + kMountGrace;
    askedToConnect_.clear();
}

void IndiMount::ServerGone()
{
    Enter(LinkState::ServerGone);
}

Sending IndiMount::Plan(LinkTime now)
{
    const DeviceFacts* mount = ChooseMount(shared_.devices, wanted_);
    const std::string name = mount ? mount->name : std::string();
    if (name != shared_.mount) {
        shared_.mount = name;
        // Until the new mount reports, the sky stays where the last report put it.
        if (mount && mount->coordinates) shared_.coordinates = mount->coordinates;
    }
    const bool ready = mount && mount->ReadyToGuide();
    const bool connect = mount && !mount->connected && askedToConnect_ != name;
    if (ready) {
        Enter(LinkState::Ready);
    } else if (state_ == LinkState::Ready || now > grace_) {
        Enter(LinkState::NoMount);
    }
    std::optional<FramePulses> pulses;
    if (ready) pulses.swap(pending_);
    if (!connect && !pulses) return {};
    if (connect) askedToConnect_ = name;
    if (pulses) pulsesSent_ += (pulses->ra.ms > 0) + (pulses->dec.ms > 0);
    return [name, connect, pulses](IndiConnection& connection) {
        if (connect) connection.ConnectDevice(name);
        if (!pulses) return;
        // A zero-length pulse asks for nothing and sends nothing.
        if (pulses->ra.ms > 0) connection.SendPulse(name, Axis::Ra, pulses->ra);
        if (pulses->dec.ms > 0) connection.SendPulse(name, Axis::Dec, pulses->dec);
    };
}

}  // namespace nuvix::indi
