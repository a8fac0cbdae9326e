#pragma once

#include "platform/text/Translate.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace nuvix {

// The photo series' state that outlives its dialog. The picture number is the integration's
// frame count.
struct SeriesState {
    bool seriesRunning = false;
    int32_t seriesInterval = 0;     // milliseconds between two pictures
    int32_t lastPhotoTime = 0;      // clock milliseconds of the last picture
    bool photoDialogOpen = false;   // the dialog's counter is to be refreshed
    bool defaultSeriesName = true;  // no base name chosen in the file dialog yet
    std::string seriesPath;         // full path of the base name
    bool failureTold = false;       // this run's first failed picture has been reported
    bool lastPictureFailed = false;
    // The lowest number the next picture may have: past every picture of the base name already on
    // disk when the series started, and past the last one it took.
    int32_t nextNumber = 0;
};

// The interval units, as the dialog lists them.
inline constexpr std::array<const char*, 2> kSeriesUnitNames = {TrLater("Secondes"), TrLater("Minutes ")};
inline constexpr int32_t kSeriesUnitMinutes = 1;

// A stored unit other than minutes (a parameter file from elsewhere) counts as seconds.
int32_t SeriesUnitIndex(int32_t storedUnit);

// The interval in milliseconds. Negative values count as 0; an interval longer than 32-bit
// milliseconds can hold (about 24.8 days) is capped there.
int32_t SeriesIntervalMs(int32_t value, int32_t storedUnit);

// The interval as typed: the decimal integer at the start of the first five characters,
// 0 when there is none.
int32_t ParseIntervalText(std::string_view text);

// The file of picture n: the base name without the extension of its file name, then " 0"
// below 1,000 and one more "0" below 100 and below 10, then n and the series' extension.
std::string SeriesFileName(const std::string& basePath, int32_t n);

// Whether the base name asks for FITS pictures: its extension is .fits, .fit or .fts, in any case.
bool IsFitsName(const std::string& basePath);
// The pictures' extension: the base name's own for FITS, ".bmp" otherwise.
std::string SeriesExtension(const std::string& basePath);

// One past the highest number among the base name's pictures already in its directory (0 when
// there are none), so that a new series under the same name follows them in name order.
int32_t NextFreeSeriesNumber(const std::string& basePath);

// The name without its directories.
std::string FileTitle(const std::string& path);

}  // namespace nuvix
