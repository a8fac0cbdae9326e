#include "capture/PhotoSeries.h"

#include <gtest/gtest.h>

#include <limits>

namespace nuvix {
namespace {

TEST(PhotoSeries, FileNames)
{
    const struct {
        const char* base;
        int32_t n;
        const char* expected;
    } cases[] = {
        {"/obs/Capture.bmp", 3, "/obs/Capture 0003.bmp"},
        {"/obs/Capture.bmp", 42, "/obs/Capture 0042.bmp"},
        {"/obs/Capture.bmp", 999, "/obs/Capture 0999.bmp"},
        {"/obs/Capture.bmp", 1000, "/obs/Capture1000.bmp"},
        // Only the file name's extension is cut: dots in directories stay where they are.
        {"/my.data/shot.bmp", 0, "/my.data/shot 0000.bmp"},
        {"/u/night.2026/M42", 7, "/u/night.2026/M42 0007.bmp"},
        {"/u/.nuvix/shot.v2.bmp", 12, "/u/.nuvix/shot.v2 0012.bmp"},
        {"/u/.hidden", 1, "/u/.hidden 0001.bmp"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SeriesFileName(c.base, c.n), c.expected);
}

// The integer at the start of the first five characters typed, in the stored unit.
TEST(PhotoSeries, IntervalAsTyped)
{
    const struct {
        const char* typed;
        int32_t unit, expectedMs;
    } cases[] = {
        {"2", 1, 120'000},
        {"abc", 0, 0},
        {"12ab", 0, 12'000},
        {"    12", 0, 1'000},
        {"123456", 0, 12'345'000},
        {"-5", 0, 0},
        {"35791", 1, 2'147'460'000},
        {"35792", 1, std::numeric_limits<int32_t>::max()},
        {"7", 2, 7'000},  // a unit from elsewhere counts as seconds
    };
    for (const auto& c : cases)
        EXPECT_EQ(SeriesIntervalMs(ParseIntervalText(c.typed), c.unit), c.expectedMs) << c.typed << " " << c.unit;
}

}  // namespace
}  // namespace nuvix
