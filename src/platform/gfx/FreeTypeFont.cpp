#include "platform/gfx/Font.h"

namespace nuvix::gfx {

namespace {
class NullFontLibrary final : public FontLibrary {
public:
    std::unique_ptr<Font> Load(const FontRequest&) override { return nullptr; }
};
}  // namespace

std::unique_ptr<FontLibrary> FontLibrary::Create()
{
    return std::make_unique<NullFontLibrary>();
}

}  // namespace nuvix::gfx
