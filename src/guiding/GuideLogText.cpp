#include "guiding/GuideLogText.h"

#include <charconv>
#include <ctime>
#include <system_error>

namespace nuvix {

std::string Fixed(double value, int decimals)
{
    char text[64];
    value += 0.0;  // no "-0.000"
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    std::string out = result.ec == std::errc{} ? std::string(text, result.ptr) : std::string("0");
    // A value that rounds to zero from below.
    if (out.starts_with("-") && out.find_first_not_of("-0.") == std::string::npos) out.erase(0, 1);
    return out;
}

std::string LogDate()
{
    const std::time_t now = std::time(nullptr);
    char text[32] = "";
    if (const std::tm* local = std::localtime(&now)) std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", local);
    return text;
}

std::string SetupLines(const GuidingSetup& setup)
{
    std::string lines = "Camera = " + setup.camera + "\n";
    lines += "Exposure = " + Fixed(setup.exposureMs, 0) + " ms\n";
    lines += "Pixel scale = " + Fixed(setup.arcsecPerPixel, 2) +
             " arc-sec/px, Binning = 1, Focal length = " + Fixed(setup.focalLengthMm, 0) + " mm\n";
    if (setup.pointing) {
        const MountPointing& p = *setup.pointing;
        lines += "RA = " + Fixed(p.raHours, 2) + " hr, Dec = " + Fixed(p.decDegrees, 1) +
                 " deg, Hour angle = " + (p.hourAngleHours ? Fixed(*p.hourAngleHours, 2) + " hr" : std::string("N/A")) +
                 ", Pier side = " + PierSideName(setup.pierSide) + "\n";
    }
    return lines;
}

}  // namespace nuvix
