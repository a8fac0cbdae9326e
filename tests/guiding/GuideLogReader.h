#pragma once

// A reader of the guide-log text format that PHD2 introduced (log version 2.5), written from its
// public description: a version line, then sessions that open with "Guiding Begins at" and a
// date, "Key = value, ..." header lines up to the column header, one comma-separated line of 18
// columns per frame (a quoted description may follow), optional "INFO: " lines, and an end at
// "Guiding Ends at" or a blank line. A frame with an error code and no star mass is dropped.
// Calibration sections open with "Calibration Begins at", header lines up to
// "Direction,Step,dx,dy,x,y,Dist", one line per step, "<Direction> calibration complete. Angle =
// ... deg, Rate = ... px/sec" per axis, and end at "Calibration complete, mount = ..." or
// "Calibration failed: ...". "INFO: " lines may stand anywhere.

#include <cmath>
#include <cstdlib>
#include <istream>
#include <map>
#include <regex>
#include <string>
#include <utility>
#include <vector>

namespace nuvix::testing {

inline constexpr const char* kGuideColumns =
    "Frame,Time,mount,dx,dy,RARawDistance,DECRawDistance,RAGuideDistance,DECGuideDistance,RADuration,RADirection,"
    "DECDuration,DECDirection,XStep,YStep,StarMass,SNR,ErrorCode";

struct GuideEntry {
    double raRaw = 0, decRaw = 0;
    int raMs = 0, decMs = 0, mass = 0, error = 0;
    bool Dropped() const { return error != 0 && mass == 0; }
};

struct GuideSession {
    std::string ends;                           // the date after "Guiding Ends at "
    std::map<std::string, std::string> header;  // every "Key = value" of the header lines
    std::vector<GuideEntry> entries;

    // Root mean square of the raw distances over the frames kept, in pixels.
    double Rms(bool ra) const
    {
        double squares = 0.0;
        int n = 0;
        for (const GuideEntry& e : entries) {
            if (e.Dropped()) continue;
            squares += ra ? e.raRaw * e.raRaw : e.decRaw * e.decRaw;
            ++n;
        }
        return n ? std::sqrt(squares / n) : 0.0;
    }
};

struct CalibrationSection {
    std::map<std::string, std::string> header;
    std::map<std::string, int> steps;                       // per direction
    std::map<std::string, std::pair<double, double>> axes;  // direction: angle in degrees, rate in px/s
    std::string end;                                        // the closing line
};

struct GuideLogText {
    std::string versionLine;
    std::vector<GuideSession> sessions;
    std::vector<CalibrationSection> calibrations;
    std::vector<std::string> infos;     // the text after "INFO: "
    std::vector<std::string> problems;  // lines that break the format
};

namespace detail {

// A number column (empty reads 0); false when it is something else.
inline bool Number(const std::string& text, double& value)
{
    char* end = nullptr;
    value = text.empty() ? 0.0 : std::strtod(text.c_str(), &end);
    return text.empty() || *end == '\0';
}

inline bool ParseEntry(const std::string& line, GuideEntry& e)
{
    static const std::regex kEntry(
        R"re(([1-9]\d*),([\d.]+),"(Mount|DROP)",([^,]*),([^,]*),([^,]*),([^,]*),([^,]*),([^,]*),(\d*),([EW]?),(\d*),([NS]?),([^,]*),([^,]*),(\d*),([^,]*),(\d+)(,"[^"]*")?)re");
    std::smatch m;
    if (!std::regex_match(line, m, kEntry)) return false;
    double v[19] = {};
    for (int i : {4, 5, 6, 7, 8, 9, 10, 12, 14, 15, 16, 17, 18}) {
        if (!Number(m[i].str(), v[i])) return false;
    }
    // A duration goes with a direction.
    if ((v[10] > 0) != (m[11].length() > 0) || (v[12] > 0) != (m[13].length() > 0)) return false;
    e = {
        v[6], v[7], static_cast<int>(v[10]), static_cast<int>(v[12]), static_cast<int>(v[16]), static_cast<int>(v[18])};
    return true;
}

}  // namespace detail

inline GuideLogText ReadGuideLog(std::istream& in)
{
    static const std::regex kDate(R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2})");
    static const std::regex kHeaderPair(R"(\s*([^,=]+?) = ([^,]*))");
    static const std::regex kStep(R"((West|East|Backlash|North|South),\d+(,-?[\d.]+){5})");
    static const std::regex kAxis(
        R"((West|North) calibration complete\. Angle = (-?[\d.]+) deg, Rate = ([\d.]+) px/sec)");
    enum class At { Outside, Header, Frames, CalibrationHeader, Calibration } at = At::Outside;
    GuideLogText log;
    std::string line;
    std::smatch m;
    std::getline(in, log.versionLine);
    const auto header = [&](std::map<std::string, std::string>& into) {
        for (std::sregex_iterator p(line.begin(), line.end(), kHeaderPair), end; p != end; ++p)
            into[(*p)[1].str()] = (*p)[2].str();
    };
    while (std::getline(in, line)) {
        if (line.rfind("INFO: ", 0) == 0) {
            log.infos.push_back(line.substr(6));
        } else if (at == At::Outside) {
            const bool guiding = line.rfind("Guiding Begins at ", 0) == 0;
            const bool calibration = line.rfind("Calibration Begins at ", 0) == 0;
            if (guiding) log.sessions.emplace_back();
            if (calibration) log.calibrations.emplace_back();
            const size_t date = guiding ? 18 : 22;
            if ((guiding || calibration) ? !std::regex_match(line.substr(date), kDate) : !line.empty()) {
                log.problems.push_back(line);
            }
            if (guiding) at = At::Header;
            if (calibration) at = At::CalibrationHeader;
        } else if (at == At::Header) {
            if (line == kGuideColumns) at = At::Frames;
            header(log.sessions.back().header);
        } else if (at == At::CalibrationHeader) {
            if (line == "Direction,Step,dx,dy,x,y,Dist") at = At::Calibration;
            header(log.calibrations.back().header);
        } else if (at == At::Calibration) {
            CalibrationSection& c = log.calibrations.back();
            if (std::regex_match(line, m, kStep)) {
                ++c.steps[m[1].str()];
            } else if (std::regex_match(line, m, kAxis)) {
                c.axes[m[1].str()] = {std::stod(m[2].str()), std::stod(m[3].str())};
            } else if (line.rfind("Calibration complete, mount = ", 0) == 0 ||
                       line.rfind("Calibration failed: ", 0) == 0) {
                c.end = line;
                at = At::Outside;
            } else {
                log.problems.push_back(line);
            }
        } else if (line.empty() || line.rfind("Guiding Ends at ", 0) == 0) {
            if (!line.empty()) log.sessions.back().ends = line.substr(16);
            at = At::Outside;
        } else if (GuideEntry e; detail::ParseEntry(line, e)) {
            log.sessions.back().entries.push_back(e);
        } else {
            log.problems.push_back(line);
        }
    }
    return log;
}

}  // namespace nuvix::testing
