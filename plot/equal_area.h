#pragma once

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
