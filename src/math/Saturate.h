#pragma once
// Conversions to int that cannot overflow. A plain conversion of NaN, of an
// infinity or of anything beyond int's range is undefined behaviour, and the
// values converted here come from the user's mouse, files and a body that may
// have blown up.

#include <climits>
#include <cmath>

namespace wobble {

// The value clamped into int's range.
constexpr int SaturateToInt(long long value) {
    return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
}

// trunc(value) as an int, saturated at the ends of int's range; NaN gives 0.
inline int TruncToIntSaturated(double value) {
    if (std::isnan(value))
        return 0;
    if (value >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (value <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(value);
}

}  // namespace wobble
