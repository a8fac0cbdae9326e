#include "server/MethodTable.h"

#include "server/Protocol.h"
#include "server/StarImageText.h"

#include <cmath>
#include <functional>
#include <limits>
#include <utility>

namespace nuvix::server {

namespace {

using nlohmann::json;

// The profile: Nuvix has one, its parameter file.
constexpr int kProfileId = 1;
// The frame and the search region: the 320 x 240 picture, the 100 x 100 tracking box.
constexpr int kFrameWidth = 320;
constexpr int kFrameHeight = 240;
constexpr int kSearchRegion = 50;
// Settling longer than a night is a client's mistake.
constexpr double kLongestSettleSeconds = 24.0 * 3600.0;
constexpr double kLargestDither = 100.0;

// A parameter by its place in an array or its name in an object; null when not given.
const json* Arg(const json& params, size_t index, const char* name)
{
    const json* value = nullptr;
    if (params.is_array() && index < params.size()) value = &params[index];
    if (params.is_object()) {
        const auto it = params.find(name);
        if (it != params.end()) value = &*it;
    }
    return value && !value->is_null() ? value : nullptr;
}

MethodReply Result(json result)
{
    return {std::move(result), 0, {}};
}

MethodReply Invalid(const std::string& why)
{
    return {nullptr, kInvalidParams, "invalid params: " + why};
}

MethodReply FromOutcome(const Outcome& outcome)
{
    if (outcome.Done()) return Result(0);
    return {nullptr, kNotDone, outcome.error};
}

bool Number(const json* value, double& out)
{
    if (!value || !value->is_number()) return false;
    out = value->get<double>();
    return std::isfinite(out);
}

bool Integer(const json* value, int& out)
{
    double number = 0.0;
    if (!Number(value, number) || number != std::floor(number) || std::fabs(number) > std::numeric_limits<int>::max()) {
        return false;
    }
    out = static_cast<int>(number);
    return true;
}

// A flag that may be left out (then `out` keeps its default).
bool OptionalFlag(const json* value, bool& out)
{
    if (!value) return true;
    if (!value->is_boolean()) return false;
    out = value->get<bool>();
    return true;
}

// The settle object; the defaults stand for a request that gives none.
bool Settle(const json* value, SettleParams& settle, std::string& why)
{
    if (!value) return true;
    if (!value->is_object()) {
        why = "settle must be an object {pixels, time, timeout}";
        return false;
    }
    double pixels = settle.pixels, time = settle.time, timeout = settle.timeout;
    for (auto [name, target] : {std::pair{"pixels", &pixels}, {"time", &time}, {"timeout", &timeout}}) {
        const auto it = value->find(name);
        if (it != value->end() && !Number(&*it, *target)) {
            why = std::string("settle.") + name + " must be a number";
            return false;
        }
    }
    if (!(pixels > 0.0) || time < 0.0 || !(timeout > 0.0) || time > kLongestSettleSeconds ||
        timeout > kLongestSettleSeconds) {
        why = "settle needs pixels > 0, time >= 0 and timeout > 0 (at most a day)";
        return false;
    }
    settle = {pixels, time, timeout};
    return true;
}

json PositionJson(const Position& at)
{
    return json::array({at.x, at.y});
}

json DeviceJson(const Device& device)
{
    return {{"name", device.name}, {"connected", device.connected}};
}

using Method = std::function<MethodReply(const json&, GuiderCommands&)>;

MethodReply SetFlag(const json& params, const char* name, const std::function<Outcome(bool)>& apply)
{
    const json* value = Arg(params, 0, name);
    if (!value || !value->is_boolean()) return Invalid(std::string(name) + " must be true or false");
    return FromOutcome(apply(value->get<bool>()));
}

MethodReply Guide(const json& params, GuiderCommands& g)
{
    SettleParams settle;
    std::string why;
    bool recalibrate = false;
    if (!Settle(Arg(params, 0, "settle"), settle, why)) return Invalid(why);
    if (!OptionalFlag(Arg(params, 1, "recalibrate"), recalibrate)) return Invalid("recalibrate must be true or false");
    if (Arg(params, 2, "roi")) return Invalid("roi: the star is the one in the tracking box the observer placed");
    return FromOutcome(g.Guide(settle, recalibrate));
}

MethodReply Dither(const json& params, GuiderCommands& g)
{
    double amount = 0.0;
    bool raOnly = false;
    SettleParams settle;
    std::string why;
    if (!Number(Arg(params, 0, "amount"), amount) || amount < 0.0 || amount > kLargestDither) {
        return Invalid("amount must be a number of pixels from 0 to 100");
    }
    if (!OptionalFlag(Arg(params, 1, "raOnly"), raOnly)) return Invalid("raOnly must be true or false");
    if (!Settle(Arg(params, 2, "settle"), settle, why)) return Invalid(why);
    return FromOutcome(g.Dither(amount, raOnly, settle));
}

MethodReply SetPaused(const json& params, GuiderCommands& g)
{
    const json* paused = Arg(params, 0, "paused");
    if (!paused || !paused->is_boolean()) return Invalid("paused must be true or false");
    const json* full = Arg(params, 1, "type");
    if (full && !full->is_string()) return Invalid("the second parameter may only be \"full\"");
    return FromOutcome(g.SetPaused(paused->get<bool>(), full && full->get<std::string>() == "full"));
}

MethodReply SetExposure(const json& params, GuiderCommands& g)
{
    int ms = 0;
    if (!Integer(Arg(params, 0, "exposure"), ms) || ms <= 0) return Invalid("exposure must be milliseconds");
    return FromOutcome(g.SetExposureMs(ms));
}

MethodReply SetLockPosition(const json& params, GuiderCommands& g)
{
    Position at;
    bool exact = true;
    if (!Number(Arg(params, 0, "x"), at.x) || !Number(Arg(params, 1, "y"), at.y))
        return Invalid("x and y must be numbers");
    if (!OptionalFlag(Arg(params, 2, "exact"), exact)) return Invalid("exact must be true or false");
    return FromOutcome(g.SetLockPosition(at, exact));
}

MethodReply SetDecGuideMode(const json& params, GuiderCommands& g)
{
    const json* name = Arg(params, 0, "mode");
    DecGuideMode mode = DecGuideMode::Auto;
    if (!name || !name->is_string() || !ParseDecGuideMode(name->get<std::string>(), mode)) {
        return Invalid("mode must be \"Off\", \"Auto\", \"North\" or \"South\"");
    }
    return FromOutcome(g.SetDecGuideMode(mode));
}

MethodReply SetProfile(const json& params, GuiderCommands&)
{
    int id = 0;
    if (!Integer(Arg(params, 0, "id"), id) || id != kProfileId) return Invalid("the only profile is id 1");
    return Result(0);
}

MethodReply ClearCalibration(const json& params, GuiderCommands& g)
{
    const json* which = Arg(params, 0, "which");
    if (which && (!which->is_string() || (*which != "mount" && *which != "ao" && *which != "both"))) {
        return Invalid("which must be \"mount\", \"ao\" or \"both\"");
    }
    return FromOutcome(g.ClearCalibration(which ? which->get<std::string>() : "both"));
}

MethodReply FindStar(const json& params, GuiderCommands& g)
{
    if (Arg(params, 0, "roi")) return Invalid("roi: the star is the one in the tracking box the observer placed");
    const Answer<Position> star = g.FindStar();
    if (!star.value) return {nullptr, kNotDone, star.error};
    return Result(PositionJson(*star.value));
}

MethodReply GetStarImage(const json& params, GuiderCommands& g)
{
    int size = 15;
    const json* given = Arg(params, 0, "size");
    if (given && (!Integer(given, size) || size < 15)) return Invalid("size must be a whole number of at least 15");
    const Answer<StarImage> image = g.GetStarImage(size);
    if (!image.value) return {nullptr, kNotDone, image.error};
    const StarImage& i = *image.value;
    return Result({{"frame", i.frame},
                   {"width", i.width},
                   {"height", i.height},
                   {"star_pos", PositionJson(i.star)},
                   {"pixels", PixelsBase64(i.pixels)}});
}

MethodReply CaptureSingleFrame(const json& params, GuiderCommands& g)
{
    int ms = 0;
    const json* exposure = Arg(params, 0, "exposure");
    if (exposure && (!Integer(exposure, ms) || ms <= 0)) return Invalid("exposure must be milliseconds");
    if (Arg(params, 1, "subframe")) return Invalid("subframe: Nuvix always reads the whole 320 x 240 frame");
    return FromOutcome(g.CaptureSingleFrame(exposure ? std::optional<int>(ms) : std::nullopt));
}

MethodReply SaveImage(const json&, GuiderCommands& g)
{
    const Answer<std::string> saved = g.SaveImage();
    if (!saved.value) return {nullptr, kNotDone, saved.error};
    return Result({{"filename", *saved.value}});
}

// Methods of the protocol that have no meaning here, each with the reason the client reads.
const std::pair<const char*, const char*> kWithoutMeaning[] = {
    {"flip_calibration",
     "Nuvix's corrections follow the parameter dialog's inversion boxes; there is no calibration to flip"},
    {"get_calibration_data",
     "Nuvix's corrections come from the parameter dialog (scale, guide speeds, inversions), not from a measured "
     "calibration"},
    {"guide_pulse", "Nuvix sends corrections only while guiding"},
    {"get_algo_param_names",
     "Nuvix's guiding is proportional, from the parameter dialog; it has no algorithm parameters"},
    {"get_algo_param", "Nuvix's guiding is proportional, from the parameter dialog; it has no algorithm parameters"},
    {"set_algo_param", "Nuvix's guiding is proportional, from the parameter dialog; it has no algorithm parameters"},
    {"get_cooler_status", "the camera has no cooler"},
    {"get_ccd_temperature", "the camera has no temperature sensor"},
    {"get_lock_shift_enabled", "Nuvix has no lock position shift"},
    {"set_lock_shift_enabled", "Nuvix has no lock position shift"},
    {"get_lock_shift_params", "Nuvix has no lock position shift"},
    {"set_lock_shift_params", "Nuvix has no lock position shift"},
};

const std::pair<const char*, Method> kMethods[] = {
    {"get_app_state", [](const json&, GuiderCommands& g) { return Result(g.AppState()); }},
    {"get_connected", [](const json&, GuiderCommands& g) { return Result(g.Connected()); }},
    {"set_connected",
     [](const json& p, GuiderCommands& g) {
         return SetFlag(p, "connect", [&g](bool on) { return g.SetConnected(on); });
     }},
    {"get_profiles",
     [](const json&, GuiderCommands& g) {
         return Result(json::array({{{"id", kProfileId}, {"name", g.ProfileName()}}}));
     }},
    {"get_profile",
     [](const json&, GuiderCommands& g) {
         return Result({{"id", kProfileId}, {"name", g.ProfileName()}});
     }},
    {"set_profile", SetProfile},
    {"get_current_equipment",
     [](const json&, GuiderCommands& g) {
         const Equipment e = g.CurrentEquipment();
         return Result({{"camera", DeviceJson(e.camera)}, {"mount", DeviceJson(e.mount)}});
     }},
    {"get_camera_frame_size",
     [](const json&, GuiderCommands&) {
         return Result(json::array({kFrameWidth, kFrameHeight}));
     }},
    {"get_search_region", [](const json&, GuiderCommands&) { return Result(kSearchRegion); }},
    {"get_use_subframes", [](const json&, GuiderCommands&) { return Result(false); }},
    {"loop", [](const json&, GuiderCommands& g) { return FromOutcome(g.Loop()); }},
    {"stop_capture", [](const json&, GuiderCommands& g) { return FromOutcome(g.StopCapture()); }},
    {"find_star", FindStar},
    {"guide", Guide},
    {"dither", Dither},
    {"get_settling", [](const json&, GuiderCommands& g) { return Result(g.Settling()); }},
    {"get_paused", [](const json&, GuiderCommands& g) { return Result(g.Paused()); }},
    {"set_paused", SetPaused},
    {"get_pixel_scale", [](const json&, GuiderCommands& g) { return Result(g.PixelScale()); }},
    {"get_exposure", [](const json&, GuiderCommands& g) { return Result(g.ExposureMs()); }},
    {"set_exposure", SetExposure},
    {"get_exposure_durations", [](const json&, GuiderCommands& g) { return Result(g.ExposureDurations()); }},
    {"get_lock_position",
     [](const json&, GuiderCommands& g) {
         const std::optional<Position> at = g.LockPosition();
         return Result(at ? PositionJson(*at) : json(nullptr));
     }},
    {"set_lock_position", SetLockPosition},
    {"get_calibrated", [](const json&, GuiderCommands& g) { return Result(g.Calibrated()); }},
    {"clear_calibration", ClearCalibration},
    {"get_guide_output_enabled", [](const json&, GuiderCommands& g) { return Result(g.GuideOutputEnabled()); }},
    {"set_guide_output_enabled",
     [](const json& p, GuiderCommands& g) {
         return SetFlag(p, "enabled", [&g](bool on) { return g.SetGuideOutputEnabled(on); });
     }},
    {"get_dec_guide_mode",
     [](const json&, GuiderCommands& g) { return Result(DecGuideModeName(g.GetDecGuideMode())); }},
    {"set_dec_guide_mode", SetDecGuideMode},
    {"get_star_image", GetStarImage},
    {"save_image", SaveImage},
    {"capture_single_frame", CaptureSingleFrame},
    {"shutdown", [](const json&, GuiderCommands& g) { return FromOutcome(g.Shutdown()); }},
};

}  // namespace

MethodReply CallMethod(std::string_view name, const json& params, GuiderCommands& guider)
{
    for (const auto& [known, method] : kMethods) {
        if (name == known) return method(params, guider);
    }
    for (const auto& [known, reason] : kWithoutMeaning) {
        if (name == known) return {nullptr, kNotDone, std::string(known) + ": " + reason};
    }
    return {nullptr, kMethodNotFound, "method not found: " + std::string(name.substr(0, 64))};
}

}  // namespace nuvix::server
