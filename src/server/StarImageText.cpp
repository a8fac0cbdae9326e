#include "server/StarImageText.h"

namespace nuvix::server {

std::string PixelsBase64(const std::vector<uint16_t>& pixels)
{
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::vector<uint8_t> bytes;
    bytes.reserve(pixels.size() * 2);
    for (const uint16_t p : pixels) {
        bytes.push_back(static_cast<uint8_t>(p & 0xFF));
        bytes.push_back(static_cast<uint8_t>(p >> 8));
    }
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t left = bytes.size() - i;
        const uint32_t group = (uint32_t{bytes[i]} << 16) | (left > 1 ? uint32_t{bytes[i + 1]} << 8 : 0) |
                               (left > 2 ? uint32_t{bytes[i + 2]} : 0);
        text += kAlphabet[(group >> 18) & 63];
        text += kAlphabet[(group >> 12) & 63];
        text += left > 1 ? kAlphabet[(group >> 6) & 63] : '=';
        text += left > 2 ? kAlphabet[group & 63] : '=';
    }
    return text;
}

}  // namespace nuvix::server
