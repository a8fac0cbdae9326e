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
        {"/obs/Capture.bmp", 0, "/obs/Capture 0000.bmp"},
        {"/obs/Capture.bmp", 3, "/obs/Capture 0003.bmp"},
        {"/obs/Capture.bmp", 42, "/obs/Capture 0042.bmp"},
        {"/obs/Capture.bmp", 100, "/obs/Capture 0100.bmp"},
        {"/obs/Capture.bmp", 999, "/obs/Capture 0999.bmp"},
        {"/obs/Capture.bmp", 1000, "/obs/Capture1000.bmp"},
        {"/obs/Capture.bmp", 123456, "/obs/Capture123456.bmp"},
        // Only the file name's extension is cut: dots in directories stay where they are.
        {"/my.data/shot.bmp", 0, "/my.data/shot 0000.bmp"},
        {"/home/u/night.2026/M42", 7, "/home/u/night.2026/M42 0007.bmp"},
        {"/home/u/.nuvix/shot.v2.bmp", 12, "/home/u/.nuvix/shot.v2 0012.bmp"},
        {"/home/u/.hidden", 1, "/home/u/.hidden 0001.bmp"},
        {"Capture.bmp", 5, "Capture 0005.bmp"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SeriesFileName(c.base, c.n), c.expected) << c.base << " " << c.n;
}

TEST(PhotoSeries, IntervalInMilliseconds)
{
    constexpr int32_t kLongest = std::numeric_limits<int32_t>::max();
    const struct {
        int32_t value;
        int32_t unit;
        int32_t expected;
    } cases[] = {
        {10, 0, 10'000},
        {2, 1, 120'000},
        {0, 1, 0},
        {-5, 0, 0},
        {99'999, 0, 99'999'000},
        {35'791, 1, 2'147'460'000},  // the longest that fits
        {35'792, 1, kLongest},
        {99'999, 1, kLongest},
        {7, 2, 7'000},  // a unit from elsewhere counts as seconds
        {7, -1, 7'000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SeriesIntervalMs(c.value, c.unit), c.expected) << c.value << " unit " << c.unit;
}

TEST(PhotoSeries, TypedInterval)
{
    const struct {
        const char* typed;
        int32_t expected;
    } cases[] = {
        {"10", 10}, {"", 0},  {"abc", 0}, {"12ab", 12},     {"  7", 7},        {"+3", 3},
        {"-4", -4}, {"-", 0}, {"1 2", 1}, {"99999", 99999}, {"123456", 12345}, {"    12", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseIntervalText(c.typed), c.expected) << '"' << c.typed << '"';
}

}  // namespace
}  // namespace nuvix
