#pragma once

#include <QString>

class Canvas;
struct PlotGeometry;
struct PlotModeTexts;

// Title line with the date, mode line, file line, primitive circle and the
// top and right labels, in that order; mode gives the mode name and labels.
void DrawFrame(Canvas& canvas, const PlotGeometry& geometry, const PlotModeTexts& mode,
               const QString& title, const QString& fileName, const QString& today);
void DrawCentreCross(Canvas& canvas, const PlotGeometry& geometry);
void DrawTicks(Canvas& canvas, const PlotGeometry& geometry);
