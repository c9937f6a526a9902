#pragma once

#include "direction.h"

// Rotates the base direction (baseDec, baseInc) about the horizontal axis of
// declination axisDec by -tilt (all degrees). Point j of the small circle of
// radius r about (D, I) is SmallCirclePoint(90 - r, j, D - 90, 90 - I).
// Total: any finite input gives a direction in VectorToDirection's ranges.
IncDec SmallCirclePoint(double baseInc, double baseDec, double axisDec, double tilt);
