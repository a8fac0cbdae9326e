#include "platform/gfx/Font.h"
#include "platform/gfx/FontMatch.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_map>

namespace nuvix::gfx {

namespace {

struct FaceCloser {
    void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using FacePtr = std::unique_ptr<FT_FaceRec_, FaceCloser>;

// Metrics are taken from the face's design units rounded to whole pixels (not the rounded-up
// ascender FreeType reports) so that an 11-pixel sans face keeps a 13-pixel cell.
int DesignToPixels(FT_Short units, FT_Fixed scale)
{
    return static_cast<int>(std::lround(static_cast<double>(FT_MulFix(units, scale)) / 64.0));
}

class FreeTypeFont final : public Font {
public:
    FreeTypeFont(std::shared_ptr<FT_LibraryRec_> library, FacePtr face)
        : library_(std::move(library)), face_(std::move(face))
    {
        if (FT_IS_SCALABLE(face_.get())) {
            ascent_ = DesignToPixels(face_->ascender, face_->size->metrics.y_scale);
            cell_ = ascent_ - DesignToPixels(face_->descender, face_->size->metrics.y_scale);
        } else {
            ascent_ = static_cast<int>(face_->size->metrics.ascender / 64);
            cell_ = ascent_ - static_cast<int>(face_->size->metrics.descender / 64);
        }
        cell_ = std::max(cell_, 1);
    }

    int CellHeight() const override { return cell_; }
    int Ascent() const override { return ascent_; }

    const Glyph& GlyphFor(char32_t codepoint) const override
    {
        const auto found = cache_.find(codepoint);
        if (found != cache_.end()) return found->second;
        return cache_.emplace(codepoint, Render(codepoint)).first->second;
    }

private:
    Glyph Render(char32_t codepoint) const
    {
        Glyph g;
        FT_Face face = face_.get();
        // Unsmoothed glyphs: the windows redraw their texts over themselves on a transparent
        // ground, which smoothed edges would thicken at every redraw.
        if (FT_Load_Char(face, codepoint, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) return g;
        const FT_GlyphSlot slot = face->glyph;
        g.advance = static_cast<int>((slot->advance.x + 32) / 64);
        const FT_Bitmap& bm = slot->bitmap;
        if (bm.pixel_mode != FT_PIXEL_MODE_GRAY && bm.pixel_mode != FT_PIXEL_MODE_MONO) return g;
        g.left = slot->bitmap_left;
        g.top = slot->bitmap_top;
        g.width = static_cast<int>(bm.width);
        g.rows = static_cast<int>(bm.rows);
        g.coverage.resize(static_cast<size_t>(g.width) * static_cast<size_t>(g.rows));
        for (int y = 0; y < g.rows; ++y) {
            const unsigned char* src = bm.buffer + static_cast<ptrdiff_t>(y) * bm.pitch;
            uint8_t* dst = g.coverage.data() + static_cast<size_t>(y) * static_cast<size_t>(g.width);
            for (int x = 0; x < g.width; ++x) {
                if (bm.pixel_mode == FT_PIXEL_MODE_GRAY) {
                    dst[x] = static_cast<uint8_t>(bm.num_grays > 1 ? src[x] * 255 / (bm.num_grays - 1) : src[x]);
                } else {
                    dst[x] = ((src[x / 8] >> (7 - x % 8)) & 1) ? 255 : 0;
                }
            }
        }
        return g;
    }

    // The face belongs to the library, so the library is held (and released) after it.
    std::shared_ptr<FT_LibraryRec_> library_;
    FacePtr face_;
    int ascent_ = 0;
    int cell_ = 1;
    mutable std::unordered_map<char32_t, Glyph> cache_;  // node-based: references stay valid
};

using LibraryPtr = std::shared_ptr<FT_LibraryRec_>;

constexpr const char* kFallbackFace = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr int kMaxPixelHeight = 512;

std::unique_ptr<Font> OpenFace(const LibraryPtr& library, const std::string& path, int index, int pixelHeight)
{
    FT_Face raw = nullptr;
    if (FT_New_Face(library.get(), path.c_str(), index, &raw) != 0) return nullptr;
    FacePtr face(raw);
    if (FT_Set_Pixel_Sizes(face.get(), 0, static_cast<FT_UInt>(pixelHeight)) != 0) {
        // Bitmap-only faces offer fixed sizes; take the first rather than nothing.
        if (face->num_fixed_sizes <= 0 || FT_Select_Size(face.get(), 0) != 0) return nullptr;
    }
    return std::make_unique<FreeTypeFont>(library, std::move(face));
}

class FreeTypeLibrary final : public FontLibrary {
public:
    FreeTypeLibrary()
    {
        FT_Library raw = nullptr;
        if (FT_Init_FreeType(&raw) == 0) library_ = LibraryPtr(raw, [](FT_Library lib) { FT_Done_FreeType(lib); });
    }

    std::unique_ptr<Font> Load(const FontRequest& request) override
    {
        if (!library_) {
            std::fputs("nuvix: FreeType could not be initialised; text will not be drawn\n", stderr);
            return nullptr;
        }
        const int pixels = std::clamp(request.pixelHeight, 1, kMaxPixelHeight);
        if (const auto location = matcher_.Match(request)) {
            if (auto font = OpenFace(library_, location->path, location->index, pixels)) return font;
        }
        if (auto font = OpenFace(library_, kFallbackFace, 0, pixels)) return font;
        std::fprintf(stderr, "nuvix: no usable font for \"%s\" (nor %s); text will not be drawn\n",
                     request.family.c_str(), kFallbackFace);
        return nullptr;
    }

private:
    LibraryPtr library_;
    FontMatcher matcher_;
};

}  // namespace

std::unique_ptr<FontLibrary> FontLibrary::Create()
{
    return std::make_unique<FreeTypeLibrary>();
}

}  // namespace nuvix::gfx
