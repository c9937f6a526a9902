#pragma once

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
// (gamma_{N+8} N, u = 2^-53; see fisher.cpp), R is set to N and the data count
// as identical, giving k = +inf and a95 = 0; data that cancel (R = 0) give k = (N - 1) / N,
// a95 = 180 and the mean of the zero vector. Raises FloatingPointFault:
// InvalidOperation for N < 2, Overflow where a finite division overflows.
FisherResult FisherBlock(const DirectionSums& sums);
