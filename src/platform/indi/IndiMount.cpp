#include "platform/indi/IndiMount.h"

#include "platform/indi/IndiConnection.h"

#include <chrono>
#include <cmath>
#include <cstdio>

namespace nuvix::indi {

namespace {
// A server has announced its devices well within this; after it, a missing mount is told.
constexpr auto kMountGrace = std::chrono::seconds(5);
// The sidereal rate in arc seconds per second: GUIDE_RATE counts in fractions of it.
constexpr double kSiderealArcsecPerSecond = 15.041;

std::optional<double> ArcsecPerSecond(std::optional<double> fraction)
{
    if (!fraction || !(*fraction > 0.0) || *fraction > 100.0) return std::nullopt;
    return *fraction * kSiderealArcsecPerSecond;
}
}  // namespace

IndiMount::IndiMount(LinkShared& shared, std::string device, std::string server)
    : shared_(shared), wanted_(std::move(device)), server_(std::move(server))
{
}

FramePulses IndiMount::Send(const FramePulses& pulses)
{
    const std::lock_guard lock(shared_.mutex);
    if (!report_.CanFollow()) return {};
    // A newer frame replaces one not sent yet: the mount works from the latest error.
    pending_ = pulses;
    shared_.changed = true;
    shared_.wake.notify_all();
    return pulses;
}

std::optional<MountNotice> IndiMount::TakeNotice()
{
    const std::lock_guard lock(shared_.mutex);
    if (notices_.empty()) return std::nullopt;
    MountNotice notice = std::move(notices_.front());
    notices_.pop_front();
    return notice;
}

MountReport IndiMount::Report() const
{
    std::optional<double> longitude;
    MountReport report;
    {
        const std::lock_guard lock(shared_.mutex);
        report = report_;
        longitude = longitude_;
    }
    if (report.pointing && longitude) {
        const double now = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
        const double hours = LocalSiderealHours(now, *longitude) - report.pointing->raHours;
        report.pointing->hourAngleHours = std::remainder(hours, 24.0);
    }
    return report;
}

int IndiMount::PulsesSent() const
{
    const std::lock_guard lock(shared_.mutex);
    return pulsesSent_;
}

void IndiMount::Tell(MountNotice notice)
{
    std::fprintf(stderr, "nuvix: %s\n", notice.log.c_str());
    notices_.push_back(std::move(notice));
}

void IndiMount::Enter(const MountCondition& condition)
{
    for (MountNotice& notice : NoticesFor(condition_, condition, shared_.mount, server_))
        Tell(std::move(notice));
    condition_ = condition;
    report_.link = condition.link;
    report_.parked = condition.parked;
    report_.tracking = condition.tracking;
    report_.slewing = condition.slewing;
    report_.pierSide = condition.pierSide;
    if (!report_.CanFollow()) pending_.reset();
}

void IndiMount::Note(const DeviceFacts& mount)
{
    const MountFacts& facts = mount.mount;
    if (facts.coordinates) {
        report_.pointing = MountPointing{facts.coordinates->raHours, facts.coordinates->decDegrees, std::nullopt};
    }
    report_.raGuideRate = ArcsecPerSecond(facts.raGuideRate);
    report_.decGuideRate = ArcsecPerSecond(facts.decGuideRate);
    longitude_ = facts.longitude;
}

void IndiMount::Opened(LinkTime now)
{
    grace_ = now + kMountGrace;
    askedToConnect_.clear();
}

void IndiMount::ServerGone(ServerProblem problem)
{
    MountCondition gone = condition_;
    gone.link = MountLink::ServerGone;
    gone.problem = problem;
    gone.served = problem == ServerProblem::Lost;
    Enter(gone);
}

Sending IndiMount::Plan(LinkTime now)
{
    const DeviceFacts* mount = ChooseMount(shared_.devices, wanted_.empty() ? shared_.mount : wanted_);
    if (mount && mount->name != shared_.mount) {
        // The first mount seen is kept for the whole run, whatever else comes and goes.
        shared_.mount = mount->name;
        report_.name = mount->name;
        if (wanted_.empty()) Tell(ChosenNotice(mount->name, server_));
        // Until it reports, the sky stays where the last report put it.
        if (mount->mount.coordinates) shared_.coordinates = mount->mount.coordinates;
    }
    if (mount) Note(*mount);
    const bool ready = mount && mount->ReadyToGuide();
    const bool connect = mount && !mount->connected && askedToConnect_ != mount->name;
    MountCondition condition = condition_;
    if (ready) {
        condition.link = MountLink::Ready;
        condition.parked = mount->mount.parked;
        // A driver without a tracking switch tracks as long as it is not parked.
        condition.tracking = mount->mount.tracking.value_or(!mount->mount.parked);
        condition.slewing = mount->mount.slewing;
        condition.pierSide = mount->mount.pierSide;
    } else if (condition_.link == MountLink::Ready || now > grace_) {
        condition.link = MountLink::NoMount;
    }
    Enter(condition);

    std::optional<FramePulses> pulses;
    if (report_.CanFollow()) pulses.swap(pending_);
    if (!connect && !pulses) return {};
    const std::string name = mount ? mount->name : std::string();
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
