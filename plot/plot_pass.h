#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

#include "plot_geometry.h"

class Canvas;
class LineView;

// Everything one plot pass reads, gathered by the caller at the moment it runs.
struct PlotInputs {
    const LineView* Lines = nullptr;
    int FileType = 0;        // 0..10
    int PlotType = 0;        // 0..2
    int ErrorCircleMode = 1; // 0 circles, 1 none, 2 lower-hemisphere planes
    int AvIndex = 1;         // 0 draws the Fisher mean
    int GCFitIndex = 1;      // 0 draws the great-circle fit
    QString Title;
    QString FileName; // CurrentFileName
    QString Today;    // today's date in the user's short date format
    QChar DecimalSeparator = u'.';
    int ClientWidth = 0;  // the main window's client width, for the clearing rectangle
    int ClientHeight = 0; // the main window's client height
    int WindowFontWidthN270 = 0;
    // Circles through the point-by-point formulas, one pixel after another:
    // slow, the yardstick that tests hold the fast circles against.
    bool PointByPointCircles = false;
};

// The result lines as the pass computed them (each list empty when its block
// did not run), for callers that report them as text. A block's lines are
// stored as soon as its statistics are computed, so a fault in the
// great-circle fit leaves the Fisher lines here although the image never
// shows them.
struct PlotReport {
    QStringList FisherLines;
    QStringList GreatCircleLines;
};

// Draws the whole plot on the canvas (its size is the image's): clears it,
// measures "N", writes the extent, then draws frame, data, statistics and
// result lines. The clearing rectangle covers at least the whole image. A
// FloatingPointFault from the statistics propagates and leaves on the canvas
// what was drawn up to that point. report may be null.
void DrawPlot(Canvas& canvas, const PlotInputs& inputs, PlotExtent& extent, PlotReport* report);

// The small circle of radius rho (degrees) about (dec, inc) as 360 black
// pixels, j = 0..359; with lowerHemisphereOnly the points of negative
// inclination are skipped.
void TraceCircle(Canvas& canvas, const PlotGeometry& geometry, int plotType, double dec, double inc,
                 double rho, bool lowerHemisphereOnly);

// The locale's short date for today, and its decimal separator (falling back
// to "M/d/yy" and '.').
QString TodayShortDate();
QChar LocaleDecimalSeparator();
