#pragma once

#include "guiding/GuidePulseSink.h"
#include "platform/clock/FakeClock.h"
#include "platform/indi/MountNotices.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <optional>
#include <vector>

namespace nuvix::testing {

// A German equatorial mount as an INDI driver reports it, on the fake clock, for the headless
// runs: it tracks, carries timed pulses at half the sidereal rate, parks, and slews. Like INDI's
// telescope simulator, a west pulse lowers its right ascension and a north pulse raises its
// declination east of the pier and lowers it west of it. Its notices are the INDI mount's own.
class FakeMount final : public GuidePulseSink {
public:
    static constexpr double kGuideRate = 7.52;  // arc seconds per second

    FakeMount(FakeClock& clock, PierSide side, double decDegrees = 10.0)
        : clock_(clock), pierSide_(side), dec_(decDegrees)
    {
    }

    FramePulses Send(const FramePulses& pulses) override
    {
        Settle();
        if (!CanFollow()) return {};
        Start(0, pulses.ra, GuideDirection::East);
        if (!decJammed_) Start(1, pulses.dec, GuideDirection::North);
        pulsesSent += (pulses.ra.ms > 0) + (pulses.dec.ms > 0);
        return pulses;
    }
    std::optional<MountNotice> TakeNotice() override
    {
        Settle();
        const indi::MountCondition now = Now();
        for (MountNotice& notice : indi::NoticesFor(told_, now, "Fake Mount", "fake:7624"))
            notices_.push_back(std::move(notice));
        told_ = now;
        if (notices_.empty()) return std::nullopt;
        MountNotice notice = std::move(notices_.front());
        notices_.pop_front();
        return notice;
    }
    MountReport Report() const override
    {
        MountReport report;
        report.name = "Fake Mount";
        const indi::MountCondition now = Now();
        report.link = now.link;
        report.parked = now.parked;
        report.tracking = now.tracking;
        report.slewing = now.slewing;
        report.pierSide = now.pierSide;
        // Like the simulator, it reports its coordinates as they were at its last poll.
        const double ms = std::floor(NowMs() / kPollMs) * kPollMs;
        const double drift = Drifting() ? (ms - lastMs_) / 1000.0 * kSiderealRate * kHoursPerArcsec : 0.0;
        report.pointing =
            MountPointing{ra_ + drift + Moved(0, ms) * kHoursPerArcsec, dec_ + Moved(1, ms) / 3600.0, -1.0};
        report.raGuideRate = kGuideRate;
        report.decGuideRate = kGuideRate;
        return report;
    }

    // What the observer (or the night) does to it.
    void Park(bool parked)
    {
        Settle();
        parked_ = parked;
    }
    void StopTracking(bool stopped)
    {
        Settle();
        trackingOff_ = stopped;
    }
    void GoAway(bool away) { away_ = away; }
    void JamDec() { decJammed_ = true; }
    // A goto of `slewMs` to another declination on the given side of the pier.
    void Goto(PierSide side, double decDegrees, double slewMs = 3000)
    {
        Settle();
        pulses_ = {};
        ra_ += 1.0;
        dec_ = decDegrees;
        pierSide_ = side;
        slewEndsMs_ = NowMs() + slewMs;
    }
    PierSide Side() const { return pierSide_; }

    int pulsesSent = 0;
    int overlaps = 0;

private:
    static constexpr double kHoursPerArcsec = 1.0 / 15.0 / 3600.0;
    static constexpr double kSiderealRate = 15.041;  // arc seconds per second
    static constexpr double kPollMs = 100.0;
    struct Pulse {
        double startMs = 0.0;
        double ms = 0.0;
        double sign = 1.0;
    };

    double NowMs() const { return static_cast<double>(clock_.NowNs()) / 1e6; }
    bool CanFollow() const { return !parked_ && !trackingOff_ && !away_ && NowMs() >= slewEndsMs_; }
    indi::MountCondition Now() const
    {
        indi::MountCondition now;
        now.link = away_ ? MountLink::ServerGone : MountLink::Ready;
        now.problem = indi::ServerProblem::Lost;
        now.served = true;
        now.parked = parked_;
        now.tracking = !trackingOff_ && !parked_;
        now.slewing = NowMs() < slewEndsMs_;
        now.pierSide = pierSide_;
        return now;
    }
    // Arc seconds moved on an axis by the pulses so far: like the simulator, it carries each pulse
    // whole, on top of the others, from its next poll on.
    double Moved(size_t axis, double ms) const
    {
        double moved = 0.0;
        for (const Pulse& p : pulses_[axis]) {
            const double start = std::ceil(p.startMs / kPollMs) * kPollMs;
            moved += p.sign * kGuideRate * std::clamp(ms - start, 0.0, p.ms) / 1000.0;
        }
        return moved;
    }
    void Start(size_t axis, const GuidePulse& pulse, GuideDirection positive)
    {
        if (pulse.ms <= 0) return;
        // A pulse sent while the last one on its axis still runs: the mount would carry both.
        if (!pulses_[axis].empty() && NowMs() < pulses_[axis].back().startMs + pulses_[axis].back().ms) ++overlaps;
        double sign = pulse.direction == positive ? 1.0 : -1.0;
        if (axis == 1 && pierSide_ == PierSide::West) sign = -sign;
        pulses_[axis].push_back({NowMs(), static_cast<double>(pulse.ms), sign});
    }
    // A mount that stops tracking drifts at the sidereal rate, as the simulator does.
    bool Drifting() const { return parked_ || trackingOff_; }
    void Settle()
    {
        const double ms = NowMs();
        if (Drifting()) ra_ += (ms - lastMs_) / 1000.0 * kSiderealRate * kHoursPerArcsec;
        lastMs_ = ms;
    }

    FakeClock& clock_;
    PierSide pierSide_;
    double ra_ = 5.5;
    double dec_;
    std::array<std::vector<Pulse>, 2> pulses_;
    bool parked_ = false;
    bool trackingOff_ = false;
    bool away_ = false;
    bool decJammed_ = false;
    double slewEndsMs_ = -1.0;
    double lastMs_ = 0.0;
    indi::MountCondition told_;
    std::deque<MountNotice> notices_;
};

}  // namespace nuvix::testing
