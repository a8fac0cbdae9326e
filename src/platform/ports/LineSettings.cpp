#include "platform/ports/SerialPorts.h"

#include <cctype>
#include <charconv>

namespace nuvix {

namespace {

bool ReadNumber(std::string_view& text, int& value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end == text.data()) return false;
    text.remove_prefix(static_cast<size_t>(end - text.data()));
    return true;
}

bool Take(std::string_view& text, char c)
{
    if (text.empty() || text.front() != c) return false;
    text.remove_prefix(1);
    return true;
}

}  // namespace

std::optional<LineSettings> ParseLineSettings(std::string_view text)
{
    LineSettings s;
    if (text.size() < 3 || std::toupper(static_cast<unsigned char>(text[0])) != 'C' ||
        std::toupper(static_cast<unsigned char>(text[1])) != 'O' ||
        std::toupper(static_cast<unsigned char>(text[2])) != 'M') {
        return std::nullopt;
    }
    text.remove_prefix(3);
    if (!ReadNumber(text, s.port) || s.port < 1 || s.port > 4) return std::nullopt;
    Take(text, ':');
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    if (!ReadNumber(text, s.baud) || s.baud <= 0 || !Take(text, ',') || text.empty()) return std::nullopt;
    s.parity = static_cast<char>(std::tolower(static_cast<unsigned char>(text.front())));
    text.remove_prefix(1);
    if (s.parity != 'n' && s.parity != 'e' && s.parity != 'o') return std::nullopt;
    if (!Take(text, ',') || !ReadNumber(text, s.dataBits) || s.dataBits < 5 || s.dataBits > 8) return std::nullopt;
    if (!Take(text, ',') || !ReadNumber(text, s.stopBits) || (s.stopBits != 1 && s.stopBits != 2)) return std::nullopt;
    if (!text.empty()) return std::nullopt;
    return s;
}

}  // namespace nuvix
