#pragma once

#include <span>

#include "equal_area.h"

class Canvas;
struct PlotGeometry;

// A line through points given in net units, as the canvas draws lines: one
// pixel wide between their rounded pixels, its last point's pixel set too;
// closed, it returns to the first point.
void DrawNetPolyline(Canvas& canvas, const PlotGeometry& geometry, std::span<const NetPoint> points,
                     bool closed);
