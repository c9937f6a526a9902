#pragma once

#include <QString>

#include "equal_area.h"

class Canvas;
struct PlotGeometry;

// Title line with the date, mode line, file line, primitive circle and the
// top and right labels, in that order.
void DrawFrame(Canvas& canvas, const PlotGeometry& geometry, PlotType plotType,
               const QString& title, const QString& fileName, const QString& today);
void DrawCentreCross(Canvas& canvas, const PlotGeometry& geometry);
void DrawTicks(Canvas& canvas, const PlotGeometry& geometry);
