#include "guiding/MountGuider.h"

#include "guiding/CalibrationStore.h"
#include "platform/clock/Clock.h"
#include "platform/text/Translate.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

namespace nuvix {

namespace {

constexpr double kDistancePx = 25.0;
// A pulse shows on the frames exposed from this long after its end on (the mount's report, its
// driver's polling).
constexpr int64_t kSettleMs = 250;
// Lost for this many guided frames in a row, the star is told lost.
constexpr int kLostFramesTold = 5;

const char* LegText(CalibrationLeg leg)
{
    switch (leg) {
    case CalibrationLeg::West:
        return Tr("Ouest");
    case CalibrationLeg::East:
        return Tr("Est");
    case CalibrationLeg::Backlash:
        return Tr("Jeu");
    case CalibrationLeg::North:
        return Tr("Nord");
    case CalibrationLeg::South:
        return Tr("Sud");
    }
    return "";
}

// What the guider's clients let through of a frame's pulses: nothing with the output off, and on
// DEC only the way the mode allows.
FramePulses Allowed(FramePulses pulses, const GuideOutputPolicy* policy)
{
    if (!policy) return pulses;
    if (!policy->outputEnabled) return {};
    const GuideDirection way = pulses.dec.direction;
    const bool dec = policy->decMode == DecGuideMode::Auto ||
                     (policy->decMode == DecGuideMode::North && way == GuideDirection::North) ||
                     (policy->decMode == DecGuideMode::South && way == GuideDirection::South);
    if (!dec) pulses.dec.ms = 0;
    return pulses;
}

// The "Guiding" group of the settings file; what cannot be taken as written goes to stderr.
GuideSettings GuideSettingsIn(const SettingsFile& file)
{
    SettingsKeys keys;
    for (const auto& [key, text] : GuideSettingsKeys(GuideSettings{})) {
        if (std::optional<std::string> value = file.keys.GetString(kGuideSettingsGroup, key)) keys[key] = *value;
    }
    const GuideSettingsRead read = ReadGuideSettings(keys);
    for (const std::string& problem : read.problems)
        std::fprintf(stderr, "nuvix: %s [%s]: %s\n", file.path.c_str(), kGuideSettingsGroup, problem.c_str());
    return read.settings;
}

// The pixels a pulse covers at an axis's rate, with the sign of the error it answers.
double Covered(const GuidePulse& pulse, double ratePxPerMs, double distance)
{
    return std::copysign(pulse.ms * ratePxPerMs, distance);
}

}  // namespace

MountGuider::MountGuider(GuidePulseSink& mount, GuidingEvents& events, SettingsFile& settings)
    : mount_(mount),
      events_(events),
      settings_(settings),
      calibration_(ReadCalibration(settings.keys)),
      algorithm_(GuideSettingsIn(settings))
{
}

std::vector<GuidingBox> MountGuider::TakeNotices(bool guiding)
{
    std::vector<GuidingBox> boxes;
    while (std::optional<MountNotice> notice = mount_.TakeNotice()) {
        events_.Publish(GuidingNote{notice->log});
        const bool halt = notice->kind == MountNotice::Kind::Halt;
        if (notice->kind == MountNotice::Kind::Failure || (halt && (guiding || Calibrating()))) {
            boxes.push_back({notice->text, halt ? Tr("Monture") : Tr("Erreur")});
        }
    }
    return boxes;
}

bool MountGuider::NeedsCalibration(double arcsecPerPixel) const
{
    return mount_.Report().Ready() && !Model(arcsecPerPixel);
}

std::optional<Calibration> MountGuider::Model(double arcsecPerPixel) const
{
    const MountReport report = mount_.Report();
    if (!calibration_ || !ServesMount(*calibration_, report.name, arcsecPerPixel)) return std::nullopt;
    return calibration_;
}

std::optional<GuideAxes> MountGuider::Axes(double arcsecPerPixel) const
{
    const std::optional<Calibration> model = Model(arcsecPerPixel);
    if (!model) return std::nullopt;
    return AxesNow(*model, mount_.Report(), DecFlipsAfterPierSideChange(settings_.keys));
}

bool MountGuider::BeginCalibration(const GuidingSetup& setup, const StarReading& star, std::string& why)
{
    const MountReport report = mount_.Report();
    if (!report.CanFollow()) {
        why = report.Ready() ? Tr("la monture ne suit pas le ciel") : Tr("pas de monture INDI prête");
        return false;
    }
    if (!star.found) {
        why = Tr("pas d'étoile dans le cadre");
        return false;
    }
    Calibration where;
    where.mount = report.name;
    where.pierSide = report.pierSide;
    where.arcsecPerPixel = setup.arcsecPerPixel;
    if (report.pointing) where.decDegrees = report.pointing->decDegrees;
    CalibrationPlan plan;
    // The mount's own guide rate when it tells it, else the observer's correction speed.
    const double speed = report.raGuideRate.value_or(setup.raSpeed);
    plan.stepMs = CalibrationStepMs(speed, where.decDegrees.value_or(0.0), setup.arcsecPerPixel, kDistancePx);
    plan.distancePx = kDistancePx;
    events_.Publish(CalibrationBegun{setup, plan.stepMs, plan.distancePx});
    run_ = std::make_unique<CalibrationRun>(plan, std::move(where), events_);
    failure_.clear();
    return true;
}

CalibrationRun::State MountGuider::CalibrationFrame(const StarReading& star, int32_t exposureStartMs, int32_t nowMs)
{
    if (!run_) return CalibrationRun::State::Failed;
    // A calibration needs a mount that follows the sky all along: not parked, tracking, not slewing.
    if (!mount_.Report().CanFollow()) {
        run_->Fail({Tr("la monture ne suit plus le ciel"), "mount stopped following the sky"});
    }
    if (const std::optional<FramePulses> pulses = run_->Frame({star.found, star.x, star.y}, exposureStartMs, nowMs)) {
        mount_.Send(*pulses);
    }
    const CalibrationRun::State state = run_->GetState();
    if (state == CalibrationRun::State::Succeeded) {
        calibration_ = run_->Result();
        WriteCalibration(settings_.keys, *calibration_);
        storeProblem_ = StoreSettings(settings_);
        if (!storeProblem_.empty()) {
            std::fprintf(stderr, "nuvix: calibration not stored in %s: %s\n", settings_.path.c_str(),
                         storeProblem_.c_str());
        }
    } else if (state == CalibrationRun::State::Failed) {
        failure_ = run_->Failure().text;
        std::fprintf(stderr, "nuvix: calibration failed: %s\n", run_->Failure().log.c_str());
    }
    if (state != CalibrationRun::State::Running) run_.reset();
    return state;
}

void MountGuider::StopCalibration()
{
    if (!run_) return;
    run_->Fail({Tr("arrêtée"), "stopped by the observer"});
    run_.reset();
}

std::string MountGuider::ForgetCalibration()
{
    if (!calibration_ && !settings_.keys.HasGroup(kCalibrationGroup)) return {};
    calibration_.reset();
    settings_.keys.RemoveGroup(kCalibrationGroup);
    events_.Publish(GuidingNote{"Calibration cleared"});
    return StoreSettings(settings_);
}

std::string MountGuider::TakeStoreProblem()
{
    return std::exchange(storeProblem_, std::string());
}

GuideStep MountGuider::Guide(const GuideFrame& frame)
{
    nowMs_ += MillisecondsSince(lastNowMs_, frame.nowMs);
    lastNowMs_ = frame.nowMs;
    const int64_t exposureStartMs = nowMs_ - MillisecondsSince(frame.exposureStartMs, frame.nowMs);
    const StarReading& star = frame.star;
    if (frame.sessionStart) {
        lockOffsetX_ = star.found ? star.x - frame.refX : 0.0;
        lockOffsetY_ = star.found ? star.y - frame.refY : 0.0;
        // A new history, but a pulse of the last session may still be on its way.
        algorithm_.Reset();
        algorithm_.PulseEnded(Axis::Ra, pulseShowsAtMs_[0]);
        algorithm_.PulseEnded(Axis::Dec, pulseShowsAtMs_[1]);
        lostFrames_ = 0;
    }
    GuideStep step;
    step.dx = star.x - (frame.refX + lockOffsetX_);
    step.dy = star.y - (frame.refY + lockOffsetY_);
    step.starMass = static_cast<int32_t>(std::lround(star.mass));
    step.population = star.population;
    step.snr = star.snr;
    step.lost = !star.found && !star.swamped;
    step.swamped = star.swamped;
    CountLost(star);
    const std::optional<GuideAxes> found = Axes(frame.arcsecPerPixel);
    if (!star.found || !found) return step;
    const GuideAxes& axes = *found;
    const AxisErrors errors = SplitAlongAxes(axes, step.dx, step.dy);
    // As the log counts: positive where the correction goes west, and south.
    step.raDistance = -errors.west;
    step.decDistance = errors.north;
    const GuideDecision decision = algorithm_.Frame({errors.west, errors.north, axes.raRatePxPerMs * 1000.0,
                                                     axes.decRatePxPerMs * 1000.0, exposureStartMs, nowMs_});
    step.pulses = mount_.Send(Allowed({decision.ra.pulse, decision.dec.pulse}, frame.policy));
    // An axis is free again once its pulse has shown; at once when nothing went out on it.
    const GuidePulse* sent[] = {&step.pulses.ra, &step.pulses.dec};
    for (const Axis axis : {Axis::Ra, Axis::Dec}) {
        const size_t i = axis == Axis::Ra ? 0 : 1;
        if (sent[i]->ms > 0) pulseShowsAtMs_[i] = nowMs_ + sent[i]->ms + kSettleMs;
        algorithm_.PulseEnded(axis, std::max(pulseShowsAtMs_[i], nowMs_));
    }
    step.raGuideDistance = Covered(step.pulses.ra, axes.raRatePxPerMs, step.raDistance);
    step.decGuideDistance = Covered(step.pulses.dec, axes.decRatePxPerMs, step.decDistance);
    return step;
}

void MountGuider::CountLost(const StarReading& star)
{
    if (star.found) {
        if (StarLost()) events_.Publish(GuidingNote{"guide star found again"});
        lostFrames_ = 0;
        return;
    }
    if (StarLost() || ++lostFrames_ < kLostFramesTold) return;
    events_.Publish(GuidingNote{"guide star lost for " + std::to_string(kLostFramesTold) +
                                " frames: no guide pulses until it is found again"});
}

bool MountGuider::StarLost() const
{
    return lostFrames_ >= kLostFramesTold;
}

std::string MountGuider::Status(bool guiding) const
{
    if (run_) return TrFill("Calib. %s %s", {LegText(run_->Leg()), std::to_string(run_->StepsDone())});
    const MountReport report = mount_.Report();
    switch (report.link) {
    case MountLink::Starting:
        return Tr("INDI...");
    case MountLink::ServerGone:
        return Tr("Serveur absent");
    case MountLink::NoMount:
        return Tr("Pas de monture");
    case MountLink::Ready:
        break;
    }
    if (report.parked) return Tr("Monture parquée");
    if (!report.tracking) return Tr("Suivi arrêté");
    if (report.slewing) return Tr("Pointage");
    if (guiding && StarLost()) return Tr("Étoile perdue");
    return calibration_ && calibration_->mount == report.name ? Tr("Monture prête") : Tr("À calibrer");
}

}  // namespace nuvix
