#include "platform/gfx/FontMatch.h"

#include <fontconfig/fontconfig.h>

namespace nuvix::gfx {

namespace {

struct PatternDeleter {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternDeleter>;

}  // namespace

struct FontMatcher::Config {
    FcConfig* handle = nullptr;
    ~Config()
    {
        if (handle != nullptr) FcConfigDestroy(handle);
    }
};

FontMatcher::FontMatcher() : config_(std::make_unique<Config>())
{
    config_->handle = FcInitLoadConfigAndFonts();
}

FontMatcher::~FontMatcher() = default;

std::optional<FaceLocation> FontMatcher::Match(const FontRequest& request) const
{
    if (config_->handle == nullptr) return std::nullopt;
    const std::string family = request.family.empty() ? "sans-serif" : request.family;
    PatternPtr pattern(FcPatternCreate());
    if (!pattern) return std::nullopt;
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddDouble(pattern.get(), FC_PIXEL_SIZE, static_cast<double>(request.pixelHeight));
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, request.bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    if (FcConfigSubstitute(config_->handle, pattern.get(), FcMatchPattern) == FcFalse) return std::nullopt;
    FcDefaultSubstitute(pattern.get());

    FcResult result = FcResultNoMatch;
    PatternPtr match(FcFontMatch(config_->handle, pattern.get(), &result));
    if (!match || result != FcResultMatch) return std::nullopt;
    FcChar8* file = nullptr;
    if (FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch || file == nullptr) return std::nullopt;
    int index = 0;
    if (FcPatternGetInteger(match.get(), FC_INDEX, 0, &index) != FcResultMatch) index = 0;
    return FaceLocation{reinterpret_cast<const char*>(file), index};
}

}  // namespace nuvix::gfx
