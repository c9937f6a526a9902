#pragma once

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
