#pragma once

#include <vector>

#include "canvas.h"
#include "equal_area.h"

struct PlotGeometry;

// One continuous run of a projected curve as cubic pieces in net units.
struct CurveRun {
    NetPoint Start;
    std::vector<NetCubic> Pieces; // none: the run is a single point
    bool Closed = false;          // the last piece ends at Start and the run has no ends
};

// How far, in plot units (raster pixels), a piece may lie from the exact
// curve at the points where it is checked: an eighth of the 0.8 unit that
// ink may reach from the curve, a fifth of a stroke's half width.
constexpr double kCurveTolerance = 0.1;

// The exact projected curve of the small circle of radius rho (degrees) about
// (dec, inc): the points SmallCirclePoint(90 - rho, t, dec - 90, 90 - inc) for
// every real position angle t, projected by ProjectDirection for plotType in
// the projection's net,
// as cubic pieces within kCurveTolerance plot units of it at the geometry's
// radius (as many as the curve needs). The curve breaks where the raster's
// does: with lowerHemisphereOnly the points of negative inclination are left
// out and each run ends on the primitive; otherwise the upper hemisphere
// folds into the net, the curve turns a corner on the primitive there, and
// the one run is closed. A circle that is a single point is one run without
// pieces; one with a value that is not finite has none.
std::vector<CurveRun> CircleCurveRuns(const PlotGeometry& geometry, int plotType, double dec,
                                      double inc, double rho, bool lowerHemisphereOnly,
                                      Projection projection = Projection::EqualArea);

// Hands each run of CircleCurveRuns to canvas.NetCurve.
void DrawCircleCurve(Canvas& canvas, const PlotGeometry& geometry, int plotType, double dec,
                     double inc, double rho, bool lowerHemisphereOnly,
                     Projection projection = Projection::EqualArea);
