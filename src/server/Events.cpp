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
    const GuideStepNumbers& n = step.numbers;
    json attributes{{"Frame", step.frame},
                    {"Time", step.time},
                    {"Mount", step.mount},
                    {"dx", n.dx},
                    {"dy", n.dy},
                    {"RADistanceRaw", n.raRaw},
                    {"DECDistanceRaw", n.decRaw},
                    {"RADistanceGuide", n.raGuide},
                    {"DECDistanceGuide", n.decGuide},
                    {"RADuration", step.pulses.ra.ms},
                    {"RADirection", DirectionName(step.pulses.ra.direction)},
                    {"DECDuration", step.pulses.dec.ms},
                    {"DECDirection", DirectionName(step.pulses.dec.direction)},
                    {"StarMass", step.starMass},
                    {"AvgDist", step.avgDist},
                    {"ErrorCode", 0}};
    if (step.pulses.ra.ms >= kLongestPulseMs) attributes["RALimited"] = true;
    if (step.pulses.dec.ms >= kLongestPulseMs) attributes["DecLimited"] = true;
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

std::string EventWriter::CalibrationComplete(const std::string& mount) const
{
    return JsonLine(Event("CalibrationComplete", host_, instance_, {{"Mount", mount}}));
}

std::string EventWriter::CalibrationFailed(const std::string& reason) const
{
    return JsonLine(Event("CalibrationFailed", host_, instance_, {{"Reason", reason}}));
}

}  // namespace nuvix::server
