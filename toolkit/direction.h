#pragma once

#include <cmath>

// One datum as read from a line of the data text. Angles in degrees: the
// declination slot also carries an azimuth or a longitude, the inclination slot
// a plunge or a latitude. ErrorRadius is written only by the file types that
// carry one. Success tells whether the line was a datum. The bedding (dip
// direction, and dip in 0...90) is read only when asked for; HasBedding tells
// that it was.
struct Direction {
    double Dec = 0.0;
    double Inc = 0.0;
    double ErrorRadius = 0.0;
    bool Success = false;
    bool HasBedding = false;
    double BeddingDipDirection = 0.0;
    double BeddingDip = 0.0;
};

// An inclination/declination pair in degrees, as the conversions return it.
struct IncDec {
    double Inc = 0.0;
    double Dec = 0.0;
};

// Cartesian components: x north, y east, z down.
struct Vector3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

inline double Dot(const Vector3& a, const Vector3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

inline Vector3 Cross(const Vector3& a, const Vector3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// v scaled to length 1; v must not be zero.
inline Vector3 Normalized(const Vector3& v) {
    const double length = std::sqrt(Dot(v, v));
    return {v.x / length, v.y / length, v.z / length};
}

// Angle between two unit vectors, in radians, accurate for small and large
// angles alike (from the chords of their difference and sum).
inline double AngleBetween(const Vector3& a, const Vector3& b) {
    const Vector3 d{a.x - b.x, a.y - b.y, a.z - b.z};
    const Vector3 s{a.x + b.x, a.y + b.y, a.z + b.z};
    return 2.0 * std::atan2(std::sqrt(Dot(d, d)), std::sqrt(Dot(s, s)));
}
