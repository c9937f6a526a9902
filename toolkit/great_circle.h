#pragma once

#include <array>

struct DirectionSums;

// Symmetric 3x3 matrix, row-major, of the plain product sums (not divided by N).
using OrientationTensor = std::array<double, 9>;

struct EigenAxis {
    double Dec = 0.0;   // degrees
    double Inc = 0.0;   // degrees, >= 0 (lower-hemisphere end)
    double Value = 0.0; // eigenvalue in the tensor's units
};

struct GreatCircleResult {
    double PoleDec = 0.0;
    double PoleInc = 0.0; // >= 0
    double Eigenvalue = 0.0;
};

OrientationTensor OrientationTensorOf(const DirectionSums& sums);

// Closed-form eigen-analysis (trigonometric solution of the characteristic
// cubic) of the tensor's upper triangle; axes ordered by Value, largest first.
// Raises FloatingPointFault where no solution exists: -p^3/27 < 0 (invalid
// operation) or three equal eigenvalues (rho = 0).
std::array<EigenAxis, 3> EigenAxes(OrientationTensor tensor);

// Pole of the best-fit great circle: the axis of the smallest eigenvalue.
GreatCircleResult GreatCircleFit(const DirectionSums& sums);
