#include "platform/indi/IndiMount.h"

#include "platform/indi/IndiConnection.h"
#include "platform/indi/ServerProbe.h"

#include <chrono>

namespace nuvix::indi {

namespace {
using namespace std::chrono_literals;
constexpr int kConnectTimeoutSeconds = 2;
constexpr auto kRetryAfter = 1s;
// A server has announced its devices well within this; after it, a missing mount is told.
constexpr auto kMountGrace = 5s;
constexpr auto kIdleWake = 250ms;
}  // namespace

IndiMount::IndiMount(ServerAddress server, std::string device)
    : server_(std::move(server)),
      wanted_(std::move(device)),
      shared_(std::make_unique<LinkShared>()),
      thread_([this] { Run(); })
{
}

IndiMount::~IndiMount()
{
    {
        const std::lock_guard lock(shared_->mutex);
        stopping_ = true;
    }
    shared_->wake.notify_all();
    thread_.join();
}

void IndiMount::Send(const FramePulses& pulses)
{
    const std::lock_guard lock(shared_->mutex);
    if (state_ != LinkState::Ready) return;
    // A newer frame replaces one not sent yet: the mount works from the latest error.
    pending_ = pulses;
    shared_->wake.notify_all();
}

std::optional<SinkNotice> IndiMount::TakeNotice()
{
    const std::lock_guard lock(shared_->mutex);
    if (notices_.empty()) return std::nullopt;
    SinkNotice notice = std::move(notices_.front());
    notices_.pop_front();
    return notice;
}

std::string IndiMount::MountName() const
{
    const std::lock_guard lock(shared_->mutex);
    return state_ == LinkState::Ready ? shared_->mount : std::string();
}

std::optional<EquatorialPoint> IndiMount::Coordinates() const
{
    const std::lock_guard lock(shared_->mutex);
    return shared_->coordinates;
}

int IndiMount::PulsesSent() const
{
    const std::lock_guard lock(shared_->mutex);
    return pulsesSent_;
}

void IndiMount::Enter(LinkState state)
{
    if (state == state_) return;
    state_ = state;
    if (state != LinkState::Ready) pending_.reset();
    if (auto notice = NoticeFor(state, shared_->mount, ToString(server_))) notices_.push_back(std::move(*notice));
}

void IndiMount::Run()
{
    std::unique_lock lock(shared_->mutex);
    while (!stopping_) {
        shared_->serverLost = false;
        lock.unlock();
        auto connection = std::make_unique<IndiConnection>(*shared_);
        const bool opened = ServerListening(server_, kConnectTimeoutSeconds * 1000) &&
                            connection->Open(server_, kConnectTimeoutSeconds);
        lock.lock();
        if (opened) Serve(*connection, lock);
        // Its destructor joins the library's thread, whose callbacks take the lock.
        lock.unlock();
        connection.reset();
        lock.lock();
        shared_->devices.Clear();
        if (stopping_) break;
        Enter(LinkState::ServerGone);
        shared_->wake.wait_for(lock, kRetryAfter, [this] { return stopping_; });
    }
}

void IndiMount::Serve(IndiConnection& connection, std::unique_lock<std::mutex>& lock)
{
    const auto grace = std::chrono::steady_clock::now() + kMountGrace;
    std::string askedToConnect;
    while (!stopping_ && !shared_->serverLost) {
        const DeviceFacts* mount = ChooseMount(shared_->devices, wanted_);
        const std::string name = mount ? mount->name : std::string();
        if (name != shared_->mount) {
            shared_->mount = name;
            // Until the new mount reports, the sky stays where the last report put it.
            if (mount && mount->coordinates) shared_->coordinates = mount->coordinates;
        }
        const bool ready = mount && mount->ReadyToGuide();
        const bool connect = mount && !mount->connected && askedToConnect != name;
        if (ready) {
            Enter(LinkState::Ready);
        } else if (state_ == LinkState::Ready || std::chrono::steady_clock::now() > grace) {
            Enter(LinkState::NoMount);
        }
        std::optional<FramePulses> pulses;
        if (ready) pulses.swap(pending_);
        if (connect || pulses) {
            lock.unlock();
            if (connect) connection.ConnectDevice(name);
            if (pulses) {
                // A zero-length pulse asks for nothing and sends nothing.
                if (pulses->ra.ms > 0) connection.SendPulse(name, Axis::Ra, pulses->ra);
                if (pulses->dec.ms > 0) connection.SendPulse(name, Axis::Dec, pulses->dec);
            }
            lock.lock();
            if (connect) askedToConnect = name;
            if (pulses) pulsesSent_ += (pulses->ra.ms > 0) + (pulses->dec.ms > 0);
            continue;
        }
        shared_->changed = false;
        shared_->wake.wait_for(lock, kIdleWake,
                               [this] { return stopping_ || shared_->serverLost || shared_->changed || pending_; });
    }
}

}  // namespace nuvix::indi
