#pragma once

#include "direction.h"

// Degrees to radians factor; the a95 conversion back uses its own constant.
inline constexpr double kDegToRad = 0.017453292519943295;

// Unit vector of (inc, dec) scaled by length: (L cos I cos D, L cos I sin D, L sin I).
Vector3 DirectionToVector(double inc, double dec, double length);

// Direction of any vector, the zero vector included: inc in [-90, 90],
// dec in [0, 360). Degenerate cases have fixed answers (h = 0 gives +-90,
// x = 0 gives 90 or 270) and nothing divides by zero.
IncDec VectorToDirection(double x, double y, double z);

// The lower-hemisphere end of the axis through d: d itself when inc >= 0, else
// (-inc, dec + 180 or dec - 180), with dec kept in [0, 360).
IncDec LowerHemisphereEnd(IncDec d);

// Arccosine in radians in [0, pi] that accepts arguments at or beyond +-1.
double ClampedArcCos(double x);

// exp(a * ln b) for b > 0. Raises FloatingPointFault: DivisionByZero for
// b = 0 (the pole of ln), InvalidOperation for b < 0, Overflow for a result
// beyond the double range.
double PowerOf(double base, double exponent);
