#include "set_legend.h"

#include <QColor>
#include <QString>
#include <QStringList>

#include <algorithm>

#include "canvas.h"
#include "legend.h"
#include "plot_pass.h"

namespace {

// Lines in a set's entry that its label may take; the rest is cut.
constexpr int kLabelLines = 2;

// The label broken at spaces into lines of at most room pixels (a word too
// long for a line broken where it must be), at most kLabelLines of them.
QStringList WrapLabel(const Canvas& canvas, const QString& label, int room) {
    QStringList lines;
    QString line;
    const QStringList words = label.split(u' ', Qt::SkipEmptyParts);
    for (QString word : words) {
        while (!word.isEmpty()) {
            const QString joined = line.isEmpty() ? word : line + u' ' + word;
            if (canvas.TextWidth(joined) <= room) {
                line = joined;
                word.clear();
                continue;
            }
            if (line.isEmpty()) {
                // Alone on its line and still too long: as much as fits.
                qsizetype fits = 1;
                while (fits < word.size() && canvas.TextWidth(word.left(fits + 1)) <= room)
                    ++fits;
                line = word.left(fits);
                word.remove(0, fits);
            }
            lines.append(line);
            line.clear();
            if (lines.size() == kLabelLines)
                return lines;
        }
    }
    if (!line.isEmpty())
        lines.append(line);
    return lines;
}

} // namespace

void DrawSetLegend(Canvas& canvas, const LegendColumn& column, int top,
                   const std::vector<DataSet>& sets, int& right) {
    const int count = static_cast<int>(sets.size());
    const QColor ink = canvas.InkColor();
    const QColor white(255, 255, 255);
    const int height = canvas.TextHeight(QStringLiteral("N"));
    // The square is about as high as a capital, a space's width from the text.
    const int side = std::max(3, height * 2 / 3);
    const int textLeft = column.Left + side + canvas.TextWidth(QStringLiteral(" "));
    const int room = column.Right - textLeft;
    // A blank line parts the sets from a legend above them.
    int y = top > column.Top ? top + height : top;
    for (int i = 0; i < count; ++i) {
        QStringList lines = WrapLabel(canvas, DataSetLabel(sets, i), room);
        const QString n = QStringLiteral("N=%1").arg(sets[static_cast<std::size_t>(i)].Count);
        if (!lines.isEmpty() && canvas.TextWidth(lines.back() + u' ' + n) <= room)
            lines.back() += u' ' + n;
        else
            lines.append(n);
        if (y + height * static_cast<int>(lines.size()) > column.Bottom)
            break;
        const QColor colour = DataSetColor(i, count);
        canvas.SetInkColor(colour);
        canvas.SetBrushColor(colour);
        const int squareTop = y + (height - side) / 2;
        canvas.Rectangle(column.Left, squareTop, column.Left + side, squareTop + side);
        canvas.SetBrushColor(white);
        canvas.SetInkColor(ink);
        for (const QString& line : lines) {
            canvas.TextOut(textLeft, y, line);
            right = std::max(right, textLeft + canvas.TextWidth(line));
            y += height;
        }
    }
}
