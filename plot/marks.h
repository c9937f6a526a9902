#pragma once

class Canvas;
struct PlotGeometry;

// One line between two net points with the canvas pen (Canvas::NetLine): on
// a raster its end pixel stays unset, a vector canvas draws it exactly.
void DrawUnitLine(Canvas& canvas, const PlotGeometry& geometry, double x1, double y1, double x2,
                  double y2);

// Marks centred on net point (x, y) with half-size s in net units.
void DrawSquareMark(Canvas& canvas, const PlotGeometry& geometry, double x, double y, double s);
void DrawDiamondMark(Canvas& canvas, const PlotGeometry& geometry, double x, double y, double s);
void DrawXMark(Canvas& canvas, const PlotGeometry& geometry, double x, double y, double s);
void DrawPlusMark(Canvas& canvas, const PlotGeometry& geometry, double x, double y, double s);
