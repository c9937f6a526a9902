#include "plot_geometry.h"

#include <algorithm>

#include "rounding.h"

PlotGeometry ComputePlotGeometry(int clientWidth, int clientHeight, int textHeight,
                                 int textWidthN) {
    PlotGeometry g;
    g.TextHeight = textHeight;
    g.TextWidthN = textWidthN;
    const int halfLine = RoundHalfEven(textHeight * 0.5);
    const int side = std::min(clientWidth, clientHeight);
    // An image too small for the net still gets a one-pixel net rather than a
    // zero radius that would make every mark size infinite.
    g.Radius = std::max(1, RoundHalfEven((side - (4 * textHeight + halfLine)) / 2.2));
    g.CentreX = RoundHalfEven(g.Radius * 1.1);
    g.CentreY = RoundHalfEven(clientHeight / 2.0 + textHeight * 0.75);
    g.MarkSize = textHeight / (4.0 * g.Radius);
    g.CrossSize = 2.0 * g.MarkSize;
    return g;
}

PlotExtent ComputePlotExtent(const PlotGeometry& geometry, int windowFontWidthN270) {
    PlotExtent e;
    e.Right = UnitToPixelX(geometry, 1.0) + 1 + windowFontWidthN270;
    e.Left = UnitToPixelX(geometry, -1.0);
    e.Bottom = UnitToPixelY(geometry, -1.0) + 1;
    return e;
}
