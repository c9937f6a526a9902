#include "small_circle.h"

#include <cmath>

#include "angles.h"

// Rotation by -tilt about the horizontal unit axis (cos a, sin a, 0).
IncDec SmallCirclePoint(double baseInc, double baseDec, double axisDec, double tilt) {
    const double a = axisDec * kDegToRad;
    const double b = tilt * kDegToRad;
    const double sa = std::sin(a);
    const double ca = std::cos(a);
    const double sb = std::sin(b);
    const double cb = std::cos(b);
    const Vector3 v = DirectionToVector(baseInc, baseDec, 1.0);
    const double x = (sa * sa * cb + ca * ca) * v.x + sa * ca * (1.0 - cb) * v.y - sa * sb * v.z;
    const double y = sa * ca * (1.0 - cb) * v.x + (sa * sa + ca * ca * cb) * v.y + ca * sb * v.z;
    const double z = sa * sb * v.x - ca * sb * v.y + cb * v.z;
    return VectorToDirection(x, y, z);
}
