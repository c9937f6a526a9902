#include "tilt_correction.h"

#include <cmath>

#include "angles.h"

// Turned into a frame whose x axis is the dip direction, the correction is a
// rotation in the x-z plane by -dip; then back to north and east.
IncDec TiltCorrectedDirection(double dec, double inc, double dipDirection, double dip) {
    const Vector3 v = DirectionToVector(inc, dec, 1.0);
    const double cd = std::cos(dipDirection * kDegToRad);
    const double sd = std::sin(dipDirection * kDegToRad);
    const double cb = std::cos(dip * kDegToRad);
    const double sb = std::sin(dip * kDegToRad);
    const double alongDip = v.x * cd + v.y * sd;
    const double alongStrike = -v.x * sd + v.y * cd;
    const double level = alongDip * cb + v.z * sb;
    const double z = -alongDip * sb + v.z * cb;
    return VectorToDirection(level * cd - alongStrike * sd, level * sd + alongStrike * cd, z);
}
