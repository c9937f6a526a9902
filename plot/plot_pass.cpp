#include "plot_pass.h"

#include <QColor>

#include <algorithm>
#include <string>
#include <string_view>

#include "canvas.h"
#include "circle_batch.h"
#include "direction.h"
#include "equal_area.h"
#include "file_type.h"
#include "fisher.h"
#include "floating_point_fault.h"
#include "frame.h"
#include "great_circle.h"
#include "line_view.h"
#include "marks.h"
#include "number_format.h"

namespace {

enum class Mark { Square, Diamond, X, Plus };

void DrawMark(Canvas& canvas, const PlotGeometry& geometry, Mark mark, const NetPoint& p) {
    const double s = geometry.MarkSize;
    switch (mark) {
    case Mark::Square:
        DrawSquareMark(canvas, geometry, p.x, p.y, s);
        break;
    case Mark::Diamond:
        DrawDiamondMark(canvas, geometry, p.x, p.y, s);
        break;
    case Mark::X:
        DrawXMark(canvas, geometry, p.x, p.y, s);
        break;
    case Mark::Plus:
        DrawPlusMark(canvas, geometry, p.x, p.y, s);
        break;
    }
}

// Mark of a datum: the open square stands for the upper hemisphere in local
// coordinates and for the hemisphere looked down on in the polar views.
Mark DatumMark(int plotType, double inc) {
    const bool lower = inc >= 0.0 && inc <= 180.0;
    if (plotType == 1) {
        return lower ? Mark::Square : Mark::X;
    }
    return lower ? Mark::X : Mark::Square;
}

// Mark of the Fisher mean and of the great-circle pole.
Mark MeanMark(int plotType, double inc) {
    const bool lower = inc >= 0.0;
    if (plotType == 1) {
        return lower ? Mark::Diamond : Mark::Plus;
    }
    return lower ? Mark::Plus : Mark::Diamond;
}

// Radius of a datum's own circle by file type and error-circle mode; false
// when the datum gets none. A plane (types 9 and 10, read as its pole) gets
// no confidence circle, but in plane mode it is drawn itself: the great
// circle about its pole.
bool DatumCircleRadius(int fileType, ErrorCircleMode mode, const Direction& datum, double& radius) {
    const bool generic = fileType == 0;
    const bool carriesRadius = fileType == 1 || (fileType >= 4 && fileType <= 8);
    const bool plane = fileType == 9 || fileType == 10;
    if (!generic && !carriesRadius && !plane) {
        return false;
    }
    if (mode == ErrorCircleMode::Planes) {
        radius = 90.0;
        return true;
    }
    if (mode != ErrorCircleMode::Circles || plane) {
        return false;
    }
    radius = generic ? 0.0 : datum.ErrorRadius;
    // A negative radius r is the circle of radius -r about the opposite
    // direction, which is the circle of radius r + 180 about this one.
    if (radius < 0.0) {
        radius += 180.0;
    }
    return true;
}

// The data text is single-byte text, one character per column; a separator
// outside Latin-1 cannot occur in it, so numbers are then read with a point.
char LatinSeparator(QChar separator) {
    return separator.unicode() <= 0xFF ? static_cast<char>(separator.unicode()) : '.';
}

QStringList FisherLines(const FisherResult& f, int plotType, QChar separator) {
    const QString label =
        plotType == 0 ? QStringLiteral("Mean Dec, Inc:") : QStringLiteral("Mean Lon, Lat:");
    return {
        label + u' ' + FormatNumber(f.MeanDec, 5, 1, separator) + QStringLiteral(", ") +
            FormatNumber(f.MeanInc, 5, 1, separator),
        QStringLiteral("R=") + FormatNumber(f.R, 6, 4, separator) + QStringLiteral("  k=") +
            FormatNumber(f.K, 7, 1, separator),
        QStringLiteral("a95=") + FormatNumber(f.A95, 5, 1, separator),
    };
}

QStringList GreatCircleLines(const GreatCircleResult& g, QChar separator) {
    return {
        QStringLiteral("Pole Dec, Inc: ") + FormatNumber(g.PoleDec, 5, 1, separator) +
            QStringLiteral(", ") + FormatNumber(g.PoleInc, 5, 1, separator),
        QStringLiteral("Eigenvalue: ") + FormatNumber(g.Eigenvalue, 6, 4, separator),
        // The line has never carried a statistic: its number is the constant 0.
        QStringLiteral("Available: ") + FormatNumber(0.0, 5, 1, separator),
    };
}

void DrawResultLines(Canvas& canvas, const PlotGeometry& geometry, const QStringList& lines) {
    const int x = geometry.CentreX - geometry.Radius;
    int y = geometry.CentreY - geometry.Radius - geometry.TextHeight;
    for (const QString& line : lines) {
        canvas.TextOut(x, y, line);
        y += geometry.TextHeight;
    }
}

} // namespace

