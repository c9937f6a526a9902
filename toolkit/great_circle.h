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

// Reads the upper triangle only. Raises FloatingPointFault where no solution
// exists: -P^3/27 < 0 (InvalidOperation); Rho = 0, three equal eigenvalues
// (DivisionByZero, or InvalidOperation when Q is 0 too); an intermediate
// beyond the double range (Overflow).
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

// Closed-form eigen-analysis of the tensor's upper triangle; axes ordered by
// Value, largest first, each given by its lower-hemisphere end (Inc >= 0).
// Where the two-row solve has no pivot the eigenvector comes from the longest
// cross product of two rows of T - lambda I. Faults as CharacteristicCubicOf.
std::array<EigenAxis, 3> EigenAxes(OrientationTensor tensor);

// Pole of the best-fit great circle: the axis of the smallest eigenvalue.
GreatCircleResult GreatCircleFit(const DirectionSums& sums);
