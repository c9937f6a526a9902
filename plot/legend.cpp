#include "legend.h"

#include <algorithm>

#include "canvas.h"
#include "plot_geometry.h"

namespace {

// Room between the right-hand label and a legend.
constexpr int kGapChars = 1;

} // namespace

LegendColumn LegendColumnOf(Canvas& canvas, const PlotGeometry& geometry) {
    LegendColumn column;
    // The right-hand label starts one "N" past the net and is at most "270".
    const int labelEnd = geometry.CentreX + geometry.Radius + 1 + geometry.TextWidthN +
                         canvas.TextWidth(QStringLiteral("270"));
    const int charWidth = std::max(1, canvas.TextWidth(QStringLiteral("0")));
    column.Left = labelEnd + kGapChars * charWidth;
    column.Right = canvas.Width();
    column.Top = geometry.CentreY - geometry.Radius;
    // The mode line's row starts one text height below the net.
    column.Bottom = geometry.CentreY + geometry.Radius + geometry.TextHeight;
    column.MaxChars = std::max(0, (column.Right - column.Left) / charWidth);
    return column;
}

int DrawLegendLines(Canvas& canvas, const LegendColumn& column, int top, const QStringList& lines,
                    int& right) {
    int y = top;
    for (const QString& line : lines) {
        const int height = canvas.TextHeight(line);
        if (y + height > column.Bottom)
            break;
        canvas.TextOut(column.Left, y, line);
        right = std::max(right, column.Left + canvas.TextWidth(line));
        y += height;
    }
    return y;
}
