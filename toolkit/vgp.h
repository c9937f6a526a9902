#pragma once

// The virtual geomagnetic pole of a site mean (Butler 1992, section 7). All
// angles in degrees.
struct VirtualGeomagneticPole {
    double PoleLat = 0.0;       // [-90, 90], north positive
    double PoleLon = 0.0;       // [0, 360), east
    double Dp = 0.0;            // semi-axis of the confidence oval along the site-pole arc
    double Dm = 0.0;            // semi-axis across it
    double Paleolatitude = 0.0; // atan(tan I / 2), [-90, 90]
};

// Pole of the mean direction (dec, inc), inc in [-90, 90], with cone a95, seen
// at the site (siteLat in [-90, 90], siteLon any). p is the magnetic
// colatitude, tan I = 2 cot p, in [0, 180]; dp = a95 (1 + 3 cos^2 p) / 2 and
// dm = a95 sin p / cos I, which is 2 a95 / sqrt(1 + 3 cos^2 I) and so finite
// at I = +-90. Any finite input gives finite results; where the pole or the
// site is a geographic pole the longitude is meaningless but still in range.
VirtualGeomagneticPole VirtualGeomagneticPoleOf(double dec, double inc, double a95, double siteLat,
                                                double siteLon);
