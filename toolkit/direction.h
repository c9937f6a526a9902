#pragma once

// One datum as read from a line of the data text. Angles in degrees: the
// declination slot also carries an azimuth or a longitude, the inclination slot
// a plunge or a latitude. ErrorRadius is written only by the file types that
// carry one. Success tells whether the line was a datum.
struct Direction {
    double Dec = 0.0;
    double Inc = 0.0;
    double ErrorRadius = 0.0;
    bool Success = false;
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
