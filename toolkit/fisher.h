#pragma once

#include <optional>

#include "direction.h"

// Count and unit-vector sums of the valid data of one redraw (x north, y east,
// z down), with the six product sums that make the orientation tensor.
struct DirectionSums {
    int N = 0;
    double Sx = 0.0, Sy = 0.0, Sz = 0.0;
    double Sxx = 0.0, Syy = 0.0, Szz = 0.0;
    double Sxy = 0.0, Sxz = 0.0, Syz = 0.0;

    // Sets N and every sum to 0.
    void Reset();
    // Adds the unit vector of (dec, inc) (degrees), weight 1, and its products.
    void Accumulate(double dec, double inc);
    // Adds v, weight 1, and its products. v is a unit vector as
    // DirectionToVector computes one (or its exact negation): the rounding
    // bound of R below assumes every component within 6u of a unit vector's.
    void AccumulateUnitVector(const Vector3& v);
};

struct FisherResult {
    double MeanDec = 0.0; // degrees, [0, 360)
    double MeanInc = 0.0; // degrees, [-90, 90]
    double R = 0.0;       // resultant length
    double K = 0.0;       // precision; +infinity for identical data
    double A95 = 0.0;     // degrees, [0, 180]
};

// Fisher (1953) mean, R, k and a95 from the sums. R never exceeds N: where
// N - R is within the rounding error of plain sums of identical data
// (gamma_{N+8} N, u = 2^-53; see fisher.cpp), R is set to N and the data
// count as identical, giving k = +inf and a95 = 0; data that cancel (R = 0)
// give k = (N - 1) / N, a95 = 180 and the mean of the zero vector. Raises FloatingPointFault:
// InvalidOperation for N < 2, Overflow where a finite division overflows.
FisherResult FisherBlock(const DirectionSums& sums);

// The Fisher (1953) statistics of any number of data, each value present only
// where it exists: N always; R (guarded as in FisherBlock, so never above N)
// for N >= 1; the mean (dec in [0, 360), inc in [-90, 90]) for N >= 1 and
// R > 0; k and a95 for N >= 2, with k = +inf and a95 = 0 for identical data
// and a95 = 180 where the cone's argument falls below -1 (R = 0 included).
// Never throws; no value is NaN.
struct FisherSummary {
    int N = 0;
    std::optional<double> MeanDec;
    std::optional<double> MeanInc;
    std::optional<double> R;
    std::optional<double> K;
    std::optional<double> A95;
};
FisherSummary FisherSummaryOf(const DirectionSums& sums);
