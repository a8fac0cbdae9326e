#include "sim/SimFaults.h"

#include <array>
#include <charconv>
#include <cmath>

namespace nuvix::sim {

namespace {

// About a year: longer plans are typing errors, and the sums stay far from overflow.
constexpr int64_t kLongestMs = 366LL * 24 * 3600 * 1000;

struct Unit {
    std::string_view suffix;
    int64_t ms;
};
// "ms" before "s", so that the longer suffix is tried first.
constexpr std::array<Unit, 3> kUnits = {{{"ms", 1}, {"min", 60'000}, {"s", 1000}}};

std::optional<int64_t> ParseDuration(std::string_view text)
{
    for (const Unit& unit : kUnits) {
        if (text.size() <= unit.suffix.size() || !text.ends_with(unit.suffix)) continue;
        const std::string_view digits = text.substr(0, text.size() - unit.suffix.size());
        int64_t value = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (error != std::errc() || end != digits.data() + digits.size() || value < 0) return std::nullopt;
        if (value > kLongestMs / unit.ms) return std::nullopt;
        return value * unit.ms;
    }
    return std::nullopt;
}

// Degrees of the camera's turn: a plain decimal number, at most one full turn either way.
std::optional<double> ParseDegrees(std::string_view text)
{
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
    if (std::abs(value) > 360.0) return std::nullopt;
    return value;
}

std::optional<int64_t>* Field(SimFaultPlan& plan, std::string_view key)
{
    if (key == "unplug-after") return &plan.unplugAtMs;
    if (key == "replug-after") return &plan.replugAtMs;
    if (key == "ra-stuck-after") return &plan.raJammedAtMs;
    if (key == "dec-stuck-after") return &plan.decJammedAtMs;
    return nullptr;
}

SimFaultParse Failure(std::string error)
{
    return {std::nullopt, std::move(error)};
}

// Names the key in quotes. Appended piece by piece: GCC 12 warns falsely about "'" + key + "'".
SimFaultParse Failure(std::string_view before, std::string_view key, std::string_view after)
{
    std::string error(before);
    error.append("'").append(key).append("'").append(after);
    return Failure(std::move(error));
}

}  // namespace

SimFaultParse ParseSimFaults(std::string_view text)
{
    SimFaultPlan plan;
    bool angleGiven = false;
    while (!text.empty()) {
        const size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
        if (comma != std::string_view::npos && text.empty())
            return Failure(std::string("a fault is missing after the last ','"));

        const size_t equals = item.find('=');
        const std::string_view key = item.substr(0, equals);
        const std::string_view value = equals == std::string_view::npos ? std::string_view{} : item.substr(equals + 1);
        if (key == "camera-mirror") {
            if (equals != std::string_view::npos) return Failure("", key, " takes no value");
            if (plan.cameraMirrored) return Failure("", key, " is given twice");
            plan.cameraMirrored = true;
            continue;
        }
        if (key == "camera-angle") {
            if (angleGiven) return Failure("", key, " is given twice");
            const std::optional<double> degrees = equals == std::string_view::npos ? std::nullopt : ParseDegrees(value);
            if (!degrees) return Failure("", key, " needs degrees from -360 to 360, such as 35 or -12.5");
            plan.cameraAngleDegrees = *degrees;
            angleGiven = true;
            continue;
        }
        std::optional<int64_t>* field = Field(plan, key);
        if (!field) return Failure("unknown simulator fault ", key, "");
        if (field->has_value()) return Failure("", key, " is given twice");
        const std::optional<int64_t> ms = equals == std::string_view::npos ? std::nullopt : ParseDuration(value);
        if (!ms) return Failure("", key, " needs a time such as 10s, 500ms or 2min");
        *field = ms;
    }
    if (plan.replugAtMs && !plan.unplugAtMs) return Failure(std::string("replug-after needs unplug-after"));
    if (plan.replugAtMs && *plan.replugAtMs <= *plan.unplugAtMs) {
        return Failure(std::string("replug-after must come later than unplug-after"));
    }
    return {plan, {}};
}

void ApplySimFaults(const SimFaultPlan& plan, SimCamera& camera, SimMount& mount, Sky& sky)
{
    sky.SetCameraTurn(plan.cameraAngleDegrees, plan.cameraMirrored);
    if (plan.unplugAtMs) camera.ScheduleUnplug(*plan.unplugAtMs, plan.replugAtMs);
    if (plan.raJammedAtMs) mount.JamAxis(SimMount::Axis::Ra, *plan.raJammedAtMs);
    if (plan.decJammedAtMs) mount.JamAxis(SimMount::Axis::Dec, *plan.decJammedAtMs);
}

}  // namespace nuvix::sim
