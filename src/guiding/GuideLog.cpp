#include "guiding/GuideLog.h"

#include "guiding/GuideStepNumbers.h"
#include "guiding/StarAnalysis.h"
#include "platform/clock/Clock.h"

#include <charconv>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <system_error>

namespace nuvix {

namespace {

constexpr const char* kColumns =
    "Frame,Time,mount,dx,dy,RARawDistance,DECRawDistance,RAGuideDistance,DECGuideDistance,RADuration,RADirection,"
    "DECDuration,DECDirection,XStep,YStep,StarMass,SNR,ErrorCode";
constexpr int kLongestPulseMs = 1000;

// Fixed decimals whatever the desktop's locale: readers expect a point.
std::string Fixed(double value, int decimals)
{
    char text[64];
    value += 0.0;  // no "-0.000"
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return result.ec == std::errc{} ? std::string(text, result.ptr) : std::string("0");
}

std::string Now()
{
    const std::time_t now = std::time(nullptr);
    char text[32] = "";
    if (const std::tm* local = std::localtime(&now)) std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", local);
    return text;
}

std::string Direction(const GuidePulse& pulse)
{
    return pulse.ms > 0 ? std::string(1, DirectionLetter(pulse.direction)) : std::string();
}

}  // namespace

GuideLog::GuideLog(std::string path, std::string program) : path_(std::move(path)), program_(std::move(program)) {}

GuideLog::~GuideLog()
{
    End();
}

bool GuideLog::Open()
{
    if (failed_) return false;
    if (out_.is_open()) return true;
    std::error_code error;
    const bool fresh = !std::filesystem::exists(path_, error) || std::filesystem::file_size(path_, error) == 0;
    out_.open(path_, std::ios::out | std::ios::app);
    if (!out_) {
        failed_ = true;
        return false;
    }
    if (fresh) Write(program_ + ", Log version 2.5. Log enabled at " + Now() + "\n\n");
    return !failed_;
}

void GuideLog::Write(const std::string& text)
{
    if (failed_) return;
    out_ << text;
    out_.flush();
    if (!out_) {
        failed_ = true;
        out_.close();
    }
}

void GuideLog::Begin(const GuideLogSession& session, int32_t nowMs)
{
    if (inSession_ || !Open()) return;
    session_ = session;
    startMs_ = nowMs;
    frameNumber_ = 0;
    inSession_ = true;
    const float scale = session.arcsecPerPixel;
    const bool scaled = scale > 0.0f;
    std::string block = "Guiding Begins at " + Now() + "\n";
    block += "Pixel scale = " + Fixed(scale, 2) +
             " arc-sec/px, Binning = 1, Focal length = " + Fixed(session.focalLengthMm, 0) + " mm\n";
    block += "Mount = " + session.mount +
             ", connected, guiding enabled, xRate = " + Fixed(scaled ? session.raSpeed / scale : 0.0, 3) +
             ", yRate = " + Fixed(scaled ? session.decSpeed / scale : 0.0, 3) +
             ", parity = " + (session.invertRa ? "-" : "+") + "/" + (session.invertDec ? "-" : "+") + "\n";
    block += "Max RA duration = " + std::to_string(kLongestPulseMs) +
             ", Max DEC duration = " + std::to_string(kLongestPulseMs) + "\n";
    block += "RA Guide Speed = " + Fixed(session.raSpeed, 1) +
             " a-s/s, Dec Guide Speed = " + Fixed(session.decSpeed, 1) + " a-s/s\n";
    block += "Lock position = " + Fixed(session.lockX, 3) + ", " + Fixed(session.lockY, 3) + "\n";
    block += std::string(kColumns) + "\n";
    Write(block);
}

void GuideLog::Frame(const GuideLogFrame& frame, int32_t nowMs)
{
    if (!inSession_) return;
    ++frameNumber_;
    std::string line = std::to_string(frameNumber_) + "," + Fixed(MillisecondsSince(startMs_, nowMs) / 1000.0, 3);
    if (StarLost(frame.population)) {
        // No mass, so that readers leave the frame out; the population goes in the description.
        const DroppedStar drop = DropOf(frame.population);
        line += ",\"DROP\",,,,,,,,,,,,,0,," + std::to_string(drop.errorCode) + ",\"" + drop.description + "\"\n";
        Write(line);
        return;
    }
    const GuideStepNumbers n = StepNumbers(frame, session_);
    line += ",\"Mount\"," + Fixed(n.dx, 3) + "," + Fixed(n.dy, 3) + "," + Fixed(n.raRaw, 3) + "," + Fixed(n.decRaw, 3) +
            "," + Fixed(n.raGuide, 3) + "," + Fixed(n.decGuide, 3) + "," + std::to_string(frame.pulses.ra.ms) + "," +
            Direction(frame.pulses.ra) + "," + std::to_string(frame.pulses.dec.ms) + "," + Direction(frame.pulses.dec) +
            ",,," + std::to_string(frame.population) + ",,0\n";
    Write(line);
}

void GuideLog::End()
{
    if (!inSession_) return;
    inSession_ = false;
    Write("Guiding Ends at " + Now() + "\n\n");
}

bool GuideLog::TakeFailure()
{
    if (!failed_ || failureTold_) return false;
    failureTold_ = true;
    return true;
}

}  // namespace nuvix
