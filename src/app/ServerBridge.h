#pragma once

#include "app/AppContext.h"
#include "guiding/GuidedFrameListener.h"
#include "guiding/GuidingEvents.h"
#include "platform/ui/Window.h"
#include "server/Events.h"
#include "server/GuiderCommands.h"
#include "server/Settle.h"
#include "server/Transport.h"

#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace nuvix {

class NuvixMainWindow;
class NuvixWindow;
class ServerPump;
class MountGuider;

// The program's side of the guiding server. A client's commands are carried out by pressing the
// very buttons the observer presses ("Track"/"Track OFF", "Suspend"/"Re-start", the exposure's
// "+" and "-", the close box), so the windows show everything a client does; what the observer
// presses, and what the guiding tells (calibration, guided frames), goes out to the clients as
// events. Runs on the window thread: a timer of its own takes the clients' requests; the image
// window's guiding events and its unguided frames reach it as they happen.
class ServerBridge final : public server::GuiderCommands, public GuidedFrameListener, public GuidingObserver {
public:
    // Requests answered per tick at most, so that a flood never holds the window.
    static constexpr size_t kRequestsPerTick = 64;
    static constexpr int kPumpTimer = 1;
    static constexpr int kPumpPeriodMs = 10;

    ServerBridge(AppContext& context, server::Transport& transport, std::string version);
    ~ServerBridge() override;

    // Once the main window exists: starts taking requests. Detach before the windows go.
    void Attach(NuvixMainWindow& main);
    void Detach();
    // The pump's tick: requests, then what changed in the windows, then the settling timeout.
    void Pump();
    // A message box the observer sees.
    void Alert(const std::string& text, const std::string& caption);

    // GuidedFrameListener.
    void UnguidedFrame() override;
    // GuidingObserver: the same events the guide log is written from.
    void Hear(const GuidingEvent& event) override;

    // server::GuiderCommands.
    std::string AppState() override;
    bool Connected() override;
    server::Outcome SetConnected(bool connect) override;
    server::Equipment CurrentEquipment() override;
    std::string ProfileName() override;
    double PixelScale() override;
    int ExposureMs() override;
    server::Outcome SetExposureMs(int ms) override;
    std::vector<int> ExposureDurations() override;
    server::Outcome Loop() override;
    server::Outcome StopCapture() override;
    server::Answer<server::Position> FindStar() override;
    server::Outcome Guide(const server::SettleParams& settle, bool recalibrate) override;
    server::Outcome Dither(double amount, bool raOnly, const server::SettleParams& settle) override;
    bool Settling() override { return settle_.Active(); }
    bool Paused() override;
    server::Outcome SetPaused(bool paused, bool full) override;
    std::optional<server::Position> LockPosition() override;
    server::Outcome SetLockPosition(server::Position at, bool exact) override;
    bool Calibrated() override;
    server::Outcome ClearCalibration(const std::string& which) override;
    bool GuideOutputEnabled() override;
    server::Outcome SetGuideOutputEnabled(bool enabled) override;
    DecGuideMode GetDecGuideMode() override;
    server::Outcome SetDecGuideMode(DecGuideMode mode) override;
    server::Answer<server::StarImage> GetStarImage(int size) override;
    server::Answer<std::string> SaveImage() override;
    server::Outcome CaptureSingleFrame(std::optional<int> exposureMs) override;
    server::Outcome Shutdown() override;

private:
    // What the bridge saw of the windows last, to tell the clients what changed since.
    struct Seen {
        bool tracking = false;
        bool suspended = false;
        int32_t refX = 0;
        int32_t refY = 0;
        bool acquiring = false;
        std::optional<tparam> record;
    };

    void Greet(server::ClientId client);
    void Publish(std::string line);
    void SyncState();
    void GuidingStarts();
    void Step(const GuideStep& step);
    void CalibrationOver(const CalibrationEnded& ended);
    MountGuider* Guider() const;
    void BeginSettling(const server::SettleParams& settle);
    void EndSettling(const std::optional<server::SettleDoneEvent>& done);
    void Press(ui::Window& window, int id);
    void PressTrack();
    void PressSuspend();
    void PressRecalibrate();
    bool Acquiring() const;
    server::Position Reference() const;
    uint32_t Now() const;

    AppContext& context_;
    nuvix::AppState& state_;
    server::Transport& transport_;
    server::EventWriter events_;
    NuvixMainWindow* main_ = nullptr;
    std::unique_ptr<ServerPump> pump_;
    Seen seen_;
    server::SettleTracker settle_;
    bool clientDisconnected_ = false;
    // A client stopped the capture: the picture goes on for the observer, but the clients are
    // told of no exposures until a client or the observer starts them again.
    bool captureStopped_ = false;
    bool shutdownAsked_ = false;
    bool deferring_ = false;
    std::vector<std::string> deferred_;
    // The guided run, counted as the guide log counts its session.
    int runFrames_ = 0;
    int32_t runStartMs_ = 0;
    std::string runMount_;
    // A guide that had to calibrate first: it settles once the calibration is over.
    std::optional<server::SettleParams> settleAfterCalibration_;
    std::string calibratingMount_;
    double avgDist_ = 0.0;
    bool lostLock_ = false;
    int loopFrames_ = 0;
    int framesShown_ = 0;
    int imagesSaved_ = 0;
    std::mt19937 random_;
};

}  // namespace nuvix
