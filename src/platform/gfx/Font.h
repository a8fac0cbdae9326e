#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace nuvix::gfx {

// One rasterised character: 8-bit coverage, placed relative to the pen position on the
// baseline (left to the right, top upward from the baseline).
struct Glyph {
    int left = 0;
    int top = 0;
    int width = 0;
    int rows = 0;
    int advance = 0;
    std::vector<uint8_t> coverage;  // rows x width
};

// A face at one pixel size. Glyphs are rasterised once and kept.
class Font {
public:
    virtual ~Font() = default;
    // Height of a text cell (ascent + descent) and the baseline's distance from its top.
    virtual int CellHeight() const = 0;
    virtual int Ascent() const = 0;
    virtual const Glyph& GlyphFor(char32_t codepoint) const = 0;
};

struct FontRequest {
    std::string family = "sans-serif";
    int pixelHeight = 11;  // em size in pixels
    bool bold = false;
};

// The font machinery (FreeType with fontconfig). Fonts it loads stay usable after the
// library object is gone.
class FontLibrary {
public:
    virtual ~FontLibrary() = default;
    static std::unique_ptr<FontLibrary> Create();
    // Null when no usable face is found; the reason goes to stderr once.
    virtual std::unique_ptr<Font> Load(const FontRequest& request) = 0;
};

}  // namespace nuvix::gfx
