#include "server/Events.h"

#include "server/JsonText.h"

#include <chrono>

namespace nuvix::server {

namespace {

using nlohmann::json;

// A pulse this long was cut to the one second a frame may ask.
constexpr int kLongestPulseMs = 1000;

const char* DirectionName(GuideDirection direction)
{
    switch (direction) {
    case GuideDirection::North:
        return "North";
    case GuideDirection::South:
        return "South";
    case GuideDirection::East:
        return "East";
    case GuideDirection::West:
        return "West";
    }
    return "";
}

}  // namespace

EventWriter::EventWriter(std::string host, int instance, std::string version)
    : host_(std::move(host)), instance_(instance), version_(std::move(version))
{
}

namespace {

json Event(const char* name, const std::string& host, int instance, json attributes = json::object())
{
    const double now = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    json e{{"Event", name}, {"Timestamp", now}, {"Host", host}, {"Inst", instance}};
    e.update(attributes);
    return e;
}

}  // namespace

std::string EventWriter::Version() const
{
    return JsonLine(Event("Version", host_, instance_,
                          {{"PHDVersion", version_}, {"PHDSubver", ""}, {"MsgVersion", 1}, {"OverlapSupport", true}}));
}

std::string EventWriter::AppState(const std::string& state) const
{
    return JsonLine(Event("AppState", host_, instance_, {{"State", state}}));
}

std::string EventWriter::LockPositionSet(Position at) const
{
    return JsonLine(Event("LockPositionSet", host_, instance_, {{"X", at.x}, {"Y", at.y}}));
}

std::string EventWriter::StarSelected(Position at) const
{
    return JsonLine(Event("StarSelected", host_, instance_, {{"X", at.x}, {"Y", at.y}}));
}

std::string EventWriter::StartGuiding() const
{
    return JsonLine(Event("StartGuiding", host_, instance_));
}

std::string EventWriter::GuidingStopped() const
{
    return JsonLine(Event("GuidingStopped", host_, instance_));
}

std::string EventWriter::Paused() const
{
    return JsonLine(Event("Paused", host_, instance_));
}

std::string EventWriter::Resumed() const
{
    return JsonLine(Event("Resumed", host_, instance_));
}

std::string EventWriter::LoopingExposures(int frame) const
{
    return JsonLine(Event("LoopingExposures", host_, instance_, {{"Frame", frame}}));
}

std::string EventWriter::LoopingExposuresStopped() const
{
    return JsonLine(Event("LoopingExposuresStopped", host_, instance_));
}

std::string EventWriter::SettleBegin() const
{
    return JsonLine(Event("SettleBegin", host_, instance_));
}

std::string EventWriter::Settling(double distance, double time, double settleTime, bool starLocked) const
{
    return JsonLine(
        Event("Settling", host_, instance_,
              {{"Distance", distance}, {"Time", time}, {"SettleTime", settleTime}, {"StarLocked", starLocked}}));
}

std::string EventWriter::SettleDone(const SettleDoneEvent& done) const
{
    json attributes{{"Status", done.status}, {"TotalFrames", done.totalFrames}, {"DroppedFrames", done.droppedFrames}};
    if (done.status != 0) attributes["Error"] = done.error;
    return JsonLine(Event("SettleDone", host_, instance_, attributes));
}

std::string EventWriter::GuidingDithered(double dx, double dy) const
{
    return JsonLine(Event("GuidingDithered", host_, instance_, {{"dx", dx}, {"dy", dy}}));
}

std::string EventWriter::GuideStep(const GuideStepEvent& step) const
{
    const nuvix::GuideStep& s = step.step;
    const FramePulses& p = s.pulses;
    json attributes{{"Frame", step.frame},
                    {"Time", step.time},
                    {"Mount", step.mount},
                    {"dx", s.dx},
                    {"dy", s.dy},
                    {"RADistanceRaw", s.raDistance},
                    {"DECDistanceRaw", s.decDistance},
                    {"RADistanceGuide", s.raGuideDistance},
                    {"DECDistanceGuide", s.decGuideDistance},
                    {"RADuration", p.ra.ms},
                    {"RADirection", DirectionName(p.ra.direction)},
                    {"DECDuration", p.dec.ms},
                    {"DECDirection", DirectionName(p.dec.direction)},
                    {"StarMass", s.starMass},
                    {"SNR", s.snr},
                    {"AvgDist", step.avgDist},
                    {"ErrorCode", 0}};
    if (p.ra.ms >= kLongestPulseMs) attributes["RALimited"] = true;
    if (p.dec.ms >= kLongestPulseMs) attributes["DecLimited"] = true;
    return JsonLine(Event("GuideStep", host_, instance_, attributes));
}

std::string EventWriter::StarLost(const StarLostEvent& lost) const
{
    return JsonLine(Event("StarLost", host_, instance_,
                          {{"Frame", lost.frame},
                           {"Time", lost.time},
                           {"StarMass", lost.starMass},
                           {"AvgDist", lost.avgDist},
                           {"ErrorCode", lost.errorCode},
                           {"Status", lost.status}}));
}

std::string EventWriter::Alert(const std::string& message, const std::string& type) const
{
    return JsonLine(Event("Alert", host_, instance_, {{"Msg", message}, {"Type", type}}));
}

std::string EventWriter::ConfigurationChange() const
{
    return JsonLine(Event("ConfigurationChange", host_, instance_));
}

std::string EventWriter::StartCalibration(const std::string& mount) const
{
    return JsonLine(Event("StartCalibration", host_, instance_, {{"Mount", mount}}));
}

std::string EventWriter::Calibrating(const std::string& mount, const CalibrationStep& step) const
{
    const std::string leg = LegName(step.leg);
    return JsonLine(Event("Calibrating", host_, instance_,
                          {{"Mount", mount},
                           {"dir", leg},
                           {"dist", step.distance},
                           {"dx", step.dx},
                           {"dy", step.dy},
                           {"pos", {step.x, step.y}},
                           {"step", step.step},
                           {"State", leg + " " + std::to_string(step.step)}}));
}

std::string EventWriter::CalibrationComplete(const std::string& mount) const
{
    return JsonLine(Event("CalibrationComplete", host_, instance_, {{"Mount", mount}}));
}

std::string EventWriter::CalibrationFailed(const std::string& reason) const
{
    return JsonLine(Event("CalibrationFailed", host_, instance_, {{"Reason", reason}}));
}

}  // namespace nuvix::server
