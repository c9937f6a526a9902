#include "vgp.h"

#include <algorithm>
#include <cmath>

#include "angles.h"

namespace {

constexpr double kRadToDeg = 57.29577951308232;

// Degrees in [0, 360).
double EastLongitude(double degrees) {
    double lon = std::fmod(degrees, 360.0);
    if (lon < 0.0) {
        lon += 360.0;
    }
    // -tiny + 360 rounds to 360.
    return lon >= 360.0 ? 0.0 : lon + 0.0;
}

} // namespace

// Butler (1992) gives the longitude as the site's plus beta or 180 - beta,
// beta = asin(sin p sin D / cos(pole lat)), by the sign of
// cos p - sin(site lat) sin(pole lat). Both sides of the spherical triangle's
// sine and cosine rules times cos(site lat) cos(pole lat) >= 0 give one
// atan2 that takes the same branch without dividing by cos(pole lat).
VirtualGeomagneticPole VirtualGeomagneticPoleOf(double dec, double inc, double a95, double siteLat,
                                                double siteLon) {
    const double d = dec * kDegToRad;
    const double i = inc * kDegToRad;
    const double ls = siteLat * kDegToRad;
    const double ci = std::cos(i);
    const double si = std::sin(i);
    // cot p = tan I / 2, p in [0, pi] since cos I >= 0.
    const double p = std::atan2(2.0 * ci, si);
    const double cp = std::cos(p);
    const double sp = std::sin(p);
    const double sinPoleLat =
        std::clamp(std::sin(ls) * cp + std::cos(ls) * sp * std::cos(d), -1.0, 1.0);
    const double poleLat = std::asin(sinPoleLat);
    const double arc = std::atan2(sp * std::sin(d) * std::cos(ls), cp - std::sin(ls) * sinPoleLat);

    VirtualGeomagneticPole pole;
    pole.PoleLat = poleLat * kRadToDeg;
    pole.PoleLon = EastLongitude(siteLon + arc * kRadToDeg);
    pole.Dp = a95 * (1.0 + 3.0 * cp * cp) / 2.0;
    pole.Dm = 2.0 * a95 / std::sqrt(1.0 + 3.0 * ci * ci);
    pole.Paleolatitude = std::atan2(si, 2.0 * ci) * kRadToDeg;
    return pole;
}
