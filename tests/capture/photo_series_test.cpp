#include "capture/PhotoSeries.h"
#include "params/TestFiles.h"

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
        // A FITS base name keeps its own extension.
        {"/obs/M42.fits", 3, "/obs/M42 0003.fits"},
        {"/obs/M42.FIT", 1000, "/obs/M421000.FIT"},
        {"/my.fits/M42.fts", 12, "/my.fits/M42 0012.fts"},
        {"/obs/M42.fits.bmp", 1, "/obs/M42.fits 0001.bmp"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SeriesFileName(c.base, c.n), c.expected);
}

// A new series under a name already used follows the pictures there, of its own kind only.
TEST(PhotoSeries, NextFreeNumberFollowsThePicturesOnDisk)
{
    testing::ScratchDir dir;
    for (const char* name :
         {"M42 0000.fits", "M42 0041.fits", "M42 0007.bmp", "M421234.bmp", "M42 0999.fit", "M42 00042.fits",
          "M42 042.fits", "M420043.fits", "M42 0500 copy.fits", "M43 0900.fits", "Lune 0003.fits"}) {
        testing::WriteAll(dir.File(name), {0});
    }
    const struct {
        const char* base;
        int32_t next;
    } cases[] = {
        {"M42.fits", 42}, {"M42.bmp", 1235}, {"M42", 1235}, {"M42.fit", 1000}, {"Lune.fits", 4}, {"Soleil.fits", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NextFreeSeriesNumber(dir.File(c.base)), c.next) << c.base;
    EXPECT_EQ(NextFreeSeriesNumber(dir.File("absent/M42.fits")), 0);
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