void DrawPlot(Canvas& canvas, const PlotInputs& inputs, PlotReport& report) {
    report.FisherLines.clear();
    report.GreatCircleLines.clear();
    report.DataCount = 0;
    report.RejectedLines.clear();
    report.Fisher.reset();
    report.GreatCircle.reset();
    report.Fault.clear();
    const PlotOptions& options = inputs.Options;
    const PlotEnvironment& environment = inputs.Environment;
    const int plotType = options.PlotType;

    canvas.SetBrushColor(QColor(255, 255, 255));
    // The clearing rectangle reaches at least one pixel past the image on the
    // right and at the bottom: its outline then shows only as the black top
    // row and left column, and a small window never leaves old pixels behind.
    canvas.Rectangle(0, 0, std::max(environment.ClientSize.width(), canvas.Width() + 1),
                     std::max(environment.ClientSize.height(), canvas.Height() + 1));

    const QString n = QStringLiteral("N");
    const PlotGeometry geometry = ComputePlotGeometry(canvas.Width(), canvas.Height(),
                                                      canvas.TextHeight(n), canvas.TextWidth(n));
    report.Geometry = geometry;
    report.Extent = ComputePlotExtent(geometry, environment.WindowFontWidthN270);

    canvas.RequestFixedPitch();
    canvas.SetPenWidth(1);

    DrawFrame(canvas, geometry, plotType, options.Title, options.FileName, environment.Today,
              options.Omit);
    DrawCentreCross(canvas, geometry);
    DrawTicks(canvas, geometry);

    DirectionSums sums;
    sums.Reset();
    const char separator = LatinSeparator(environment.DecimalSeparator);
    const int lineCount = inputs.Lines != nullptr ? inputs.Lines->LineCount() : 0;
    CircleBatch circles(canvas, geometry, plotType, inputs.PointByPointCircles);
    Latin1Line latin1;
    for (int k = FirstDataLine(options.FileType); k <= lineCount; ++k) {
        const std::string_view text = latin1.Of(inputs.Lines->LineText(k));
        if (IsBlankLine(text)) {
            continue;
        }
        const Direction datum = ReadDataLine(options.FileType, text, separator);
        if (!datum.Success) {
            report.RejectedLines.push_back(k);
            continue;
        }
        sums.Accumulate(datum.Dec, datum.Inc);
        report.DataCount = sums.N;
        const NetPoint p = ProjectEqualArea(datum.Dec, datum.Inc, plotType);
        DrawMark(canvas, geometry, DatumMark(plotType, datum.Inc), p);
        double radius = 0.0;
        if (DatumCircleRadius(options.FileType, options.ErrorCircles, datum, radius)) {
            circles.Add(datum.Dec, datum.Inc, radius,
                        options.ErrorCircles == ErrorCircleMode::Planes);
        }
    }
    // Every circle is on the canvas before a statistic can fault.
    circles.Flush();

    QStringList fisherLines;
    if (options.FisherMean && sums.N >= 2) {
        const FisherResult fisher = FisherBlock(sums);
        fisherLines = FisherLines(fisher, plotType, environment.DecimalSeparator);
        report.FisherLines = fisherLines;
        report.Fisher = fisher;
        DrawMark(canvas, geometry, MeanMark(plotType, fisher.MeanInc),
                 ProjectEqualArea(fisher.MeanDec, fisher.MeanInc, plotType));
        circles.Add(fisher.MeanDec, fisher.MeanInc, fisher.A95, false);
        circles.Flush();
    }

    QStringList greatCircleLines;
    if (options.GreatCircleFit && sums.N >= 2) {
        const GreatCircleResult fit = GreatCircleFit(sums);
        greatCircleLines = GreatCircleLines(fit, environment.DecimalSeparator);
        // The same closed-form analysis as the fit, for all three axes.
        report.GreatCircle = GreatCircleReport{fit, EigenAxes(OrientationTensorOf(sums))};
        report.GreatCircleLines = greatCircleLines;
        DrawMark(canvas, geometry, MeanMark(plotType, fit.PoleInc),
                 ProjectEqualArea(fit.PoleDec, fit.PoleInc, plotType));
        circles.Add(fit.PoleDec, fit.PoleInc, 90.0, true);
        circles.Flush();
    }

    // Both blocks share the three lines; the great-circle texts, drawn second
    // on their opaque background, cover the Fisher texts as far as they reach.
    DrawResultLines(canvas, geometry, fisherLines);
    DrawResultLines(canvas, geometry, greatCircleLines);
}

void RunPlotPass(Canvas& canvas, const PlotInputs& inputs, PlotReport& report) {
    try {
        DrawPlot(canvas, inputs, report);
    } catch (const FloatingPointFault& fault) {
        report.Fault = QString::fromLatin1(fault.what());
    }
}

QString LineRejectionReason(int fileType, const QString& line, QChar decimalSeparator) {
    // The same conversion as the pass's, so the two judge the same bytes.
    Latin1Line latin1;
    const std::string reason =
        RejectionReason(fileType, latin1.Of(line), LatinSeparator(decimalSeparator));
    return QString::fromLatin1(reason.data(), static_cast<qsizetype>(reason.size()));
}
