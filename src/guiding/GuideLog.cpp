#include "guiding/GuideLog.h"

#include "guiding/GuideLogText.h"
#include "guiding/GuideStepNumbers.h"

#include <cmath>
#include <filesystem>
#include <system_error>
#include <type_traits>

namespace nuvix {

namespace {

constexpr const char* kColumns =
    "Frame,Time,mount,dx,dy,RARawDistance,DECRawDistance,RAGuideDistance,DECGuideDistance,RADuration,RADirection,"
    "DECDuration,DECDirection,XStep,YStep,StarMass,SNR,ErrorCode";
constexpr int kLongestPulseMs = 1000;

std::string Direction(const GuidePulse& pulse)
{
    return pulse.ms > 0 ? std::string(1, DirectionLetter(pulse.direction)) : std::string();
}

std::string Angle(const std::optional<double>& degrees)
{
    return degrees ? Fixed(*degrees, 1) : std::string("N/A");
}

}  // namespace

GuideLog::GuideLog(std::string path, std::string program, Clock& clock)
    : path_(std::move(path)), program_(std::move(program)), clock_(clock)
{
}

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
    if (fresh) Write(program_ + ", Log version 2.5. Log enabled at " + LogDate() + "\n\n");
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

void GuideLog::Hear(const GuidingEvent& event)
{
    std::visit(
        [this, &event](const auto& e) {
            using E = std::decay_t<decltype(e)>;
            if constexpr (std::is_same_v<E, GuidingBegun>) {
                Begin(e);
            } else if constexpr (std::is_same_v<E, GuideStep>) {
                Step(e);
            } else if constexpr (std::is_same_v<E, GuidingEnded>) {
                End();
            } else if constexpr (std::is_same_v<E, GuidingNote>) {
                Note(e);
            } else {
                Calibration(event);
            }
        },
        event);
}

void GuideLog::Begin(const GuidingBegun& begun)
{
    if (guiding_ || !Open()) return;
    session_ = begun;
    startMs_ = clock_.ElapsedMilliseconds();
    frameNumber_ = 0;
    guiding_ = true;
    const GuidingSetup& setup = begun.setup;
    std::string block = "Guiding Begins at " + LogDate() + "\n" + SetupLines(setup);
    block += "Mount = " + setup.mount + ", connected, guiding enabled, xAngle = " + Angle(begun.xAngleDegrees) +
             ", xRate = " + Fixed(begun.xRatePxPerSecond, 3) + ", yAngle = " + Angle(begun.yAngleDegrees) +
             ", yRate = " + Fixed(begun.yRatePxPerSecond, 3) + ", parity = " + (begun.invertRa ? "-" : "+") + "/" +
             (begun.invertDec ? "-" : "+") + "\n";
    for (const std::string& line : begun.algorithmLines)
        block += line + "\n";
    if (begun.algorithmLines.empty()) {
        block += "Max RA duration = " + std::to_string(kLongestPulseMs) +
                 ", Max DEC duration = " + std::to_string(kLongestPulseMs) + "\n";
    }
    block += "RA Guide Speed = " + Fixed(setup.raSpeed, 1) + " a-s/s, Dec Guide Speed = " + Fixed(setup.decSpeed, 1) +
             " a-s/s\n";
    block += "Lock position = " + Fixed(setup.lockX, 3) + ", " + Fixed(setup.lockY, 3) + "\n";
    block += std::string(kColumns) + "\n";
    Write(block);
}

void GuideLog::Step(const GuideStep& step)
{
    if (!guiding_) return;
    ++frameNumber_;
    const double seconds = MillisecondsSince(startMs_, clock_.ElapsedMilliseconds()) / 1000.0;
    std::string line = std::to_string(frameNumber_) + "," + Fixed(seconds, 3);
    if (step.lost || step.swamped) {
        // No mass, so that readers leave the frame out; the population goes in the description.
        const DroppedStar drop = DropOf(step.lost, step.population);
        line += ",\"DROP\",,,,,,,,,,,,,0," + Fixed(step.snr, 2) + "," + std::to_string(drop.errorCode) + ",\"" +
                drop.description + "\"\n";
        Write(line);
        return;
    }
    const FramePulses& p = step.pulses;
    line += ",\"Mount\"," + Fixed(step.dx, 3) + "," + Fixed(step.dy, 3) + "," + Fixed(step.raDistance, 3) + "," +
            Fixed(step.decDistance, 3) + "," + Fixed(step.raGuideDistance, 3) + "," + Fixed(step.decGuideDistance, 3) +
            "," + std::to_string(p.ra.ms) + "," + Direction(p.ra) + "," + std::to_string(p.dec.ms) + "," +
            Direction(p.dec) + ",,," + std::to_string(step.starMass) + "," + Fixed(step.snr, 2) + ",0\n";
    Write(line);
}

void GuideLog::End()
{
    if (!guiding_) return;
    guiding_ = false;
    Write("Guiding Ends at " + LogDate() + "\n\n");
}

void GuideLog::Calibration(const GuidingEvent& event)
{
    if (const auto* begun = std::get_if<CalibrationBegun>(&event)) {
        if (!Open()) return;
        calibrating_ = true;
        const GuidingSetup& setup = begun->setup;
        std::string block = "Calibration Begins at " + LogDate() + "\n" + SetupLines(setup);
        block += "Mount = " + setup.mount + ", Calibration Step = " + std::to_string(begun->stepMs) +
                 " ms, Calibration Distance = " + Fixed(begun->distancePx, 0) + " px, Assume orthogonal axes = no\n";
        block += "Star position = " + Fixed(setup.lockX, 3) + ", " + Fixed(setup.lockY, 3) + "\n";
        block += "Direction,Step,dx,dy,x,y,Dist\n";
        Write(block);
        return;
    }
    if (!calibrating_) return;
    if (const auto* step = std::get_if<CalibrationStep>(&event)) {
        Write(std::string(LegName(step->leg)) + "," + std::to_string(step->step) + "," + Fixed(step->dx, 3) + "," +
              Fixed(step->dy, 3) + "," + Fixed(step->x, 3) + "," + Fixed(step->y, 3) + "," + Fixed(step->distance, 3) +
              "\n");
    } else if (const auto* axis = std::get_if<CalibrationAxisDone>(&event)) {
        Write(std::string(LegName(axis->leg)) + " calibration complete. Angle = " + Fixed(axis->angleDegrees, 1) +
              " deg, Rate = " + Fixed(axis->ratePxPerSecond, 3) + " px/sec\n");
    } else if (const auto* ended = std::get_if<CalibrationEnded>(&event)) {
        calibrating_ = false;
        Write(ended->succeeded ? "Calibration complete, mount = " + ended->mount + ".\n\n"
                               : "Calibration failed: " + ended->reason + ".\n\n");
    }
}

void GuideLog::Note(const GuidingNote& note)
{
    if (!Open()) return;
    Write("INFO: " + note.text + "\n");
}

bool GuideLog::TakeFailure()
{
    if (!failed_ || failureTold_) return false;
    failureTold_ = true;
    return true;
}

}  // namespace nuvix
