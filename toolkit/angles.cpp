#include "angles.h"

#include <cmath>

#include "floating_point_fault.h"

namespace {
constexpr double kPi = 3.141592653589793;
}

Vector3 DirectionToVector(double inc, double dec, double length) {
    const double i = inc * kDegToRad;
    const double d = dec * kDegToRad;
    const double h = length * std::cos(i);
    return {h * std::cos(d), h * std::sin(d), length * std::sin(i)};
}

// One-argument arctangent with explicit quadrant rules, so that the degenerate
// vectors get fixed answers instead of whatever a two-argument form returns.
IncDec VectorToDirection(double x, double y, double z) {
    IncDec out;
    const double h = std::sqrt(x * x + y * y);
    if (h > 0.0) {
        out.Inc = std::atan(z / h) / kDegToRad;
    } else {
        out.Inc = z >= 0.0 ? 90.0 : -90.0;
    }
    double dec = 0.0;
    if (std::fabs(x) > 0.0) {
        dec = std::atan(y / x) / kDegToRad;
    } else {
        dec = y >= 0.0 ? 90.0 : 270.0;
    }
    if (x < 0.0) {
        dec -= 180.0;
    }
    if (dec < 0.0) {
        dec += 360.0;
    }
    if (dec == 360.0) {
        // A vector just west of north: -tiny + 360 rounds to 360, outside [0, 360).
        dec = 0.0;
    }
    out.Dec = dec;
    return out;
}

IncDec LowerHemisphereEnd(IncDec d) {
    if (d.Inc < 0.0) {
        d.Inc = -d.Inc;
        d.Dec = d.Dec >= 180.0 ? d.Dec - 180.0 : d.Dec + 180.0;
        if (d.Dec == 360.0) {
            // The largest double below 180, turned round, rounds up to 360.
            d.Dec = 0.0;
        }
    }
    return d;
}

double ClampedArcCos(double x) {
    if (x >= 1.0) {
        return 0.0;
    }
    if (x <= -1.0) {
        return kPi;
    }
    return kPi / 2.0 - std::atan(x / std::sqrt(1.0 - x * x));
}

// ln 0 is a pole (IEEE division by zero), ln of a negative base has no real
// value (invalid operation); a finite result beyond the double range overflows.
double PowerOf(double base, double exponent) {
    if (base == 0.0) {
        throw FloatingPointFault(FloatingPointFault::Kind::DivisionByZero);
    }
    if (!(base > 0.0)) {
        throw FloatingPointFault(FloatingPointFault::Kind::InvalidOperation);
    }
    const double result = std::exp(exponent * std::log(base));
    if (std::isinf(result) && std::isfinite(base) && std::isfinite(exponent)) {
        throw FloatingPointFault(FloatingPointFault::Kind::Overflow);
    }
    return result;
}
