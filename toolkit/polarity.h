#pragma once

#include <span>
#include <vector>

#include "direction.h"
#include "fisher.h"

enum class Polarity { Normal, Reversed };

struct PolaritySplit {
    std::vector<Polarity> Modes; // one per datum, in the order given
    DirectionSums Normal;
    DirectionSums Reversed;
    DirectionSums Combined; // the normal data and the antipodes of the reversed
};

// Splits unit vectors (as DirectionToVector gives them) into two modes by the
// principal axis of their orientation tensor (JacobiEigenAxes' axis of the
// largest eigenvalue): a datum within 90 degrees of an end belongs to that
// end's mode. Of the axis' two ends the one with a non-negative component
// along north is taken first (the lower-hemisphere end where that component
// is 0), and a datum exactly 90 degrees from the axis (a zero dot product)
// joins that end's mode. "Normal" is the mode whose mean has the larger
// component along north, the first on a tie; an empty or cancelling mode is
// compared by its end of the axis. north is the reference vector: (1, 0, 0)
// for directions, (0, 0, 1) for poles held as (longitude, latitude). The sums
// are accumulated in the data's order. Never throws for finite input; no data
// give empty modes.
PolaritySplit SeparatePolarities(std::span<const Vector3> data, const Vector3& north);

// The sums of the antipodes of the data summed in `sums`: the linear sums
// negated, the products and N kept. Exact.
DirectionSums AntipodesOf(const DirectionSums& sums);
