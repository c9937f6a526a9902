#include "equal_area.h"

#include <cmath>

#include "angles.h"

namespace {

// The x87 sine and cosine leave an argument of magnitude 2^63 or more
// unreduced and the plot reads their result as 0; keep that answer.
constexpr double kTrigLimit = 9223372036854775808.0;

double PlotSin(double radians) {
    return std::fabs(radians) < kTrigLimit ? std::sin(radians) : 0.0;
}

double PlotCos(double radians) {
    return std::fabs(radians) < kTrigLimit ? std::cos(radians) : 0.0;
}

constexpr double kHalfPi = 1.5707963267948966;

} // namespace

namespace {

// An inclination past straight down continues over to the opposite azimuth.
void Unfold(double& dec, double& inc) {
    if (inc > 180.0) {
        inc = 180.0 - inc;
        dec = dec + 180.0;
        if (dec > 360.0) {
            dec = dec - 360.0;
        }
    }
}

// The point at radius r towards azimuth dec; the north polar view mirrored.
NetPoint AtRadius(double r, double dec, PlotType plotType) {
    NetPoint p;
    p.y = r * PlotCos(dec * kDegToRad);
    p.x = r * PlotSin(dec * kDegToRad);
    if (plotType == 1) {
        p.x = -p.x;
    }
    return p;
}

} // namespace

NetPoint ProjectEqualArea(double dec, double inc, PlotType plotType) {
    Unfold(dec, inc);
    // Lambert azimuthal equal-area: r = sqrt(2) sin(colatitude / 2), written
    // with the decimal factor 1.41421356237 so the horizon stays just inside
    // the primitive circle.
    const double r = 1.41421356237 * PlotCos((std::fabs(inc) * kDegToRad + kHalfPi) / 2.0);
    return AtRadius(r, dec, plotType);
}

NetPoint ProjectDirection(double dec, double inc, PlotType plotType, Projection projection) {
    if (projection == Projection::EqualArea) {
        return ProjectEqualArea(dec, inc, plotType);
    }
    Unfold(dec, inc);
    // Stereographic: r = tan(t / 2), t = 90 - |inc| the angle from the centre.
    const double r = std::tan((90.0 - std::fabs(inc)) * kDegToRad / 2.0);
    return AtRadius(r, dec, plotType);
}

std::optional<IncDec> DirectionAtNetPoint(NetPoint p, PlotType plotType, Projection projection) {
    const double x = plotType == 1 ? -p.x : p.x;
    const double r = std::hypot(x, p.y);
    if (!(r <= 1.0)) {
        return std::nullopt;
    }
    const double fromCentre = projection == Projection::EqualArea
                                  ? 2.0 * std::asin(r / std::sqrt(2.0))
                                  : 2.0 * std::atan(r);
    double dec = std::atan2(x, p.y) / kDegToRad;
    if (dec < 0.0) {
        dec += 360.0;
    }
    return IncDec{90.0 - fromCentre / kDegToRad, dec >= 360.0 ? 0.0 : dec};
}
