#pragma once

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace nuvix::testing {

// What a command printed on its standard output and error.
inline std::string Output(const std::string& command)
{
    const std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen((command + " 2>&1").c_str(), "r"), pclose);
    std::string text;
    char chunk[65536];
    while (pipe && std::fgets(chunk, sizeof chunk, pipe.get()))
        text += chunk;
    return text;
}

inline std::string Quoted(const std::string& path)
{
    return "'" + path + "'";
}

// fitsverify's summary line, "verification OK: ..." or the count of errors and warnings; the
// whole report when it is not OK.
inline std::string Fitsverify(const std::string& path)
{
    const std::string summary = Output("fitsverify -q " + Quoted(path));
    if (summary.rfind("verification OK", 0) == 0) return "OK";
    return summary + Output("fitsverify " + Quoted(path));
}

// One HDU as astropy reads it: header cards by keyword (values as Python prints them, strings
// without quotes), pixels bottom row first.
struct AstropyHdu {
    int width = 0;
    int height = 0;
    std::map<std::string, std::string> cards;
    std::vector<double> pixels;
    double Number(const std::string& keyword) const
    {
        const auto card = cards.find(keyword);
        return card == cards.end() ? -1e300 : std::strtod(card->second.c_str(), nullptr);
    }
};

struct AstropyReading {
    std::vector<AstropyHdu> hdus;
    std::string complaints;  // astropy's warnings about the file; empty when none
    std::string output;      // everything it printed, for a failure's message
};

// Debian's astropy, through the system's Python (not whichever python3 comes first on the PATH).
inline AstropyReading ReadWithAstropy(const std::string& path)
{
    AstropyReading reading;
    reading.output = Output("/usr/bin/python3 " + Quoted(NUVIX_READ_FITS) + " " + Quoted(path));
    std::istringstream lines(reading.output);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("HDU ", 0) == 0) {
            AstropyHdu& hdu = reading.hdus.emplace_back();
            std::istringstream(line.substr(4)) >> hdu.width >> hdu.height;
        } else if (line.rfind("CARD ", 0) == 0 && !reading.hdus.empty()) {
            const size_t tab = line.find('\t');
            if (tab != std::string::npos) reading.hdus.back().cards[line.substr(5, tab - 5)] = line.substr(tab + 1);
        } else if (line.rfind("PIXELS ", 0) == 0 && !reading.hdus.empty()) {
            const char* text = line.c_str() + 7;
            char* end = nullptr;
            for (double v = std::strtod(text, &end); end != text; v = std::strtod(text, &end)) {
                reading.hdus.back().pixels.push_back(v);
                text = end;
            }
        } else if (line.rfind("VERIFY", 0) == 0) {
            reading.complaints = line.size() > 7 ? line.substr(7) : "";
        }
    }
    return reading;
}

}  // namespace nuvix::testing
