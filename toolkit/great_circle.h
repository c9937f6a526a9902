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

// The tensor of the six product sums.
OrientationTensor OrientationTensorOf(const DirectionSums& sums);

// Invariants of the tensor and the parameters of the trigonometric solution
// of its characteristic cubic (angles in radians).
struct CharacteristicCubic {
    double I1 = 0.0;          // trace
    double J = 0.0;           // negated second invariant
    double Delta = 0.0;       // determinant
    double P = 0.0;           // -J - I1^2/3
    double Q = 0.0;           // (-Delta - I1 J/3) - 2 I1^3/27
    double Rho = 0.0;         // sqrt(-P^3/27)
    double CosArgument = 0.0; // -Q / (2 Rho)
    double Phi = 0.0;         // clamped arccos of CosArgument
    double M = 0.0;           // cube root of Rho
};

// Reads the upper triangle only. Raises FloatingPointFault where the cubic has
// no trigonometric solution: -P^3/27 < 0 (InvalidOperation); Rho = 0
// (DivisionByZero, or InvalidOperation when Q is 0 too); an intermediate beyond
// the double range (Overflow).
CharacteristicCubic CharacteristicCubicOf(const OrientationTensor& tensor);

// The three roots in computed order: largest, smallest, middle.
std::array<double, 3> CubicRoots(const CharacteristicCubic& cubic);

// Eigenvector (1, Vy, Vz) of eigenvalue lambda from the first two rows of
// T - lambda I; B is the pivot. When B is 0 (or the quotients leave the double
// range) Solved is false and Vy, Vz are meaningless.
struct TwoRowSolve {
    double B = 0.0;
    double Vy = 0.0;
    double Vz = 0.0;
    bool Solved = false;
};
TwoRowSolve SolveFirstTwoRows(const OrientationTensor& tensor, double lambda);

// Eigen-analysis of the tensor's upper triangle; axes ordered by Value,
// largest first, each given by its lower-hemisphere end (Inc >= 0, Dec in
// [0, 360)). The closed form (cubic, two-row solve, or where that has no pivot
// the longest cross product of two rows of T - lambda I) is kept where its
// residuals prove every axis right to 1e-8 rad; elsewhere the axes are
// JacobiEigenAxes'. Where the two smallest values coincide, axes[2] is one of
// the equally good poles. Raises FloatingPointFault only where all three
// values are equal within rounding (the cubic's fault, else InvalidOperation)
// and for entries so large that the cubic overflows (Overflow).
std::array<EigenAxis, 3> EigenAxes(OrientationTensor tensor);

// Cyclic Jacobi eigen-analysis of the upper triangle, backward stable: the
// same ordering and lower-hemisphere ends as EigenAxes; equal values keep
// Jacobi's order and their axes are any orthonormal pair of their plane.
// Never raises; finite entries give finite axes.
std::array<EigenAxis, 3> JacobiEigenAxes(OrientationTensor tensor);

// Pole of the best-fit great circle: the axis of the smallest eigenvalue.
GreatCircleResult GreatCircleFit(const DirectionSums& sums);
