#pragma once

#include <QColor>
#include <QPoint>

#include <array>

#include "equal_area.h"

struct BlackPixelRaster;
struct PlotGeometry;

// Pixels of one circle, in the order of the position angle j = 0..359.
using CirclePixelList = std::array<QPoint, 360>;

// Pixels of the small circle of radius rho (degrees) about (dec, inc): point j
// is SmallCirclePoint(90 - rho, j, dec - 90, 90 - inc) projected for plotType
// in the projection's net and mapped to pixels. With lowerHemisphereOnly the points of negative
// inclination are left out. Writes the pixels to the front of out and returns
// how many there are. The rotation is set up once per circle and the points
// are projected straight from their vectors, all 360 at once.
int CirclePixels(const PlotGeometry& geometry, int plotType, double dec, double inc, double rho,
                 bool lowerHemisphereOnly, CirclePixelList& out,
                 Projection projection = Projection::EqualArea);

// The same pixels computed point by point through SmallCirclePoint and
// ProjectDirection; the yardstick for CirclePixels.
int CirclePixelsDirect(const PlotGeometry& geometry, int plotType, double dec, double inc,
                       double rho, bool lowerHemisphereOnly, CirclePixelList& out,
                       Projection projection = Projection::EqualArea);

// One byte per pixel, row after row, 1 where a circle passes: where a thread
// draws its circles before they reach the raster. A quarter of the raster's
// size, it stays in a processor's cache where the raster does not, and a
// byte is set without reading it first.
struct PixelMask {
    unsigned char* Cells = nullptr;
    int Width = 0;
    int Height = 0;
};

// Sets the pixels CirclePixels gives to ink in the raster, or in the mask to
// value where it holds less; those outside are clipped.
void SetCirclePixels(const BlackPixelRaster& raster, QRgb ink, const PlotGeometry& geometry,
                     int plotType, double dec, double inc, double rho, bool lowerHemisphereOnly,
                     Projection projection = Projection::EqualArea);
void SetCirclePixels(const PixelMask& mask, unsigned char value, const PlotGeometry& geometry,
                     int plotType, double dec, double inc, double rho, bool lowerHemisphereOnly,
                     Projection projection = Projection::EqualArea);
