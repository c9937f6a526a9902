#pragma once

#include <QPointF>

#include "rounding.h"

// Size and place of the net for one plot pass.
struct PlotGeometry {
    int TextHeight = 0;     // pixels, height of "N" in the canvas font
    int TextWidthN = 0;     // pixels, width of "N"
    int Radius = 0;         // pixels
    int CentreX = 0;        // pixels
    int CentreY = 0;        // pixels
    double MarkSize = 0.0;  // net units: TextHeight / (4 Radius)
    double CrossSize = 0.0; // net units: 2 MarkSize
};

// Image region of the net and its labels; top is row 0; Right and Bottom
// exclusive. Kept for the whole run and rewritten by every plot pass.
struct PlotExtent {
    int Left = 0;
    int Right = 0;
    int Bottom = 0;
};

// Radius = rounded((min(width, height) - (4 TextHeight + halfLine)) / 2.2), at
// least 1 so that the mark sizes stay finite for any image.
PlotGeometry ComputePlotGeometry(int clientWidth, int clientHeight, int textHeight, int textWidthN);

// windowFontWidthN270: width of "N270" in the main window's font.
PlotExtent ComputePlotExtent(const PlotGeometry& geometry, int windowFontWidthN270);

// Net units to pixels: the product with Radius is rounded on its own, halves
// to even, then offset (rounding the sum would move some halfway products to
// the other pixel).
inline int UnitToPixelX(const PlotGeometry& geometry, double x) {
    return geometry.CentreX + RoundHalfEven(geometry.Radius * x);
}
inline int UnitToPixelY(const PlotGeometry& geometry, double y) {
    return geometry.CentreY - RoundHalfEven(geometry.Radius * y);
}

// Net units to the continuous units of a vector canvas, where pixel (x, y) is
// the square from (x, y) to (x + 1, y + 1): the exact point, inside the pixel
// that UnitToPixelX and UnitToPixelY name.
inline QPointF UnitToPoint(const PlotGeometry& geometry, double x, double y) {
    return {geometry.CentreX + 0.5 + geometry.Radius * x,
            geometry.CentreY + 0.5 - geometry.Radius * y};
}
