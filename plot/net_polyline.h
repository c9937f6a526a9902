#pragma once

#include <span>

#include "equal_area.h"

class Canvas;
struct PlotGeometry;

// A line through points given in net units with the canvas's ink: on a raster
// one pixel wide between their rounded pixels, its last point's pixel set
// too; on a canvas that draws exact curves, through the exact points.
// Closed, it returns to the first point.
void DrawNetPolyline(Canvas& canvas, const PlotGeometry& geometry, std::span<const NetPoint> points,
                     bool closed);
