#pragma once

#include <QStringList>

class Canvas;
struct PlotGeometry;

// Where legends stand: the column right of the net's right-hand label, from
// the top of the net down to the line above the mode line, so that a legend
// covers neither the net, its labels nor the header and footer texts (a long
// title or file line ends above or below it).
struct LegendColumn {
    int Left = 0;
    int Top = 0;
    int Right = 0;    // exclusive: the image's right edge
    int Bottom = 0;   // exclusive
    int MaxChars = 0; // characters of the canvas font that fit across
};

// The column for the canvas (its font as the pass leaves it) and the net.
LegendColumn LegendColumnOf(Canvas& canvas, const PlotGeometry& geometry);

// Draws lines one text height apart from row top down the column; a line
// that would pass its bottom is not drawn. Returns the row below the last
// line drawn, and widens right to the right edge of the widest.
int DrawLegendLines(Canvas& canvas, const LegendColumn& column, int top, const QStringList& lines,
                    int& right);
