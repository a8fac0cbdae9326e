#pragma once

#include <string>

namespace nuvix {

// The general number format: rounded to `digits` significant digits, trailing zeros and a
// trailing point dropped, exponent form ("2.53e+03") when the decimal exponent is below -4
// or at least `digits`. Always "." as the decimal point, whatever the locale.
std::string FormatGeneral(double value, int digits);

}  // namespace nuvix
