#pragma once

#include <QPoint>

#include <array>

struct PlotGeometry;

// Pixels of one circle, in the order of the position angle j = 0..359.
using CirclePixelList = std::array<QPoint, 360>;

// Pixels of the small circle of radius rho (degrees) about (dec, inc): point j
// is SmallCirclePoint(90 - rho, j, dec - 90, 90 - inc) projected for plotType
// and mapped to pixels. With lowerHemisphereOnly the points of negative
// inclination are left out. Writes the pixels to the front of out and returns
// how many there are. The rotation is set up once per circle and the points
// are projected straight from their vectors.
int CirclePixels(const PlotGeometry& geometry, int plotType, double dec, double inc, double rho,
                 bool lowerHemisphereOnly, CirclePixelList& out);

// The same pixels computed point by point through SmallCirclePoint and
// ProjectEqualArea; the yardstick for CirclePixels.
int CirclePixelsDirect(const PlotGeometry& geometry, int plotType, double dec, double inc,
                       double rho, bool lowerHemisphereOnly, CirclePixelList& out);
