#pragma once
// Floating-point to integer conversions that never overflow: a value beyond the integer's range
// becomes the nearest end of the range, NaN becomes the caller's neutral value. Every conversion
// of a computed size, coordinate or colour byte goes through these.

#include <cmath>
#include <concepts>
#include <limits>

namespace platform {

// Truncates toward zero.
template <std::integral Int> inline Int saturatingTruncate(double value, Int neutral = 0)
{
    if (std::isnan(value))
        return neutral;
    // The first value above the range: max + 1 is a power of two, so exact in a double.
    constexpr double above = double(std::numeric_limits<Int>::max() / 2 + 1) * 2.0;
    constexpr double lowest = double(std::numeric_limits<Int>::min());
    if (value >= above)
        return std::numeric_limits<Int>::max();
    if (value <= lowest)
        return std::numeric_limits<Int>::min();
    return Int(value);
}

// Rounds half up: floor(value + 0.5).
template <std::integral Int> inline Int saturatingRound(double value, Int neutral = 0)
{
    if (std::isnan(value))
        return neutral;
    return saturatingTruncate<Int>(std::floor(value + 0.5), neutral);
}

} // namespace platform
