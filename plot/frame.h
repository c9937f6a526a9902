#pragma once

#include <QString>

#include "plot_options.h"

class Canvas;
struct PlotGeometry;
struct PlotModeTexts;

// Title line with the date, mode line, file line, primitive circle and the
// top and right labels, in that order; mode gives the mode name and labels.
// Parts that omit leaves out are not drawn and the rest keep their places; a
// title line without its title is the date alone, without its date the title
// alone, without both nothing.
void DrawFrame(Canvas& canvas, const PlotGeometry& geometry, const PlotModeTexts& mode,
               const QString& title, const QString& fileName, const QString& today,
               const HeaderOmission& omit = {});
void DrawCentreCross(Canvas& canvas, const PlotGeometry& geometry);
void DrawTicks(Canvas& canvas, const PlotGeometry& geometry);
