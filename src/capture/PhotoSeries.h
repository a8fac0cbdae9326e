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
// below 1,000 and one more "0" below 100 and below 10, then n and ".bmp".
std::string SeriesFileName(const std::string& basePath, int32_t n);

// The name without its directories.
std::string FileTitle(const std::string& path);

}  // namespace nuvix
