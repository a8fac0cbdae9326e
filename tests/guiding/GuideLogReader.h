#pragma once

// A reader of the guide-log text format that PHD2 introduced (log version 2.5), written from its
// public description: a version line, then sessions that open with "Guiding Begins at" and a
// date, "Key = value" header lines up to the column header, one comma-separated line of 18
// columns per frame (a quoted description may follow), optional "INFO: " lines, and an end at
// "Guiding Ends at" or a blank line. A frame with an error code and no star mass is dropped.

#include <cmath>
#include <istream>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace nuvix::testing {

inline constexpr const char* kGuideColumns =
    "Frame,Time,mount,dx,dy,RARawDistance,DECRawDistance,RAGuideDistance,DECGuideDistance,RADuration,RADirection,"
    "DECDuration,DECDirection,XStep,YStep,StarMass,SNR,ErrorCode";

struct GuideEntry {
    int frame = 0;
    double time = 0.0;
    std::string mount;  // "Mount" or "DROP"
    double dx = 0, dy = 0, raRaw = 0, decRaw = 0, raGuide = 0, decGuide = 0;
    int raMs = 0;
    std::string raDirection;
    int decMs = 0;
    std::string decDirection;
    int mass = 0;
    int error = 0;
    std::string info;
    bool Dropped() const { return error != 0 && mass == 0; }
};

struct GuideSession {
    std::string begins;  // the date after "Guiding Begins at "
    std::string ends;
    std::map<std::string, std::string> header;  // every "Key = value" of the header lines
    std::vector<GuideEntry> entries;
    std::vector<std::string> infos;

    // Root mean square of the raw distances over the frames kept, in pixels.
    double Rms(bool ra) const
    {
        double squares = 0.0;
        int n = 0;
        for (const GuideEntry& e : entries) {
            if (e.Dropped()) continue;
            const double d = ra ? e.raRaw : e.decRaw;
            squares += d * d;
            ++n;
        }
        return n ? std::sqrt(squares / n) : 0.0;
    }
};

struct GuideLogText {
    std::string versionLine;
    std::vector<GuideSession> sessions;
    std::vector<std::string> problems;  // lines that break the format
};

namespace detail {

inline std::vector<std::string> SplitCsv(const std::string& line)
{
    std::vector<std::string> fields;
    std::string field;
    bool quoted = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            field += c;
        } else if (c == ',' && !quoted) {
            fields.push_back(field);
            field.clear();
        } else {
            field += c;
        }
    }
    fields.push_back(field);
    return fields;
}

inline std::string Unquoted(const std::string& text)
{
    return text.size() >= 2 && text.front() == '"' && text.back() == '"' ? text.substr(1, text.size() - 2) : text;
}

inline std::optional<double> Number(const std::string& text)
{
    if (text.empty()) return 0.0;
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    double value = 0;
    if (!(in >> value) || !in.eof()) return std::nullopt;
    return value;
}

inline std::optional<GuideEntry> ParseEntry(const std::string& line)
{
    const std::vector<std::string> f = SplitCsv(line);
    if (f.size() != 18 && f.size() != 19) return std::nullopt;
    GuideEntry e;
    e.mount = Unquoted(f[2]);
    if (e.mount != "Mount" && e.mount != "DROP") return std::nullopt;
    double* numbers[] = {&e.dx, &e.dy, &e.raRaw, &e.decRaw, &e.raGuide, &e.decGuide};
    for (int i = 0; i < 6; ++i) {
        const auto v = Number(f[static_cast<size_t>(3 + i)]);
        if (!v) return std::nullopt;
        *numbers[i] = *v;
    }
    const auto frame = Number(f[0]), time = Number(f[1]), raMs = Number(f[9]), decMs = Number(f[11]),
               mass = Number(f[15]), snr = Number(f[16]), error = Number(f[17]);
    if (!frame || !time || !raMs || !decMs || !mass || !snr || !error || f[0].empty() || f[1].empty()) {
        return std::nullopt;
    }
    e.frame = static_cast<int>(*frame);
    e.time = *time;
    e.raMs = static_cast<int>(*raMs);
    e.decMs = static_cast<int>(*decMs);
    e.raDirection = f[10];
    e.decDirection = f[12];
    const bool directionsKnown = (e.raDirection.empty() || e.raDirection == "E" || e.raDirection == "W") &&
                                 (e.decDirection.empty() || e.decDirection == "N" || e.decDirection == "S");
    // A duration goes with a direction.
    if (!directionsKnown || (e.raMs > 0) != !e.raDirection.empty() || (e.decMs > 0) != !e.decDirection.empty()) {
        return std::nullopt;
    }
    e.mass = static_cast<int>(*mass);
    e.error = static_cast<int>(*error);
    if (f.size() == 19) e.info = Unquoted(f[18]);
    return e;
}

inline void ParseHeader(const std::string& line, std::map<std::string, std::string>& header)
{
    std::string rest = line;
    for (;;) {
        const size_t comma = rest.find(", ");
        const std::string part = rest.substr(0, comma);
        const size_t equals = part.find(" = ");
        if (equals != std::string::npos) header[part.substr(0, equals)] = part.substr(equals + 3);
        if (comma == std::string::npos) break;
        rest = rest.substr(comma + 2);
    }
}

}  // namespace detail

inline GuideLogText ReadGuideLog(std::istream& in)
{
    static const std::regex kDate(R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2})");
    enum class At { Outside, Header, Frames } at = At::Outside;
    GuideLogText log;
    std::string line;
    bool first = true;
    while (std::getline(in, line)) {
        if (first) {
            log.versionLine = line;
            first = false;
            continue;
        }
        if (at == At::Outside) {
            if (line.rfind("Guiding Begins at ", 0) == 0) {
                log.sessions.emplace_back().begins = line.substr(18);
                if (!std::regex_match(log.sessions.back().begins, kDate)) log.problems.push_back(line);
                at = At::Header;
            } else if (!line.empty()) {
                log.problems.push_back(line);
            }
        } else if (at == At::Header) {
            if (line == kGuideColumns) {
                at = At::Frames;
            } else if (line.empty()) {
                log.problems.push_back("header without columns");
                at = At::Outside;
            } else {
                detail::ParseHeader(line, log.sessions.back().header);
            }
        } else if (line.empty() || line.rfind("Guiding Ends at ", 0) == 0) {
            if (!line.empty()) log.sessions.back().ends = line.substr(16);
            at = At::Outside;
        } else if (line.rfind("INFO: ", 0) == 0) {
            log.sessions.back().infos.push_back(line.substr(6));
        } else if (auto entry = detail::ParseEntry(line)) {
            log.sessions.back().entries.push_back(*entry);
        } else {
            log.problems.push_back(line);
        }
    }
    return log;
}

}  // namespace nuvix::testing
