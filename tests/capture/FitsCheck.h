#pragma once

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace nuvix::testing {

// What a command printed, its errors included.
inline std::string Output(const std::string& command)
{
    const std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen((command + " 2>&1").c_str(), "r"), pclose);
    std::string text;
    char chunk[65536];
    while (pipe && std::fgets(chunk, sizeof chunk, pipe.get()))
        text += chunk;
    return text;
}

// "OK" when Debian's fitsverify finds neither error nor warning; its whole report otherwise.
inline std::string Fitsverify(const std::string& path)
{
    const std::string quoted = "'" + path + "'";
    return Output("fitsverify -q " + quoted).starts_with("verification OK") ? "OK" : Output("fitsverify " + quoted);
}

// One HDU as astropy reads it: its cards by keyword (as Python prints the values, strings without
// quotes; DATE-MS is DATE-OBS in milliseconds since 1970), its pixels bottom row first.
struct AstropyHdu {
    std::map<std::string, std::string> cards;
    std::vector<double> pixels;

    // "KEY=value" for each keyword, space separated; "KEY=?" for one the header lacks.
    std::string Cards(const std::vector<std::string>& keywords) const
    {
        std::string text;
        for (const std::string& k : keywords)
            text += (text.empty() ? "" : " ") + k + "=" + (cards.count(k) ? cards.at(k) : "?");
        return text;
    }
    double Number(const std::string& keyword) const { return cards.count(keyword) ? std::stod(cards.at(keyword)) : -1; }
};

struct AstropyReading {
    std::vector<AstropyHdu> hdus;
    std::string complaints;  // astropy's warnings about the file
    std::string output;      // all it printed, for a failure's message
};

// Debian's astropy, through the system's Python (not whichever python3 comes first on the PATH).
inline AstropyReading ReadWithAstropy(const std::string& path)
{
    AstropyReading reading;
    reading.output = Output("/usr/bin/python3 '" NUVIX_READ_FITS "' '" + path + "'");
    std::istringstream lines(reading.output);
    for (std::string line; std::getline(lines, line);) {
        const size_t tab = line.find('\t');
        if (line.starts_with("HDU ")) reading.hdus.emplace_back();
        if (reading.hdus.empty()) continue;
        AstropyHdu& hdu = reading.hdus.back();
        if (line.starts_with("CARD ") && tab != std::string::npos)
            hdu.cards[line.substr(5, tab - 5)] = line.substr(tab + 1);
        if (line.starts_with("VERIFY")) reading.complaints = line.substr(std::min<size_t>(line.size(), 7));
        if (!line.starts_with("PIXELS ")) continue;
        std::istringstream values(line.substr(7));
        for (double v = 0; values >> v;)
            hdu.pixels.push_back(v);
    }
    return reading;
}

}  // namespace nuvix::testing
