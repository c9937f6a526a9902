#include "fisher.h"

#include <cmath>
#include <limits>

#include "angles.h"
#include "floating_point_fault.h"

void DirectionSums::Reset() {
    *this = DirectionSums{};
}

void DirectionSums::Accumulate(double dec, double inc) {
    AccumulateUnitVector(DirectionToVector(inc, dec, 1.0));
}

void DirectionSums::AccumulateUnitVector(const Vector3& v) {
    ++N;
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

// Largest |N - R| that rounding alone can give when the N data are identical,
// for sums built one datum at a time by Accumulate or AccumulateUnitVector.
// With u = 2^-53 and gamma_n = n u / (1 - n u) (Higham 2002, Accuracy and
// Stability of Numerical Algorithms, section 3.1):
// - each computed unit vector is within 6u of the exact unit vector of its
//   radian angles: every component is one or two of sin and cos (each within
//   one ulp, 2u relative, as glibc documents) times one rounded product, 5u
//   plus second-order terms;
// - recursive summation of N terms errs by at most gamma_{N-1} sum |x_i| in
//   each component (Higham 2002, eq. 4.4), and the three sums of moduli form a
//   vector no longer than the sum of the data's lengths, N (1 + 6u);
// - squaring, adding three squares and the square root add at most 3u of |S|.
// So |R - R_exact| <= N (gamma_{N-1} (1 + 6u) + 6u) (1 + 3u) + 3u N (1 + 6u),
// which gamma_{N+8} N exceeds for every N below 2^31: power by power of u,
// 9u against 9u, (18N + 63) u^2 against (9N + 27) u^2, and so on. The slack,
// at least 5u relative, covers the rounding of the bound's own computation, and
// underflow of tiny squares adds below 1e-300. Identical data have
// R_exact = N, and N - R near N is exact (Sterbenz), so a computed N - R
// within this bound cannot be told from identity.
// The bound grows as N^2 u: it is about 2e-15 at N = 2, 1e-10 at N = 1000 and
// 0.011 at N = 10^7, so k above (N - 1) / (N (N + 8) u), about 1 / (N u),
// reads as infinite.
double IdentityBound(int n) {
    const double u = 0x1p-53;
    const double m = (static_cast<double>(n) + 8.0) * u;
    return m / (1.0 - m) * n;
}

// R from the plain sums, set to N where N - R is within rounding of 0 (and
// hence never above N).
double GuardedResultant(const DirectionSums& sums) {
    const double r = std::sqrt(sums.Sx * sums.Sx + sums.Sy * sums.Sy + sums.Sz * sums.Sz);
    const double n = sums.N;
    return n - r <= IdentityBound(sums.N) ? n : r;
}

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
    result.R = GuardedResultant(sums);
    const double n = sums.N;
    const double spread = n - result.R;
    if (spread == 0.0) {
        // Identical data within rounding: the limit of both formulas, not an error.
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

FisherSummary FisherSummaryOf(const DirectionSums& sums) {
    FisherSummary summary;
    summary.N = sums.N;
    if (sums.N < 1) {
        return summary;
    }
    const double r = GuardedResultant(sums);
    summary.R = r;
    if (r > 0.0) {
        const IncDec mean = VectorToDirection(sums.Sx, sums.Sy, sums.Sz);
        summary.MeanDec = mean.Dec;
        summary.MeanInc = mean.Inc;
    }
    if (sums.N < 2) {
        return summary;
    }
    const double n = sums.N;
    const double spread = n - r;
    if (spread == 0.0) {
        summary.K = std::numeric_limits<double>::infinity();
        summary.A95 = 0.0;
        return summary;
    }
    // spread exceeds IdentityBound(N) > 8 N u here, so k is finite.
    summary.K = (n - 1.0) / spread;
    const double p = PowerOf(20.0, 1.0 / (n - 1.0));
    // A nonzero R is above 1e-154 (its square does not underflow), so the
    // quotient stays finite; R = 0 is the limit -inf.
    const double argument =
        r > 0.0 ? 1.0 - (p - 1.0) * (spread / r) : -std::numeric_limits<double>::infinity();
    summary.A95 = ClampedArcCos(argument) * kA95Factor;
    return summary;
}
