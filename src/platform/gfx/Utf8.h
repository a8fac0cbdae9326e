#pragma once

#include <string>
#include <string_view>

namespace nuvix::gfx {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// Decodes UTF-8 text. Each byte that does not start a well-formed sequence (stray
// continuation bytes, truncated or overlong sequences, surrogates, values past U+10FFFF)
// becomes one U+FFFD, and decoding resumes at the next byte.
std::u32string DecodeUtf8(std::string_view text);

}  // namespace nuvix::gfx
