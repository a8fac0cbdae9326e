#pragma once

#include "platform/gfx/Font.h"

#include <memory>
#include <optional>
#include <string>

namespace nuvix::gfx {

// Where a face lives: a font file and the face's index inside it.
struct FaceLocation {
    std::string path;
    int index = 0;
};

// Finds the installed face that best answers a request, through fontconfig. The
// configuration is loaded once per matcher and released with it.
class FontMatcher {
public:
    FontMatcher();
    ~FontMatcher();
    FontMatcher(const FontMatcher&) = delete;
    FontMatcher& operator=(const FontMatcher&) = delete;

    std::optional<FaceLocation> Match(const FontRequest& request) const;

private:
    struct Config;
    std::unique_ptr<Config> config_;
};

}  // namespace nuvix::gfx
