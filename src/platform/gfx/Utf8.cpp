#include "platform/gfx/Utf8.h"

#include <cstdint>

namespace nuvix::gfx {

namespace {

bool IsContinuation(uint8_t b)
{
    return (b & 0xC0u) == 0x80u;
}

}  // namespace

std::u32string DecodeUtf8(std::string_view text)
{
    std::u32string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<uint8_t>(text[i]);
        if (lead < 0x80u) {
            out.push_back(lead);
            ++i;
            continue;
        }
        size_t length = 0;
        char32_t cp = 0;
        char32_t minimum = 0;
        if ((lead & 0xE0u) == 0xC0u) {
            length = 2;
            cp = lead & 0x1Fu;
            minimum = 0x80;
        } else if ((lead & 0xF0u) == 0xE0u) {
            length = 3;
            cp = lead & 0x0Fu;
            minimum = 0x800;
        } else if ((lead & 0xF8u) == 0xF0u) {
            length = 4;
            cp = lead & 0x07u;
            minimum = 0x10000;
        }
        bool ok = length != 0 && i + length <= text.size();
        for (size_t k = 1; ok && k < length; ++k) {
            const auto b = static_cast<uint8_t>(text[i + k]);
            ok = IsContinuation(b);
            cp = (cp << 6) | (b & 0x3Fu);
        }
        ok = ok && cp >= minimum && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
        if (ok) {
            out.push_back(cp);
            i += length;
        } else {
            out.push_back(kReplacementCharacter);
            ++i;
        }
    }
    return out;
}

}  // namespace nuvix::gfx
