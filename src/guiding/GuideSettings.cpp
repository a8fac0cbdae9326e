#include "guiding/GuideSettings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <type_traits>

namespace nuvix {

namespace {

// One setting: its key, its sane range, and how it is read from and written into the struct.
struct Key {
    const char* name;
    double low;
    double high;
    bool whole;
    double (*get)(const GuideSettings&);
    void (*set)(GuideSettings&, double);
};

template <auto Group, auto Field>
Key MakeKey(const char* name, double low, double high)
{
    using Value = std::remove_cvref_t<decltype(GuideSettings{}.*Group.*Field)>;
    return {name,
            low,
            high,
            std::is_integral_v<Value>,
            [](const GuideSettings& s) { return static_cast<double>(s.*Group.*Field); },
            [](GuideSettings& s, double v) { (s.*Group).*Field = static_cast<Value>(v); }};
}

// Beyond these the guiding makes no sense: a correction of the whole offset and more, a minimum
// move larger than any useful star offset, a hysteresis that never lets the offset count, a
// pulse longer than frames are apart.
const Key kKeys[] = {
    MakeKey<&GuideSettings::ra, &RaGuideSettings::minMove>("RaMinMove", 0.0, 5.0),
    MakeKey<&GuideSettings::ra, &RaGuideSettings::aggressiveness>("RaAggressiveness", 0.0, 100.0),
    MakeKey<&GuideSettings::ra, &RaGuideSettings::hysteresis>("RaHysteresis", 0.0, 90.0),
    MakeKey<&GuideSettings::ra, &RaGuideSettings::maxPulseMs>("RaMaxPulse", 10.0, 5000.0),
    MakeKey<&GuideSettings::dec, &DecGuideSettings::minMove>("DecMinMove", 0.0, 5.0),
    MakeKey<&GuideSettings::dec, &DecGuideSettings::aggressiveness>("DecAggressiveness", 0.0, 100.0),
    MakeKey<&GuideSettings::dec, &DecGuideSettings::resistFrames>("DecResistFrames", 1.0, 10.0),
    MakeKey<&GuideSettings::dec, &DecGuideSettings::maxPulseMs>("DecMaxPulse", 10.0, 5000.0),
    MakeKey<&GuideSettings::star, &StarMeasurementSettings::minSnr>("MinSnr", 3.0, 100.0),
    MakeKey<&GuideSettings::star, &StarMeasurementSettings::minHfd>("MinHfd", 0.0, 10.0),
};

double Sane(const Key& key, double value)
{
    if (!std::isfinite(value)) return key.get(GuideSettings{});
    value = std::clamp(value, key.low, key.high);
    return key.whole ? std::round(value) : value;
}

// The shortest text that reads back as the same number, or with `decimals` fixed decimals.
std::string NumberText(double value, int decimals = -1)
{
    char text[64];
    const auto result = decimals < 0
                            ? std::to_chars(text, text + sizeof text, value)
                            : std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return std::string(text, result.ptr);
}

// The whole text as one decimal number, blanks around it allowed.
std::optional<double> ReadNumber(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::nullopt;
    const size_t last = text.find_last_not_of(" \t");
    double value = 0.0;
    const char* end = text.data() + last + 1;
    const auto result = std::from_chars(text.data() + first, end, value);
    if (result.ec != std::errc{} || result.ptr != end) return std::nullopt;
    return value;
}

}  // namespace

GuideSettings Clamped(const GuideSettings& settings)
{
    GuideSettings sane = settings;
    for (const Key& key : kKeys)
        key.set(sane, Sane(key, key.get(settings)));
    return sane;
}

SettingsKeys GuideSettingsKeys(const GuideSettings& settings)
{
    SettingsKeys keys;
    for (const Key& key : kKeys)
        keys[key.name] = NumberText(key.get(settings));
    return keys;
}

GuideSettingsRead ReadGuideSettings(const SettingsKeys& keys)
{
    GuideSettingsRead read;
    for (const Key& key : kKeys) {
        const auto found = keys.find(key.name);
        if (found == keys.end()) continue;
        const std::optional<double> value = ReadNumber(found->second);
        const double sane = value ? Sane(key, *value) : key.get(read.settings);
        if (!value || sane != *value) {
            read.problems.push_back(std::string(key.name) + " = \"" + found->second + "\" is not a number from " +
                                    NumberText(key.low) + " to " + NumberText(key.high) + ": " + NumberText(sane) +
                                    " taken");
        }
        key.set(read.settings, sane);
    }
    return read;
}

std::vector<std::string> GuideAlgorithmLogLines(const GuideSettings& settings)
{
    const GuideSettings s = Clamped(settings);
    return {
        "X guide algorithm = Hysteresis, Hysteresis = " + NumberText(s.ra.hysteresis / 100.0, 3) + ", Aggression = " +
            NumberText(s.ra.aggressiveness / 100.0, 3) + ", Minimum move = " + NumberText(s.ra.minMove, 3),
        // The viewers read this line's aggression in per cent, without a comma before it.
        "Y guide algorithm = Resist Switch, Minimum move = " + NumberText(s.dec.minMove, 3) +
            " Aggression = " + NumberText(s.dec.aggressiveness, 0) + "% FastSwitch = disabled",
        "Max RA duration = " + NumberText(s.ra.maxPulseMs) + ", Max DEC duration = " + NumberText(s.dec.maxPulseMs) +
            ", DEC guide mode = Auto",
    };
}

}  // namespace nuvix
