#pragma once

#include <optional>

#include "direction.h"

// Plot types: 0 directions, 1 VGPs in north polar view (mirrored), 2 VGPs in
// south polar view.
using PlotType = int;

struct NetPoint {
    double x = 0.0; // east, net units
    double y = 0.0; // north, net units
};

// Lambert azimuthal equal-area (Schmidt) projection onto the unit circle;
// inc and -inc land on the same point, inc > 180 is reduced first.
NetPoint ProjectEqualArea(double dec, double inc, PlotType plotType);

// The two nets: equal area (Lambert azimuthal, Schmidt), and equal angle
// (stereographic, Wulff), which keeps angles and draws every circle of the
// sphere as a circle.
enum class Projection { EqualArea, EqualAngle };

// The net point of (dec, inc) on the unit circle, at radius sqrt(2) sin(t/2)
// (equal area: exactly ProjectEqualArea) or tan(t/2) (equal angle), t the
// angle from the centre: the polar aspects of Snyder's (1987, Map projections
// - a working manual, chapters 24 and 21) formulas on the unit sphere, the
// stereographic one with scale factor 1/2 so that the horizon is the unit
// circle. inc and -inc land on the same point, inc > 180 is reduced first,
// and the north polar view is mirrored.
NetPoint ProjectDirection(double dec, double inc, PlotType plotType, Projection projection);

// The direction shown at net point p: the inverse of ProjectDirection, with
// inc in [0, 90] and dec in [0, 360); nothing outside the primitive circle.
std::optional<IncDec> DirectionAtNetPoint(NetPoint p, PlotType plotType, Projection projection);
