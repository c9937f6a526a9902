#pragma once

#include <QChar>
#include <QColor>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "contours.h"
#include "file_type.h"
#include "fisher.h"
#include "great_circle.h"
#include "plot_geometry.h"
#include "plot_options.h"
#include "vgp.h"
#include "watson_v.h"

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

// One datum as the pass plotted it.
struct PlottedDatum {
    int Line = 0; // 1-based line of the data text
    int Set = 0;  // index of its data set in PlotReport::Sets
    // Degrees, as plotted: a plane's pole, after the tilt correction.
    double Dec = 0.0;
    double Inc = 0.0;
    double ErrorRadius = 0.0; // as read; 0 for the file types that carry none
};

// One data set: the lines after a line "#NAME" up to the next such line; the
// lines before the first form a set of their own, unnamed, at line 0.
struct DataSet {
    QString Name;  // as written after '#', trimmed; may be empty
    int Line = 0;  // the 1-based line that starts it; 0 for the first, unnamed one
    int Count = 0; // its data
    FisherSummary Fisher;
};

// How a set is called in legends and results: its name, or "set N" (N from 1)
// for one without.
QString DataSetLabel(const std::vector<DataSet>& sets, int index);

// The fill and ink of data set index among count sets: black while there is
// one set; else Okabe and Ito's (2008) eight colours, which readers with any
// common form of colour blindness tell apart, in turn.
QColor DataSetColor(int index, int count);

// The Fisher statistics of the two polarities and of all data with the
// reversed mode turned to its antipodes, each value only where it exists.
struct PolarityReport {
    FisherSummary Normal;
    FisherSummary Reversed;
    FisherSummary Combined;
};

// The virtual geomagnetic pole of the mean direction seen at a site: of the
// Fisher mean of all data, or of the combined mean when polarities are
// separated. Pole is absent, with the reason, where there is no mean to take
// it of.
struct SitePoleReport {
    SiteLocation Site;
    std::optional<VirtualGeomagneticPole> Pole;
    std::string_view Reason;
};

// What the pass used, read and computed, for callers that report it. Each
// part is stored as soon as the pass has it, so after a fault the report holds
// what came before: a fault in the great-circle fit leaves the Fisher block
// here although the image never shows its lines. Reusing one report keeps the
// capacity of RejectedLines and Points, so a pass then allocates nothing for
// them.
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
    // Every datum read, in the order of its lines; all are read before the
    // first is drawn.
    std::vector<PlottedDatum> Points;
    std::optional<PolarityReport> Polarity;        // with SeparatePolarities
    std::optional<WatsonVTestResult> ReversalTest; // with ReversalTest
    std::optional<SitePoleReport> SitePole;        // where SitePoleApplies
    // With contours asked for and data to contour: the lines drawn, the
    // levels used and the maximum.
    std::optional<DensityContours> Contours;
    // The data sets, in the order of their lines: one, unnamed, when the text
    // has no set line; a set line that comes before any datum takes the place
    // of the unnamed first set.
    std::vector<DataSet> Sets;
    // Watson's V_w between the first two sets, with CommonMeanTest.
    std::optional<WatsonVTestResult> CommonMeanTest;
    WatsonVCritical CommonMeanCritical; // kept as ReversalCritical is
    // The last critical value the reversal test simulated. The pass never
    // clears it but hands it to the test as its cache, so that a report reused
    // from pass to pass simulates again only when N or k of a mode changes.
    WatsonVCritical ReversalCritical;
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
// the canvas's ink in the projection's net, j = 0..359; with
// lowerHemisphereOnly the points of negative inclination are skipped. A
// canvas that draws exact curves gets the circle's exact curve instead
// (DrawCircleCurve).
void TraceCircle(Canvas& canvas, const PlotGeometry& geometry, int plotType, double dec, double inc,
                 double rho, bool lowerHemisphereOnly,
                 Projection projection = Projection::EqualArea);

// How the pass reads the lines under these options: with the decimal
// separator as the Latin-1 data text holds it (one outside Latin-1 cannot
// occur there, so numbers are then read with a full stop), and with the
// bedding on each line where the tilt correction takes it from there.
ReadingOptions PassReadingOptions(const PlotOptions& options, QChar decimalSeparator);

// Why the pass does not read this line of the given file type, read as
// reading says, in the user's words; empty when it reads the line or the line
// is blank. The line is taken as the pass takes it (cut at 4,096 characters,
// as Latin-1).
QString LineRejectionReason(int fileType, const QString& line, const ReadingOptions& reading);
// The same for a pass without a bedding on each line.
QString LineRejectionReason(int fileType, const QString& line, QChar decimalSeparator);

// The locale's short date for today, and its decimal separator (falling back
// to "M/d/yy" and '.').
QString TodayShortDate();
QChar LocaleDecimalSeparator();
