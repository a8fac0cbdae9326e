#include "app/NumberFormat.h"

#include <charconv>
#include <cmath>

namespace nuvix {

std::string FormatGeneral(double value, int digits)
{
    if (!std::isfinite(value)) return std::isnan(value) ? "nan" : (value < 0 ? "-inf" : "inf");
    char buffer[64];
    // to_chars in general form is printf's %g without the locale.
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
    return std::string(buffer, result.ptr);
}

}  // namespace nuvix
