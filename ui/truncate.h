#pragma once
// Conversion of the bar's double-precision widths and percentages to pixels and whole numbers.

#include <cmath>
#include <cstdint>
#include <limits>

// Truncates toward zero. Values beyond the 32-bit range (a position far outside the range on a
// wide bar) saturate instead of being undefined; NaN gives 0.
inline std::int32_t TruncateToInt32(double value) {
    constexpr double kMin = std::numeric_limits<std::int32_t>::min();
    constexpr double kMax = std::numeric_limits<std::int32_t>::max();
    if (std::isnan(value)) {
        return 0;
    }
    if (value <= kMin) {
        return std::numeric_limits<std::int32_t>::min();
    }
    if (value >= kMax) {
        return std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(value);
}
