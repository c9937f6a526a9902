#pragma once

#include <QPoint>

#include <algorithm>
#include <cmath>

#include "angles.h"
#include "plot_geometry.h"

// Reads a pixel of a plot-type-0 net back as the lower-hemisphere direction
// it shows, by inverting r = sqrt(2) sin(colatitude / 2).
struct NetDirection {
    double dec;
    double inc;
};

inline NetDirection DirectionOfPixel(const PlotGeometry& g, QPoint p) {
    const double x = (p.x() - g.CentreX) / double(g.Radius);
    const double y = (g.CentreY - p.y()) / double(g.Radius);
    const double r = std::min(1.0, std::hypot(x, y));
    const double colatitude = 2.0 * std::asin(r / std::sqrt(2.0));
    return {std::atan2(x, y) / kDegToRad, 90.0 - colatitude / kDegToRad};
}

inline double AngleBetween(NetDirection a, NetDirection b) {
    const Vector3 u = DirectionToVector(a.inc, a.dec, 1.0);
    const Vector3 v = DirectionToVector(b.inc, b.dec, 1.0);
    return std::acos(std::clamp(u.x * v.x + u.y * v.y + u.z * v.z, -1.0, 1.0)) / kDegToRad;
}
