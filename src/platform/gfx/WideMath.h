#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

namespace nuvix::gfx::detail {

// Coordinates come in as int and their differences are taken in 64 bits; products of two
// such differences need more, so they are formed in 128 bits.
__extension__ using Wide = __int128;

// floor(a * b / c) for c > 0, exact for any 64-bit operands whose quotient fits.
inline int64_t MulDivFloor(int64_t a, int64_t b, int64_t c)
{
    const Wide n = static_cast<Wide>(a) * b;
    Wide q = n / c;
    if ((n % c != 0) && (n < 0)) --q;
    return static_cast<int64_t>(q);
}

inline int ClampToInt(int64_t v)
{
    return static_cast<int>(std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

}  // namespace nuvix::gfx::detail
