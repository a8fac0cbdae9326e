#include "app/ServerBridge.h"

#include "app/NuvixMainWindow.h"
#include "app/NuvixWindow.h"
#include "guiding/GuideStepNumbers.h"
#include "guiding/MountGuider.h"
#include "guiding/StarAnalysis.h"
#include "platform/text/Translate.h"
#include "platform/ui/Toolkit.h"
#include "server/Protocol.h"

#include <cmath>
#include <utility>

namespace nuvix {

// A window never shown, whose timer takes the clients' requests on the window thread.
class ServerPump final : public ui::Window {
public:
    ServerPump(ui::Toolkit& toolkit, ServerBridge& bridge)
        : ui::Window(toolkit, nullptr, Tr("Serveur de guidage"), ui::WindowStyle::Popup, {0, 0, 1, 1}, false),
          bridge_(bridge)
    {
    }

protected:
    void SetupWindow() override { SetTimer(ServerBridge::kPumpTimer, ServerBridge::kPumpPeriodMs); }
    void Timer(int) override { bridge_.Pump(); }

private:
    ServerBridge& bridge_;
};

namespace {

// How much each new distance weighs in the smoothed distance the events carry.
constexpr double kAverageWeight = 0.3;

}  // namespace

ServerBridge::ServerBridge(AppContext& context, server::Transport& transport, std::string version)
    : context_(context),
      state_(context.state),
      transport_(transport),
      events_(transport.HostName(), transport.Instance(), std::move(version)),
      random_(std::random_device{}())
{
}

ServerBridge::~ServerBridge()
{
    Detach();
}

void ServerBridge::Attach(NuvixMainWindow& main)
{
    main_ = &main;
    main.ImageWindow()->Events().Subscribe(*this);
    seen_.tracking = state_.tracking.trackingOn;
    seen_.suspended = state_.tracking.guidingSuspended;
    seen_.refX = state_.tracking.refX;
    seen_.refY = state_.tracking.refY;
    seen_.acquiring = Acquiring();
    seen_.record = *state_.parameters.params;
    pump_ = std::make_unique<ServerPump>(main.Kit(), *this);
    pump_->Create();
}

void ServerBridge::Detach()
{
    if (main_ && main_->ImageWindow()) main_->ImageWindow()->Events().Unsubscribe(*this);
    pump_.reset();
    main_ = nullptr;
}

uint32_t ServerBridge::Now() const
{
    return static_cast<uint32_t>(main_->Kit().GetClock().ElapsedMilliseconds());
}

void ServerBridge::Pump()
{
    if (!main_) return;
    for (server::Incoming& in : transport_.Take(kRequestsPerTick)) {
        if (in.kind == server::Incoming::Kind::Connected) Greet(in.client);
        if (in.kind != server::Incoming::Kind::Line) continue;
        // What the request sets off goes out after its reply.
        deferring_ = true;
        const std::optional<std::string> reply = server::HandleRequestLine(in.line, *this);
        if (reply) transport_.Send(in.client, *reply);
        deferring_ = false;
        for (std::string& line : deferred_)
            transport_.Broadcast(line);
        deferred_.clear();
        if (!main_) return;
    }
    SyncState();
    if (settle_.Active()) EndSettling(settle_.Tick(Now()));
    if (shutdownAsked_) {
        shutdownAsked_ = false;
        main_->DispatchClose();  // as the close box: the parameters are stored
    }
}

void ServerBridge::Greet(server::ClientId client)
{
    transport_.Send(client, events_.Version());
    if (state_.tracking.trackingOn) {
        transport_.Send(client, events_.LockPositionSet(Reference()));
        transport_.Send(client, state_.tracking.guidingSuspended ? events_.Paused() : events_.StartGuiding());
    }
    transport_.Send(client, events_.AppState(AppState()));
    transport_.Admit(client);
}

void ServerBridge::Publish(std::string line)
{
    if (deferring_) {
        deferred_.push_back(std::move(line));
    } else {
        transport_.Broadcast(line);
    }
}

void ServerBridge::Alert(const std::string& text, const std::string& caption)
{
    // The captions come translated: compared in the observer's language.
    bool error = false;
    for (const char* french : {"Erreur", "ERREUR", "Erreur Mémoire"})
        error = error || caption == french || caption == Tr(french);
    Publish(events_.Alert(text, error ? "error" : "info"));
}

void ServerBridge::SyncState()
{
    if (!main_) return;
    const TrackingState& tracking = state_.tracking;
    if (tracking.trackingOn && !seen_.tracking) {
        captureStopped_ = false;
        runFrames_ = 0;
        avgDist_ = 0.0;
        lostLock_ = false;
        Publish(events_.StarSelected(Reference()));
        Publish(events_.LockPositionSet(Reference()));
        Publish(events_.StartGuiding());
    } else if (!tracking.trackingOn && seen_.tracking) {
        EndSettling(settle_.Cancel("guiding stopped"));
        Publish(events_.GuidingStopped());
        loopFrames_ = 0;
    } else if (tracking.trackingOn && (tracking.refX != seen_.refX || tracking.refY != seen_.refY)) {
        Publish(events_.LockPositionSet(Reference()));
    }
    if (tracking.guidingSuspended != seen_.suspended) {
        Publish(tracking.guidingSuspended ? events_.Paused() : events_.Resumed());
    }
    const bool acquiring = Acquiring();
    if (seen_.acquiring && !acquiring) Publish(events_.LoopingExposuresStopped());
    if (!(seen_.record == *state_.parameters.params)) Publish(events_.ConfigurationChange());
    seen_ = {tracking.trackingOn, tracking.guidingSuspended, tracking.refX, tracking.refY,
             acquiring,           *state_.parameters.params};
}

void ServerBridge::BeginSettling(const server::SettleParams& settle)
{
    settle_.Begin(settle, Now());
    Publish(events_.SettleBegin());
}

void ServerBridge::EndSettling(const std::optional<server::SettleDoneEvent>& done)
{
    if (done) Publish(events_.SettleDone(*done));
}

void ServerBridge::Hear(const GuidingEvent& event)
{
    if (!main_) return;
    if (std::holds_alternative<GuidingBegun>(event)) {
        GuidingStarts();
        runMount_ = std::get<GuidingBegun>(event).setup.mount;
    } else if (const auto* step = std::get_if<GuideStep>(&event)) {
        Step(*step);
    } else if (const auto* begun = std::get_if<CalibrationBegun>(&event)) {
        SyncState();
        calibratingMount_ = begun->setup.mount;
        Publish(events_.StartCalibration(calibratingMount_));
    } else if (const auto* calibrationStep = std::get_if<CalibrationStep>(&event)) {
        Publish(events_.Calibrating(calibratingMount_, *calibrationStep));
    } else if (const auto* ended = std::get_if<CalibrationEnded>(&event)) {
        CalibrationOver(*ended);
    }
}

void ServerBridge::GuidingStarts()
{
    SyncState();
    // Numbered and timed as the guide log's section: from the moment guiding begins.
    runFrames_ = 0;
    runStartMs_ = static_cast<int32_t>(Now());
}

void ServerBridge::Step(const GuideStep& step)
{
    ++framesShown_;
    ++runFrames_;
    const double time = MillisecondsSince(runStartMs_, static_cast<int32_t>(Now())) / 1000.0;
    const double distance = std::hypot(step.dx, step.dy);
    lostLock_ = step.lost || step.swamped;
    std::optional<double> measured;
    if (lostLock_) {
        const DroppedStar drop = DropOf(step.lost, step.population);
        Publish(events_.StarLost({runFrames_, time, step.starMass, avgDist_, drop.errorCode, drop.description}));
    } else {
        avgDist_ = runFrames_ == 1 ? distance : avgDist_ + kAverageWeight * (distance - avgDist_);
        Publish(events_.GuideStep({runFrames_, time, runMount_, step, avgDist_}));
        measured = distance;
    }
    if (!settle_.Active()) return;
    std::optional<server::SettleDoneEvent> done;
    const server::SettleTracker::Progress progress = settle_.Frame(measured, Now(), done);
    Publish(events_.Settling(progress.distance, progress.time, settle_.Params().time, progress.starLocked));
    EndSettling(done);
}

void ServerBridge::CalibrationOver(const CalibrationEnded& ended)
{
    SyncState();
    const std::optional<server::SettleParams> settle = std::exchange(settleAfterCalibration_, std::nullopt);
    if (!ended.succeeded) {
        Publish(events_.CalibrationFailed(ended.reason));
        if (settle) EndSettling(server::SettleDoneEvent{1, "calibration failed: " + ended.reason, 0, 0});
        return;
    }
    Publish(events_.CalibrationComplete(calibratingMount_));
    if (settle) BeginSettling(*settle);
}

void ServerBridge::UnguidedFrame()
{
    SyncState();
    ++framesShown_;
    runFrames_ = 0;
    if (!state_.tracking.trackingOn && !captureStopped_ && Connected()) {
        Publish(events_.LoopingExposures(++loopFrames_));
    }
}

void ServerBridge::Press(ui::Window& window, int id)
{
    window.DispatchCommand(id, 0);
}

void ServerBridge::PressTrack()
{
    Press(*main_->ImageWindow(), 450);
}

void ServerBridge::PressRecalibrate()
{
    // Shift and "Track", as the observer asks for a new calibration.
    main_->ImageWindow()->DispatchCommand(450, ui::notify::kShiftClicked);
}

MountGuider* ServerBridge::Guider() const
{
    return main_ && main_->ImageWindow() ? main_->ImageWindow()->Guider() : nullptr;
}

void ServerBridge::PressSuspend()
{
    Press(main_->ImageWindow()->EnergyGraph(), specwin::kSuspendButton);
}

bool ServerBridge::Acquiring() const
{
    return state_.cameraPresent && main_ && main_->ImageWindow() && main_->ImageWindow()->CameraAnswering();
}

server::Position ServerBridge::Reference() const
{
    return {static_cast<double>(state_.tracking.refX), static_cast<double>(state_.tracking.refY)};
}

}  // namespace nuvix
