#pragma once

// Real to pixel: nearest integer, halves to the even neighbour (6.5 -> 6,
// -2.5 -> -2), the processor's default rounding. Values beyond +-2^30 and NaN
// give a coordinate far outside any image, so the canvas clips them instead
// of the conversion overflowing.
inline int RoundHalfEven(double value) {
    constexpr double kFarAway = 1073741824.0; // 2^30
    if (value > -kFarAway && value < kFarAway) {
        // Above 2^52 a double holds integers only: adding 1.5 * 2^52 rounds in
        // the current mode (nearest, ties to even) without a library call, and
        // subtracting it again is exact.
        constexpr double kShift = 6755399441055744.0;
        return static_cast<int>((value + kShift) - kShift);
    }
    return value < 0.0 ? -static_cast<int>(kFarAway) : static_cast<int>(kFarAway);
}
