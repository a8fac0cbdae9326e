#pragma once

#include "guiding/GuidePulseSink.h"
#include "guiding/GuidingEvents.h"
#include "server/GuiderCommands.h"

#include <cstdint>
#include <string>

namespace nuvix::server {

// One guided frame as the GuideStep event tells it: the guide log line's numbers.
struct GuideStepEvent {
    int frame = 0;      // from 1 at each start of guiding, as the log counts
    double time = 0.0;  // seconds since that start
    std::string mount;
    nuvix::GuideStep step;  // the very record the log's line is written from
    double avgDist = 0.0;   // a smoothed distance from the reference, pixels
};

// A guided frame whose star was lost or swamped.
struct StarLostEvent {
    int frame = 0;
    double time = 0.0;
    int32_t starMass = 0;
    double avgDist = 0.0;
    int errorCode = 0;
    std::string status;
};

struct SettleDoneEvent {
    int status = 0;  // 0 settled
    std::string error;
    int totalFrames = 0;
    int droppedFrames = 0;
};

// The event lines of the protocol: JSON objects with "Event", "Timestamp" (seconds since the
// epoch), "Host" and "Inst", then the event's own attributes.
class EventWriter {
public:
    EventWriter(std::string host, int instance, std::string version);

    std::string Version() const;
    std::string AppState(const std::string& state) const;
    std::string LockPositionSet(Position at) const;
    std::string StarSelected(Position at) const;
    std::string StartGuiding() const;
    std::string GuidingStopped() const;
    std::string Paused() const;
    std::string Resumed() const;
    std::string LoopingExposures(int frame) const;
    std::string LoopingExposuresStopped() const;
    std::string SettleBegin() const;
    std::string Settling(double distance, double time, double settleTime, bool starLocked) const;
    std::string SettleDone(const SettleDoneEvent& done) const;
    std::string GuidingDithered(double dx, double dy) const;
    std::string GuideStep(const GuideStepEvent& step) const;
    std::string StarLost(const StarLostEvent& lost) const;
    // `type`: "info", "question", "warning" or "error".
    std::string Alert(const std::string& message, const std::string& type) const;
    std::string ConfigurationChange() const;
    // Calibration of a mount guided by timed pulses.
    std::string StartCalibration(const std::string& mount) const;
    std::string Calibrating(const std::string& mount, const CalibrationStep& step) const;
    std::string CalibrationComplete(const std::string& mount) const;
    std::string CalibrationFailed(const std::string& reason) const;

private:
    std::string host_;
    int instance_;
    std::string version_;
};

}  // namespace nuvix::server
