#include "marks.h"

#include "canvas.h"

void DrawUnitLine(Canvas& canvas, const PlotGeometry& geometry, double x1, double y1, double x2,
                  double y2) {
    canvas.NetLine(geometry, x1, y1, x2, y2);
}

// On a raster every corner is mapped to pixels on its own, so the same mark
// may differ by a pixel from place to place.
void DrawSquareMark(Canvas& canvas, const PlotGeometry& geometry, double x, double y, double s) {
    DrawUnitLine(canvas, geometry, x + s, y + s, x + s, y - s);
    DrawUnitLine(canvas, geometry, x + s, y - s, x - s, y - s);
    DrawUnitLine(canvas, geometry, x - s, y - s, x - s, y + s);
    DrawUnitLine(canvas, geometry, x - s, y + s, x + s, y + s);
}

void DrawDiamondMark(Canvas& canvas, const PlotGeometry& geometry, double x, double y, double s) {
    DrawUnitLine(canvas, geometry, x + s, y, x, y + s);
    DrawUnitLine(canvas, geometry, x, y + s, x - s, y);
    DrawUnitLine(canvas, geometry, x - s, y, x, y - s);
    DrawUnitLine(canvas, geometry, x, y - s, x + s, y);
}

void DrawXMark(Canvas& canvas, const PlotGeometry& geometry, double x, double y, double s) {
    DrawUnitLine(canvas, geometry, x + s, y + s, x - s, y - s);
    DrawUnitLine(canvas, geometry, x - s, y + s, x + s, y - s);
}

void DrawPlusMark(Canvas& canvas, const PlotGeometry& geometry, double x, double y, double s) {
    DrawUnitLine(canvas, geometry, x, y + s, x, y - s);
    DrawUnitLine(canvas, geometry, x - s, y, x + s, y);
}
