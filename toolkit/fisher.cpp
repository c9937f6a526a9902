#include "fisher.h"

#include <cmath>
#include <limits>

#include "angles.h"
#include "floating_point_fault.h"

void DirectionSums::Reset() {
    *this = DirectionSums{};
}

void DirectionSums::Accumulate(double dec, double inc) {
    ++N;
    const Vector3 v = DirectionToVector(inc, dec, 1.0);
    Sx += v.x;
    Sy += v.y;
    Sz += v.z;
    Sxx += v.x * v.x;
    Syy += v.y * v.y;
    Szz += v.z * v.z;
    Sxy += v.x * v.y;
    Sxz += v.x * v.z;
    Syz += v.y * v.z;
}

namespace {

// Radians to degrees for a95.
constexpr double kA95Factor = 57.29577951308232;

// A quotient or product of finite values that is no longer finite is what a
// hardware overflow trap would have stopped.
double CheckedFinite(double value) {
    if (std::isinf(value)) {
        throw FloatingPointFault(FloatingPointFault::Kind::Overflow);
    }
    return value;
}

} // namespace

// Fisher (1953): k = (N - 1) / (N - R); the 95% cone from
// cos a95 = 1 - (N - R) / R * (20^(1/(N-1)) - 1).
FisherResult FisherBlock(const DirectionSums& sums) {
    if (sums.N < 2) {
        // A single datum has no spread to measure.
        throw FloatingPointFault(FloatingPointFault::Kind::InvalidOperation);
    }
    FisherResult result;
    const IncDec mean = VectorToDirection(sums.Sx, sums.Sy, sums.Sz);
    result.MeanDec = mean.Dec;
    result.MeanInc = mean.Inc;
    result.R = std::sqrt(sums.Sx * sums.Sx + sums.Sy * sums.Sy + sums.Sz * sums.Sz);
    const double n = sums.N;
    const double spread = n - result.R;
    if (spread == 0.0) {
        // Identical data: the limit of both formulas, not an error.
        result.K = std::numeric_limits<double>::infinity();
        result.A95 = 0.0;
        return result;
    }
    result.K = CheckedFinite((n - 1.0) / spread);
    const double p = PowerOf(20.0, 1.0 / (n - 1.0));
    if (result.R == 0.0) {
        // Data that cancel: the arccosine argument tends to -infinity.
        result.A95 = ClampedArcCos(-1.0) * kA95Factor;
        return result;
    }
    const double ratio = CheckedFinite(spread / result.R);
    const double argument = 1.0 - CheckedFinite((p - 1.0) * ratio);
    result.A95 = ClampedArcCos(argument) * kA95Factor;
    return result;
}
