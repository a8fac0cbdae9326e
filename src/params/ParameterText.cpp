#include "params/ParameterText.h"

#include "platform/text/NumberText.h"

#include <charconv>
#include <cmath>

namespace nuvix {

namespace {

constexpr int kShownDigits = 3;

// The value rounded to `digits` significant digits, written without an exponent.
std::string PlainDecimal(double value, int digits)
{
    const double rounded = ReadLeadingNumber(FormatGeneral(value, digits));
    char buffer[400];  // the longest double in fixed notation has 309 integer digits
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, rounded, std::chars_format::fixed);
    return std::string(buffer, result.ptr);
}

// The exponent form without the exponent's "+" and leading zeros, nor the mantissa's trailing
// zeros: 1.2e5, 1e-5.
std::string ShortExponent(double value, int digits)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, digits - 1);
    const std::string text(buffer, result.ptr);
    const size_t e = text.find('e');
    std::string mantissa = text.substr(0, e);
    if (mantissa.find('.') != std::string::npos) {
        mantissa.erase(mantissa.find_last_not_of('0') + 1);
        if (mantissa.back() == '.') mantissa.pop_back();
    }
    std::string exponent;
    size_t i = e + 1;
    if (text[i] == '-') exponent = "-";
    if (text[i] == '+' || text[i] == '-') ++i;
    while (i + 1 < text.size() && text[i] == '0')
        ++i;
    return mantissa + "e" + exponent + text.substr(i);
}

}  // namespace

std::string EditTextFor(double value)
{
    if (!std::isfinite(value)) return {};
    for (int digits = kShownDigits; digits >= 1; --digits) {
        for (const std::string& text :
             {FormatGeneral(value, digits), PlainDecimal(value, digits), ShortExponent(value, digits)}) {
            if (text.size() <= kEditTextLimit) return text;
        }
    }
    return {};
}

double EditNumber(std::string_view text)
{
    return ReadLeadingNumber(text.substr(0, kEditTextLimit));
}

}  // namespace nuvix
