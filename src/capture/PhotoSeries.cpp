#include "capture/PhotoSeries.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <optional>
#include <system_error>

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

namespace {

// Where the name of the base's file starts, and where its extension does (npos: none). Only a dot
// in the file name marks an extension; one in a directory name is kept, and so is the leading dot
// of a hidden file.
struct BaseParts {
    size_t nameStart;
    size_t dot;
};
BaseParts PartsOf(const std::string& basePath)
{
    const size_t nameStart = basePath.find_last_of('/') + 1;  // 0 without a slash
    const size_t dot = basePath.find_last_of('.');
    return {nameStart, dot != std::string::npos && dot > nameStart ? dot : std::string::npos};
}

std::string Lowercase(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The number of a series' file name once its base and extension are taken off: " 0" and three
// digits below 1,000, four digits or more from 1,000 on.
std::optional<int32_t> NumberIn(std::string_view middle)
{
    const bool padded = middle.size() == 5 && middle.substr(0, 2) == " 0";
    if (padded) middle.remove_prefix(1);
    if (middle.size() < 4 || (!padded && middle[0] == '0')) return std::nullopt;
    int32_t n = 0;
    const auto [end, error] = std::from_chars(middle.data(), middle.data() + middle.size(), n);
    if (error != std::errc{} || end != middle.data() + middle.size()) return std::nullopt;
    return n;
}

}  // namespace

bool IsFitsName(const std::string& basePath)
{
    const BaseParts parts = PartsOf(basePath);
    if (parts.dot == std::string::npos) return false;
    const std::string extension = Lowercase(basePath.substr(parts.dot));
    return extension == ".fits" || extension == ".fit" || extension == ".fts";
}

std::string SeriesFileName(const std::string& basePath, int32_t n)
{
    const BaseParts parts = PartsOf(basePath);
    std::string name = basePath.substr(0, parts.dot);
    if (n < 1000) name += " 0";
    if (n < 100) name += "0";
    if (n < 10) name += "0";
    return name + std::to_string(n) + SeriesExtension(basePath);
}

std::string SeriesExtension(const std::string& basePath)
{
    return IsFitsName(basePath) ? basePath.substr(PartsOf(basePath).dot) : std::string(".bmp");
}

int32_t NextFreeSeriesNumber(const std::string& basePath)
{
    const BaseParts parts = PartsOf(basePath);
    const std::filesystem::path directory = parts.nameStart == 0 ? "." : basePath.substr(0, parts.nameStart);
    const std::string stem = basePath.substr(parts.nameStart, parts.dot - std::min(parts.dot, parts.nameStart));
    const std::string extension = SeriesExtension(basePath);
    int32_t next = 0;
    std::error_code error;
    for (std::filesystem::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.size() <= stem.size() + extension.size() || !name.starts_with(stem) || !name.ends_with(extension)) {
            continue;
        }
        const std::string_view middle =
            std::string_view(name).substr(stem.size(), name.size() - stem.size() - extension.size());
        if (const std::optional<int32_t> n = NumberIn(middle); n && *n < INT32_MAX) next = std::max(next, *n + 1);
    }
    return next;
}

std::string FileTitle(const std::string& path)
{
    return path.substr(path.find_last_of('/') + 1);
}

}  // namespace nuvix
