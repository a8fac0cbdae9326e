#pragma once

#include "guiding/StarMeasurement.h"

#include <map>
#include <string>
#include <vector>

namespace nuvix {

// How the RA axis is guided: each frame's correction is the star's offset blended with the
// previous correction (hysteresis, against seeing), times the aggressiveness; offsets under the
// minimum move are left alone.
struct RaGuideSettings {
    double minMove = 0.15;         // pixels
    double aggressiveness = 70.0;  // per cent of the offset corrected
    double hysteresis = 10.0;      // per cent of the previous correction carried over
    int maxPulseMs = 1000;
};

// How the DEC axis is guided: corrections only toward the side the star has kept for
// `resistFrames` frames in a row, so that seeing does not rock the axis to and fro through its
// backlash; offsets under the minimum move are left alone.
struct DecGuideSettings {
    double minMove = 0.2;           // pixels
    double aggressiveness = 100.0;  // per cent
    int resistFrames = 3;
    int maxPulseMs = 1000;
};

struct GuideSettings {
    RaGuideSettings ra;
    DecGuideSettings dec;
    StarMeasurementSettings star;
};

// Every value brought into its sane range; a value that is not a number takes its default.
GuideSettings Clamped(const GuideSettings& settings);

// The settings as one group of an INI-style key file: key to text, numbers with "." whatever
// the locale.
using SettingsKeys = std::map<std::string, std::string>;
inline constexpr const char* kGuideSettingsGroup = "Guiding";
SettingsKeys GuideSettingsKeys(const GuideSettings& settings);

struct GuideSettingsRead {
    GuideSettings settings;
    // One line per key that could not be taken as it was (not a number, out of range), in plain
    // English for the log. A missing key takes its default without a word; unknown keys are
    // not read.
    std::vector<std::string> problems;
};
GuideSettingsRead ReadGuideSettings(const SettingsKeys& keys);

// The header lines of a guide log's session that name the algorithms and their values, in the
// layout the log viewers read.
std::vector<std::string> GuideAlgorithmLogLines(const GuideSettings& settings);

}  // namespace nuvix
