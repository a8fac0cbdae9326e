#pragma once

#include <string>
#include <string_view>

namespace nuvix {

// Numbers as text, the way the C library writes and reads them, but always with "." as the
// decimal point, whatever the locale.

// The general number format: rounded to `digits` significant digits, trailing zeros and a
// trailing point dropped, exponent form ("2.53e+03") when the decimal exponent is below -4
// or at least `digits`.
std::string FormatGeneral(double value, int digits);

// The longest decimal number at the start of the text (after blanks): an optional sign, digits
// with an optional point and fraction, an optional exponent; what follows is ignored. A text
// that does not start with such a number, or whose number is beyond what a double holds
// ("1e999"), reads as 0. Hexadecimal, "inf" and "nan" are not decimal numbers.
double ReadLeadingNumber(std::string_view text);

}  // namespace nuvix
