#include "great_circle.h"

#include <cmath>
#include <cstddef>
#include <utility>

#include "angles.h"
#include "fisher.h"
#include "floating_point_fault.h"

OrientationTensor OrientationTensorOf(const DirectionSums& sums) {
    return {sums.Sxx, sums.Sxy, sums.Sxz, //
            sums.Sxy, sums.Syy, sums.Syz, //
            sums.Sxz, sums.Syz, sums.Szz};
}

namespace {

constexpr double kPi = 3.141592653589793;

double CheckedFinite(double value) {
    if (std::isinf(value)) {
        throw FloatingPointFault(FloatingPointFault::Kind::Overflow);
    }
    return value;
}

// Quotient with the fault a trapping FPU would raise.
double Divide(double numerator, double denominator) {
    if (denominator == 0.0) {
        throw FloatingPointFault(numerator == 0.0 ? FloatingPointFault::Kind::InvalidOperation
                                                  : FloatingPointFault::Kind::DivisionByZero);
    }
    return CheckedFinite(numerator / denominator);
}

Vector3 Cross(const Vector3& a, const Vector3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double Norm2(const Vector3& v) {
    return v.x * v.x + v.y * v.y + v.z * v.z;
}

// Null vector of T - lambda I where the two-row solve has no pivot (B = 0, as
// when every datum is horizontal): the longest cross product of two rows is
// orthogonal to all three rows. With a repeated eigenvalue the rows span one
// line, and any vector across it is an eigenvector.
Vector3 RobustEigenvector(double t11, double t12, double t13, double t22, double t23, double t33,
                          double lambda) {
    const Vector3 rows[3] = {
        {t11 - lambda, t12, t13}, {t12, t22 - lambda, t23}, {t13, t23, t33 - lambda}};
    const Vector3 candidates[3] = {Cross(rows[0], rows[1]), Cross(rows[0], rows[2]),
                                   Cross(rows[1], rows[2])};
    Vector3 best = candidates[0];
    for (const Vector3& c : candidates) {
        if (Norm2(c) > Norm2(best)) {
            best = c;
        }
    }
    if (Norm2(best) > 0.0) {
        return best;
    }
    Vector3 row = rows[0];
    for (const Vector3& r : rows) {
        if (Norm2(r) > Norm2(row)) {
            row = r;
        }
    }
    if (Norm2(row) == 0.0) {
        return {0.0, 0.0, 1.0};
    }
    // Cross the row with the coordinate axis it leans on least.
    const double ax = std::fabs(row.x);
    const double ay = std::fabs(row.y);
    const double az = std::fabs(row.z);
    Vector3 axis{0.0, 0.0, 1.0};
    if (ax <= ay && ax <= az) {
        axis = {1.0, 0.0, 0.0};
    } else if (ay <= az) {
        axis = {0.0, 1.0, 0.0};
    }
    return Cross(row, axis);
}

} // namespace

// Trigonometric solution of the characteristic cubic of a symmetric 3x3
// matrix (the roots are real, so the depressed cubic has p <= 0).
CharacteristicCubic CharacteristicCubicOf(const OrientationTensor& tensor) {
    const double t11 = tensor[0];
    const double t12 = tensor[1];
    const double t13 = tensor[2];
    const double t22 = tensor[4];
    const double t23 = tensor[5];
    const double t33 = tensor[8];

    CharacteristicCubic c;
    c.I1 = CheckedFinite(t11 + t22 + t33);
    c.J = CheckedFinite(t12 * t12 + t23 * t23 + t13 * t13 - t11 * t22 - t22 * t33 - t11 * t33);
    c.Delta = CheckedFinite(t11 * t22 * t33 + 2.0 * t12 * t23 * t13 - t12 * t12 * t33 -
                            t23 * t23 * t11 - t13 * t13 * t22);
    c.P = CheckedFinite(-c.J - c.I1 * c.I1 / 3.0);
    c.Q = CheckedFinite((-c.Delta - c.I1 * c.J / 3.0) - 2.0 * c.I1 * c.I1 * c.I1 / 27.0);
    const double radicand = CheckedFinite(-c.P * c.P * c.P / 27.0);
    if (radicand < 0.0) {
        // Nearly isotropic data: p positive through rounding, no real solution.
        throw FloatingPointFault(FloatingPointFault::Kind::InvalidOperation);
    }
    c.Rho = std::sqrt(radicand);
    c.CosArgument = Divide(-c.Q, 2.0 * c.Rho);
    c.Phi = ClampedArcCos(c.CosArgument);
    c.M = std::exp(std::log(c.Rho) / 3.0);
    return c;
}

std::array<double, 3> CubicRoots(const CharacteristicCubic& c) {
    return {2.0 * c.M * std::cos(c.Phi / 3.0) + c.I1 / 3.0,
            2.0 * c.M * std::cos((c.Phi + 2.0 * kPi) / 3.0) + c.I1 / 3.0,
            2.0 * c.M * std::cos((c.Phi + 4.0 * kPi) / 3.0) + c.I1 / 3.0};
}

TwoRowSolve SolveFirstTwoRows(const OrientationTensor& tensor, double lambda) {
    const double t11 = tensor[0];
    const double t12 = tensor[1];
    const double t13 = tensor[2];
    const double t22 = tensor[4];
    const double t23 = tensor[5];
    TwoRowSolve s;
    s.B = t12 * t23 + (lambda - t22) * t13;
    if (s.B != 0.0) {
        s.Vy = ((lambda - t11) * t23 + t13 * t12) / s.B;
        s.Vz = ((lambda - t11) * (lambda - t22) - t12 * t12) / s.B;
        s.Solved = std::isfinite(s.Vy) && std::isfinite(s.Vz);
    }
    return s;
}

std::array<EigenAxis, 3> EigenAxes(OrientationTensor tensor) {
    const std::array<double, 3> roots = CubicRoots(CharacteristicCubicOf(tensor));
    std::array<EigenAxis, 3> axes;
    for (std::size_t k = 0; k < 3; ++k) {
        axes[k].Value = roots[k];
    }
    // Three conditional swaps; equal values keep their computed order.
    if (axes[1].Value > axes[0].Value) {
        std::swap(axes[0].Value, axes[1].Value);
    }
    if (axes[2].Value > axes[0].Value) {
        std::swap(axes[0].Value, axes[2].Value);
    }
    if (axes[2].Value > axes[1].Value) {
        std::swap(axes[1].Value, axes[2].Value);
    }

    for (EigenAxis& axis : axes) {
        const TwoRowSolve solve = SolveFirstTwoRows(tensor, axis.Value);
        IncDec direction;
        if (solve.Solved) {
            direction = VectorToDirection(1.0, solve.Vy, solve.Vz);
        } else {
            const Vector3 v = RobustEigenvector(tensor[0], tensor[1], tensor[2], tensor[4],
                                                tensor[5], tensor[8], axis.Value);
            direction = VectorToDirection(v.x, v.y, v.z);
        }
        // An axis is given by its lower-hemisphere end.
        direction = LowerHemisphereEnd(direction);
        axis.Dec = direction.Dec;
        axis.Inc = direction.Inc;
    }
    return axes;
}

GreatCircleResult GreatCircleFit(const DirectionSums& sums) {
    const std::array<EigenAxis, 3> axes = EigenAxes(OrientationTensorOf(sums));
    return {axes[2].Dec, axes[2].Inc, axes[2].Value};
}
