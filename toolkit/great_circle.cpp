#include "great_circle.h"

#include <cmath>
#include <cstddef>
#include <optional>
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
// Unit roundoff u of a double, and sqrt(u): the proven accuracy a closed-form
// axis must reach to be kept (1e-8 rad, 6e-7 degree).
constexpr double kRoundoff = 0x1p-53;
const double kTrusted = std::sqrt(kRoundoff);

using FaultKind = FloatingPointFault::Kind;

double CheckedFinite(double value) {
    if (std::isinf(value)) {
        throw FloatingPointFault(FaultKind::Overflow);
    }
    return value;
}

// The fault a trapping FPU would raise for numerator / 0.
FaultKind DivisionFault(double numerator) {
    return numerator == 0.0 ? FaultKind::InvalidOperation : FaultKind::DivisionByZero;
}

double Norm2(const Vector3& v) {
    return v.x * v.x + v.y * v.y + v.z * v.z;
}

// Null vector of T - lambda I where the two-row solve has no pivot (B = 0, as
// when every datum is horizontal): the longest cross product of two rows is
// orthogonal to all three rows. With a repeated eigenvalue the rows span one
// line, and any vector across it is an eigenvector.
Vector3 RobustEigenvector(const OrientationTensor& t, double lambda) {
    const Vector3 rows[3] = {
        {t[0] - lambda, t[1], t[2]}, {t[1], t[4] - lambda, t[5]}, {t[2], t[5], t[8] - lambda}};
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

// Unit vector along v, scaled first so that no square overflows.
Vector3 Unit(const Vector3& v) {
    const double scale = std::fmax(std::fabs(v.x), std::fmax(std::fabs(v.y), std::fabs(v.z)));
    const Vector3 w{v.x / scale, v.y / scale, v.z / scale};
    const double length = std::sqrt(Norm2(w));
    return {w.x / length, w.y / length, w.z / length};
}

// An eigenvalue with an eigenvector of any length.
struct Axis {
    double value = 0.0;
    Vector3 vector;
};
using Axes = std::array<Axis, 3>;

// Three conditional swaps into descending order; equal values keep their order.
void SortDescending(Axes& axes) {
    if (axes[1].value > axes[0].value) {
        std::swap(axes[0], axes[1]);
    }
    if (axes[2].value > axes[0].value) {
        std::swap(axes[0], axes[2]);
    }
    if (axes[2].value > axes[1].value) {
        std::swap(axes[1], axes[2]);
    }
}

// The invariants and the trigonometric parameters, or the fault that stops
// them. Overflow is raised at once: no eigen-analysis is attempted beyond it.
std::optional<FaultKind> SolveCubic(const OrientationTensor& tensor, CharacteristicCubic& c) {
    const double t11 = tensor[0];
    const double t12 = tensor[1];
    const double t13 = tensor[2];
    const double t22 = tensor[4];
    const double t23 = tensor[5];
    const double t33 = tensor[8];

    c.I1 = CheckedFinite(t11 + t22 + t33);
    c.J = CheckedFinite(t12 * t12 + t23 * t23 + t13 * t13 - t11 * t22 - t22 * t33 - t11 * t33);
    c.Delta = CheckedFinite(t11 * t22 * t33 + 2.0 * t12 * t23 * t13 - t12 * t12 * t33 -
                            t23 * t23 * t11 - t13 * t13 * t22);
    c.P = CheckedFinite(-c.J - c.I1 * c.I1 / 3.0);
    c.Q = CheckedFinite((-c.Delta - c.I1 * c.J / 3.0) - 2.0 * c.I1 * c.I1 * c.I1 / 27.0);
    const double radicand = CheckedFinite(-c.P * c.P * c.P / 27.0);
    if (radicand < 0.0) {
        // Nearly isotropic data: p positive through rounding, no real solution.
        return FaultKind::InvalidOperation;
    }
    c.Rho = std::sqrt(radicand);
    if (c.Rho == 0.0) {
        return DivisionFault(c.Q);
    }
    c.CosArgument = CheckedFinite(-c.Q / (2.0 * c.Rho));
    c.Phi = ClampedArcCos(c.CosArgument);
    c.M = std::exp(std::log(c.Rho) / 3.0);
    return std::nullopt;
}

// The closed form: the cubic's roots, sorted, each with the null vector of the
// first two rows of T - lambda I.
Axes ClosedFormAxes(const OrientationTensor& tensor, const CharacteristicCubic& cubic) {
    const std::array<double, 3> roots = CubicRoots(cubic);
    Axes axes;
    for (std::size_t k = 0; k < 3; ++k) {
        axes[k].value = roots[k];
    }
    SortDescending(axes);
    for (Axis& axis : axes) {
        const TwoRowSolve solve = SolveFirstTwoRows(tensor, axis.value);
        axis.vector =
            solve.Solved ? Vector3{1.0, solve.Vy, solve.Vz} : RobustEigenvector(tensor, axis.value);
    }
    return axes;
}

// Cyclic Jacobi rotations (Golub and Van Loan, 8.5) until every off-diagonal
// entry is below the rounding of its two diagonal entries; backward stable.
Axes JacobiAxes(const OrientationTensor& tensor) {
    double a[3][3] = {{tensor[0], tensor[1], tensor[2]},
                      {tensor[1], tensor[4], tensor[5]},
                      {tensor[2], tensor[5], tensor[8]}};
    double v[3][3] = {{1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, {0.0, 0.0, 1.0}};
    constexpr int kPairs[3][2] = {{0, 1}, {0, 2}, {1, 2}};
    // Convergence is quadratic: a handful of sweeps reach the rounding level;
    // the cap only guards against a non-finite entry.
    for (int sweep = 0; sweep < 32; ++sweep) {
        bool rotated = false;
        for (const auto& [p, q] : kPairs) {
            const double apq = a[p][q];
            if (!(std::fabs(apq) > kRoundoff * (std::fabs(a[p][p]) + std::fabs(a[q][q])))) {
                a[p][q] = a[q][p] = 0.0;
                continue;
            }
            rotated = true;
            // t = tan of the rotation angle, the smaller root of t^2 + 2 theta t - 1 = 0;
            // for a huge theta, t = 1 / (2 theta) without squaring it.
            const double theta = (a[q][q] - a[p][p]) / (2.0 * apq);
            const double absTheta = std::fabs(theta);
            const double t =
                std::copysign(absTheta < 1e150 ? 1.0 / (absTheta + std::sqrt(theta * theta + 1.0))
                                               : 0.5 / absTheta,
                              theta);
            const double c = 1.0 / std::sqrt(t * t + 1.0);
            const double s = t * c;
            a[p][p] -= t * apq;
            a[q][q] += t * apq;
            a[p][q] = a[q][p] = 0.0;
            const int r = 3 - p - q;
            const double arp = a[r][p];
            const double arq = a[r][q];
            a[r][p] = a[p][r] = c * arp - s * arq;
            a[r][q] = a[q][r] = s * arp + c * arq;
            for (auto& row : v) {
                const double vp = row[p];
                const double vq = row[q];
                row[p] = c * vp - s * vq;
                row[q] = s * vp + c * vq;
            }
        }
        if (!rotated) {
            break;
        }
    }
    Axes axes;
    for (int k = 0; k < 3; ++k) {
        axes[k].value = a[k][k];
        axes[k].vector = {v[0][k], v[1][k], v[2][k]};
    }
    SortDescending(axes);
    return axes;
}

// For each axis a radius r about its value that holds an eigenvalue of T:
// |T u - mu u| computed in doubles, plus that residual's own rounding, which
// for four-term sums is below 4u (|T||u| + |mu|) (Higham, gamma_4), with u
// more for the inexact length of u.
std::array<double, 3> ErrorRadii(const OrientationTensor& t, const Axes& axes) {
    const double normT = std::sqrt(t[0] * t[0] + t[4] * t[4] + t[8] * t[8] +
                                   2.0 * (t[1] * t[1] + t[2] * t[2] + t[5] * t[5]));
    std::array<double, 3> radii;
    for (std::size_t k = 0; k < 3; ++k) {
        const Vector3 u = Unit(axes[k].vector);
        const double mu = axes[k].value;
        const Vector3 residual{t[0] * u.x + t[1] * u.y + t[2] * u.z - mu * u.x,
                               t[1] * u.x + t[4] * u.y + t[5] * u.z - mu * u.y,
                               t[2] * u.x + t[5] * u.y + t[8] * u.z - mu * u.z};
        radii[k] = std::sqrt(Norm2(residual)) + 5.0 * kRoundoff * (normT + std::fabs(mu));
    }
    return radii;
}

// Davis and Kahan: with disjoint error intervals each holds one eigenvalue,
// and the angle between axis i and its eigenvector is below r_i / delta_i,
// delta_i the distance from value i to the other intervals.
bool AxesAreTrusted(const Axes& axes, const std::array<double, 3>& radii) {
    for (std::size_t i = 0; i < 3; ++i) {
        double gap = INFINITY;
        for (std::size_t j = 0; j < 3; ++j) {
            if (j != i) {
                gap = std::fmin(gap, std::fabs(axes[i].value - axes[j].value) - radii[j]);
            }
        }
        // sin(angle to the true axis) <= r_i / delta_i (Davis-Kahan), so this proves it to sqrt(u).
        if (!(gap > radii[i] && radii[i] <= kTrusted * gap)) {
            return false;
        }
    }
    return true;
}

std::array<EigenAxis, 3> EigenAxesOf(const Axes& axes) {
    std::array<EigenAxis, 3> out;
    for (std::size_t k = 0; k < 3; ++k) {
        const Vector3& v = axes[k].vector;
        // An axis is given by its lower-hemisphere end.
        const IncDec direction = LowerHemisphereEnd(VectorToDirection(v.x, v.y, v.z));
        out[k] = {direction.Dec, direction.Inc, axes[k].value};
    }
    return out;
}

} // namespace

// Trigonometric solution of the characteristic cubic of a symmetric 3x3
// matrix (the roots are real, so the depressed cubic has p <= 0).
CharacteristicCubic CharacteristicCubicOf(const OrientationTensor& tensor) {
    CharacteristicCubic c;
    if (const std::optional<FaultKind> fault = SolveCubic(tensor, c)) {
        throw FloatingPointFault(*fault);
    }
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

std::array<EigenAxis, 3> JacobiEigenAxes(OrientationTensor tensor) {
    return EigenAxesOf(JacobiAxes(tensor));
}

std::array<EigenAxis, 3> EigenAxes(OrientationTensor tensor) {
    CharacteristicCubic cubic;
    const std::optional<FaultKind> fault = SolveCubic(tensor, cubic);
    if (!fault) {
        const Axes closedForm = ClosedFormAxes(tensor, cubic);
        if (AxesAreTrusted(closedForm, ErrorRadii(tensor, closedForm))) {
            return EigenAxesOf(closedForm);
        }
    }
    const Axes stable = JacobiAxes(tensor);
    const std::array<double, 3> radii = ErrorRadii(tensor, stable);
    if (stable[0].value - stable[2].value <= radii[0] + radii[2]) {
        // All three eigenvalues equal within rounding: every plane fits equally well.
        throw FloatingPointFault(fault.value_or(FaultKind::InvalidOperation));
    }
    // Where two values coincide, their axes are any orthonormal pair of their
    // plane. For the two smallest every vector of that plane is a best-fit
    // pole, and the one Jacobi ends on is an arbitrary choice.
    return EigenAxesOf(stable);
}

GreatCircleResult GreatCircleFit(const DirectionSums& sums) {
    const std::array<EigenAxis, 3> axes = EigenAxes(OrientationTensorOf(sums));
    return {axes[2].Dec, axes[2].Inc, axes[2].Value};
}
