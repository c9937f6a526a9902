#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

#include "fisher.h"
#include "great_circle.h"
#include "plot_geometry.h"
#include "plot_options.h"

class Canvas;
class LineView;

// Everything one plot pass reads, gathered by the caller at the moment it runs.
struct PlotInputs {
    const LineView* Lines = nullptr;
    PlotOptions Options;
    PlotEnvironment Environment;
    // Circles through the point-by-point formulas, one pixel after another:
    // slow, the yardstick that tests hold the fast circles against.
    bool PointByPointCircles = false;
};

// The great-circle fit: the pole as drawn and all three eigen axes of the
// orientation tensor, largest eigenvalue first (the pole is Axes[2]).
struct GreatCircleReport {
    GreatCircleResult Pole;
    std::array<EigenAxis, 3> Axes;
};

// What the pass used, read and computed, for callers that report it. Each
// part is stored as soon as the pass has it, so after a fault the report holds
// what came before: a fault in the great-circle fit leaves the Fisher block
// here although the image never shows its lines. Reusing one report keeps the
// capacity of RejectedLines, so a pass then allocates nothing for it.
struct PlotReport {
    PlotGeometry Geometry;        // the net as this pass placed it
    PlotExtent Extent;            // the region of the net and its labels
    QStringList FisherLines;      // empty when the block did not run
    QStringList GreatCircleLines; // empty when the block did not run
    int DataCount = 0;            // N, the data read
    // 1-based numbers of the non-blank lines from FirstDataLine on that were
    // not read, in order; the caller asks LineRejectionReason why.
    std::vector<int> RejectedLines;
    std::optional<FisherResult> Fisher;
    std::optional<GreatCircleReport> GreatCircle;
    QString Fault; // the message of the fault that ended the pass; empty when none
};

// Draws the whole plot on the canvas (its size is the image's): clears it,
// measures "N", places the net, then draws frame, data, statistics and result
// lines, filling report as it goes (its Fault stays empty). The clearing
// rectangle covers at least the whole image. A FloatingPointFault from the
// statistics propagates and leaves on the canvas what was drawn up to that
// point.
void DrawPlot(Canvas& canvas, const PlotInputs& inputs, PlotReport& report);

// DrawPlot as every front end runs it: a fault ends the pass, keeps what was
// drawn, and becomes report.Fault, the text the user is shown. The one place
// where a fault becomes text.
void RunPlotPass(Canvas& canvas, const PlotInputs& inputs, PlotReport& report);

// The small circle of radius rho (degrees) about (dec, inc) as 360 pixels of
// the canvas's ink, j = 0..359; with lowerHemisphereOnly the points of
// negative inclination are skipped. A canvas that draws exact curves gets
// the circle's exact curve instead (DrawCircleCurve).
void TraceCircle(Canvas& canvas, const PlotGeometry& geometry, int plotType, double dec, double inc,
                 double rho, bool lowerHemisphereOnly);

// Why the pass does not read this line of the given file type with this
// decimal separator, in the user's words; empty when it reads the line or the
// line is blank. The line is taken as the pass takes it (cut at 4,096
// characters, as Latin-1).
QString LineRejectionReason(int fileType, const QString& line, QChar decimalSeparator);

// The locale's short date for today, and its decimal separator (falling back
// to "M/d/yy" and '.').
QString TodayShortDate();
QChar LocaleDecimalSeparator();
