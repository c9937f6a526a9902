#pragma once

#include "direction.h"

// The direction (dec, inc) restored to the bed's horizontal: rotated about the
// bed's strike, dipDirection - 90, by dip, the sense that brings the down-dip
// line (dipDirection, dip) to (dipDirection, 0). All angles in degrees; any
// finite input (dip beyond 90 for an overturned bed included) gives a direction
// in VectorToDirection's ranges; a dip of 0 gives the direction back
// to rounding.
IncDec TiltCorrectedDirection(double dec, double inc, double dipDirection, double dip);
