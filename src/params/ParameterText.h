#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace nuvix {

// The parameter dialog's edits hold at most five characters.
inline constexpr size_t kEditTextLimit = 5;

// A value as its edit shows it: the general format with 3 significant digits when that fits;
// otherwise the most significant digits that fit, in plain decimals ("12300") or a short exponent
// form ("1.2e5"); empty when no rounding of the value fits five characters.
std::string EditTextFor(double value);

// The number an edit gives: the leading number of its first five characters ("1234.5" gives 1234).
double EditNumber(std::string_view text);

}  // namespace nuvix
