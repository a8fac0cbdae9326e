#include "platform/text/NumberText.h"

#include <charconv>
#include <cmath>

namespace nuvix {

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

}  // namespace

std::string FormatGeneral(double value, int digits)
{
    if (!std::isfinite(value)) return std::isnan(value) ? "nan" : (value < 0 ? "-inf" : "inf");
    char buffer[64];
    // to_chars in general form is printf's %g without the locale.
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
    return std::string(buffer, result.ptr);
}

double ReadLeadingNumber(std::string_view text)
{
    size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos) return 0.0;
    bool negative = false;
    if (text[start] == '+' || text[start] == '-') {
        negative = text[start] == '-';
        ++start;
    }
    const std::string_view rest = text.substr(start);
    // from_chars would also take "inf" and "nan"; a decimal number starts with a digit or a point
    // followed by one.
    const bool decimal = !rest.empty() && (IsDigit(rest[0]) || (rest[0] == '.' && rest.size() > 1 && IsDigit(rest[1])));
    if (!decimal) return 0.0;
    double value = 0.0;
    const auto result = std::from_chars(rest.data(), rest.data() + rest.size(), value, std::chars_format::general);
    if (result.ec != std::errc{} || !std::isfinite(value)) return 0.0;
    return negative ? -value : value;
}

}  // namespace nuvix
