#pragma once

#include <cmath>

// Real to pixel: nearest integer, halves to the even neighbour (6.5 -> 6,
// -2.5 -> -2), the processor's default rounding. Values beyond +-2^30 and NaN
// give a coordinate far outside any image, so the canvas clips them instead
// of the conversion overflowing.
inline int RoundHalfEven(double value) {
    constexpr double kFarAway = 1073741824.0;
    const double rounded = std::nearbyint(value);
    if (rounded >= -kFarAway && rounded <= kFarAway) {
        return static_cast<int>(rounded);
    }
    return rounded < 0.0 ? -static_cast<int>(kFarAway) : static_cast<int>(kFarAway);
}
