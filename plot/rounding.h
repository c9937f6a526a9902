#pragma once

#include <cmath>

// Real to pixel: nearest integer, halves to the even neighbour (6.5 -> 6,
// -2.5 -> -2), the processor's default rounding.
inline int RoundHalfEven(double value) { return static_cast<int>(std::nearbyint(value)); }
