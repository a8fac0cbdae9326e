#include "capture/PhotoSeries.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>

namespace nuvix {

namespace {
constexpr size_t kIntervalCharacters = 5;
constexpr int64_t kMsPerSecond = 1000;
constexpr int64_t kSecondsPerMinute = 60;
}  // namespace

int32_t SeriesUnitIndex(int32_t storedUnit)
{
    return storedUnit == kSeriesUnitMinutes ? kSeriesUnitMinutes : 0;
}

int32_t SeriesIntervalMs(int32_t value, int32_t storedUnit)
{
    const int64_t seconds = SeriesUnitIndex(storedUnit) == kSeriesUnitMinutes ? kSecondsPerMinute : 1;
    const int64_t ms = std::max<int64_t>(value, 0) * seconds * kMsPerSecond;
    return static_cast<int32_t>(std::min<int64_t>(ms, std::numeric_limits<int32_t>::max()));
}

int32_t ParseIntervalText(std::string_view text)
{
    text = text.substr(0, kIntervalCharacters);
    size_t start = 0;
    while (start < text.size() && std::isspace(static_cast<unsigned char>(text[start])))
        ++start;
    if (start < text.size() && text[start] == '+') ++start;
    int32_t value = 0;
    const char* first = text.data() + start;
    // A bare "-" or no digit at all leaves 0, as a failed conversion does.
    std::from_chars(first, text.data() + text.size(), value);
    return value;
}

std::string SeriesFileName(const std::string& basePath, int32_t n)
{
    // Only a dot in the file name marks an extension; one in a directory name is kept, and so
    // is the leading dot of a hidden file.
    const size_t nameStart = basePath.find_last_of('/') + 1;  // 0 without a slash
    const size_t dot = basePath.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && dot > nameStart;
    std::string name = hasExtension ? basePath.substr(0, dot) : basePath;
    if (n < 1000) name += " 0";
    if (n < 100) name += "0";
    if (n < 10) name += "0";
    return name + std::to_string(n) + ".bmp";
}

std::string FileTitle(const std::string& path)
{
    return path.substr(path.find_last_of('/') + 1);
}

}  // namespace nuvix
