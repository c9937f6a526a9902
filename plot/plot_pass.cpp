#include "plot_pass.h"

#include <QColor>

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

#include "angles.h"
#include "canvas.h"
#include "circle_batch.h"
#include "contour_legend.h"
#include "data_sets.h"
#include "direction.h"
#include "equal_area.h"
#include "file_type.h"
#include "fisher.h"
#include "floating_point_fault.h"
#include "frame.h"
#include "great_circle.h"
#include "legend.h"
#include "line_view.h"
#include "marks.h"
#include "net_polyline.h"
#include "number_format.h"
#include "plot_modes.h"
#include "polarity.h"
#include "set_legend.h"
#include "tilt_correction.h"
#include "watson_v.h"

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
bool DatumCircleRadius(int fileType, ErrorCircleMode mode, double errorRadius, double& radius) {
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
    radius = generic ? 0.0 : errorRadius;
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

bool IsPlaneType(int fileType) {
    return fileType == 9 || fileType == 10;
}

// Reads every line into report.Points (and the lines it cannot read into
// report.RejectedLines), as plotted: tilt-corrected where that applies. A
// plane's pole stays the lower-hemisphere end of its axis, as read.
void ReadPlottedData(const PlotInputs& inputs, PlotReport& report) {
    const PlotOptions& options = inputs.Options;
    const ReadingOptions reading = PassReadingOptions(options, inputs.Environment.DecimalSeparator);
    const bool tilt = TiltCorrectionApplies(options);
    const bool perLine = options.Bedding == BeddingSource::PerLine;
    const int lineCount = inputs.Lines != nullptr ? inputs.Lines->LineCount() : 0;
    report.Sets.assign(1, DataSet{});
    Latin1Line latin1;
    for (int k = FirstDataLine(options.FileType); k <= lineCount; ++k) {
        const std::string_view text = latin1.Of(inputs.Lines->LineText(k));
        if (IsBlankLine(text)) {
            continue;
        }
        if (const std::optional<std::string_view> name = DataSetName(text)) {
            // A set line before any datum names the first set instead.
            if (report.Sets.size() > 1 || report.Sets.back().Count > 0 ||
                report.Sets.back().Line > 0) {
                report.Sets.emplace_back();
            }
            report.Sets.back().Name =
                QString::fromLatin1(name->data(), static_cast<qsizetype>(name->size()));
            report.Sets.back().Line = k;
            continue;
        }
        const Direction datum = ReadDataLine(options.FileType, text, reading);
        if (!datum.Success) {
            report.RejectedLines.push_back(k);
            continue;
        }
        const int set = static_cast<int>(report.Sets.size()) - 1;
        ++report.Sets.back().Count;
        PlottedDatum plotted{k, set, datum.Dec, datum.Inc, datum.ErrorRadius};
        if (tilt) {
            IncDec level = TiltCorrectedDirection(datum.Dec, datum.Inc,
                                                  perLine ? datum.BeddingDipDirection
                                                          : options.BeddingDipDirection,
                                                  perLine ? datum.BeddingDip : options.BeddingDip);
            if (IsPlaneType(options.FileType)) {
                level = LowerHemisphereEnd(level);
            }
            plotted.Dec = level.Dec;
            plotted.Inc = level.Inc;
        }
        report.Points.push_back(plotted);
    }
    report.DataCount = static_cast<int>(report.Points.size());
}

// The two polarities of the plotted data; normal lies towards north for
// directions and towards the north geographic pole for VGPs, whose latitude
// is held as an inclination.
PolaritySplit SplitPolarities(const std::vector<PlottedDatum>& points, int plotType) {
    std::vector<Vector3> vectors;
    vectors.reserve(points.size());
    for (const PlottedDatum& p : points) {
        vectors.push_back(DirectionToVector(p.Inc, p.Dec, 1.0));
    }
    const Vector3 north = plotType == 0 ? Vector3{1.0, 0.0, 0.0} : Vector3{0.0, 0.0, 1.0};
    return SeparatePolarities(vectors, north);
}

// The pole of the Fisher mean of sums; the statistic was not asked to be
// drawn, so a set without a mean gives a reason, never a fault.
SitePoleReport SitePoleOf(const DirectionSums& sums, const SiteLocation& site) {
    SitePoleReport report;
    report.Site = site;
    const FisherSummary mean = FisherSummaryOf(sums);
    if (!mean.A95) {
        report.Reason = "fewer than two data";
    } else if (!mean.MeanDec) {
        report.Reason = "the data cancel, so the mean direction is undefined";
    } else {
        report.Pole = VirtualGeomagneticPoleOf(*mean.MeanDec, *mean.MeanInc, *mean.A95,
                                               site.Latitude, site.Longitude);
    }
    return report;
}

void DrawResultLines(Canvas& canvas, const PlotGeometry& geometry, const QStringList& lines) {
    const int x = geometry.CentreX - geometry.Radius;
    int y = geometry.CentreY - geometry.Radius - geometry.TextHeight;
    for (const QString& line : lines) {
        canvas.TextOut(x, y, line);
        y += geometry.TextHeight;
    }
}

DensityMethod DensityMethodOf(ContourMethod method) {
    switch (method) {
    case ContourMethod::Kamb:
        return DensityMethod::Kamb;
    case ContourMethod::OnePercentArea:
        return DensityMethod::OnePercentArea;
    case ContourMethod::ExponentialKamb:
    case ContourMethod::None:
        break;
    }
    return DensityMethod::ExponentialKamb;
}

// The density contours of the plotted data, beneath everything else drawn on
// the net, and their legend at the top of the column right of the net. The
// extent grows to the legend, so that a printout shows it too. Returns the
// row below the legend.
int DrawContours(Canvas& canvas, const PlotGeometry& geometry, const LegendColumn& legend,
                 const PlotOptions& options, QChar separator, PlotReport& report) {
    std::vector<Vector3> axes;
    axes.reserve(report.Points.size());
    for (const PlottedDatum& datum : report.Points) {
        axes.push_back(DirectionToVector(datum.Inc, datum.Dec, 1.0));
    }
    const DensitySettings settings{DensityMethodOf(options.Contours), options.ContourSigma};
    report.Contours = ContourDensity(axes, settings, options.ContourLevels);
    if (report.Contours->Refusal != nullptr) {
        return legend.Top;
    }
    std::vector<NetPoint> points;
    for (const ContourLevel& level : report.Contours->Levels) {
        for (const ContourLine& line : level.Lines) {
            points.clear();
            for (const IncDec& vertex : line.Vertices) {
                points.push_back(ProjectDirection(vertex.Dec, vertex.Inc, options.PlotType,
                                                  options.NetProjection));
            }
            DrawNetPolyline(canvas, geometry, points, line.Closed);
        }
    }
    return DrawLegendLines(
        canvas, legend, legend.Top,
        ContourLegendLines(options, *report.Contours, separator, legend.MaxChars),
        report.Extent.Right);
}

// Watson's V_w between the first two data sets, as they are.
WatsonVTestResult CommonMeanTestOf(const std::vector<DirectionSums>& sets,
                                   WatsonVCritical& critical) {
    if (sets.size() < 2) {
        WatsonVTestResult none;
        none.Reason = "fewer than two data sets";
        return none;
    }
    WatsonVTestResult test = WatsonVTest(sets[0], sets[1], &critical);
    if (test.Critical.Simulations > 0) {
        critical = test.Critical;
    }
    return test;
}

// One line per set with its mean, "NAME Dec/Inc kK aA95", drawn where there
// is room around the top of the net for as many sets as fit: the two rows
// above the net left of the top label, the same two right of it, then the
// corner left of the net, row by row while a line stays clear of the circle;
// with fitLines, none of the left places the fit's three lines take.
// Returns the lines drawn, in order.
QStringList DrawSetMeanLines(Canvas& canvas, const PlotGeometry& geometry,
                             const std::vector<DataSet>& sets, QChar separator, bool fitLines) {
    const int h = geometry.TextHeight;
    const int top = geometry.CentreY - geometry.Radius;
    const int left = geometry.CentreX - geometry.Radius;
    const double r = geometry.Radius;
    // The top label "N" is one character wide over the centre.
    const int labelLeft = geometry.CentreX - geometry.TextWidthN;
    const int labelRight = geometry.CentreX + geometry.TextWidthN;
    struct Place {
        int x;
        int y;
        double room;
    };
    std::vector<Place> places{{left, top - 2 * h, double(labelLeft - left)},
                              {left, top - h, double(labelLeft - left)},
                              {labelRight, top - 2 * h, double(geometry.CentreX + r - labelRight)},
                              {labelRight, top - h, double(geometry.CentreX + r - labelRight)}};
    if (fitLines) {
        // The fit's three lines take the left places from the second row on.
        places.erase(places.begin() + 1);
    }
    for (int y = fitLines ? top + 2 * h : top; y + h < geometry.CentreY; y += h) {
        // Room to the circle at the row's lowest line.
        const double above = geometry.CentreY - (y + h);
        places.push_back({left, y, r - std::sqrt(r * r - above * above) - 2.0});
    }
    QStringList lines;
    std::size_t next = 0;
    for (std::size_t i = 0; i < sets.size() && next < places.size(); ++i) {
        const FisherSummary& set = sets[i].Fisher;
        if (!set.MeanDec) {
            continue;
        }
        const QString line =
            QStringLiteral("%1 %2/%3 k%4 a%5")
                .arg(DataSetLabel(sets, static_cast<int>(i)).left(10),
                     FormatNumber(*set.MeanDec, 5, 1, separator),
                     FormatNumber(*set.MeanInc, 5, 1, separator),
                     set.K ? FormatNumber(*set.K, 3, 0, separator) : QStringLiteral("-"),
                     set.A95 ? FormatNumber(*set.A95, 5, 1, separator) : QStringLiteral("-"));
        const Place& place = places[next];
        if (canvas.TextWidth(line) > place.room) {
            break;
        }
        canvas.TextOut(place.x, place.y, line);
        lines.append(line);
        ++next;
    }
    return lines;
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
    report.Points.clear();
    report.Polarity.reset();
    report.ReversalTest.reset();
    report.SitePole.reset();
    report.Contours.reset();
    report.CommonMeanTest.reset();
    const PlotOptions& options = inputs.Options;
    const PlotEnvironment& environment = inputs.Environment;
    const int plotType = options.PlotType;

    // A pass that a fault ended may have left a data set's ink behind.
    const QColor black(0, 0, 0);
    if (canvas.InkColor() != black) {
        canvas.SetInkColor(black);
    }
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

    DrawFrame(canvas, geometry,
              PlotModeTextsOf(plotType, TiltCorrectionApplies(options), options.NetProjection),
              options.Title, options.FileName, environment.Today, options.Omit);
    DrawCentreCross(canvas, geometry);
    DrawTicks(canvas, geometry);

    // Every datum is read before the first is drawn, so that what is drawn
    // beneath the marks can depend on all of them.
    ReadPlottedData(inputs, report);
    const bool contours = options.Contours != ContourMethod::None && !report.Points.empty();
    const int setCount = static_cast<int>(report.Sets.size());
    const bool severalSets = setCount >= 2;
    // The column is measured only for a legend, so that a plot without one
    // measures its texts as it always did.
    const LegendColumn legend =
        contours || severalSets ? LegendColumnOf(canvas, geometry) : LegendColumn{};
    int legendTop = legend.Top;
    if (contours) {
        legendTop =
            DrawContours(canvas, geometry, legend, options, environment.DecimalSeparator, report);
    }
    if (severalSets) {
        DrawSetLegend(canvas, legend, legendTop, report.Sets, report.Extent.Right);
    }

    DirectionSums sums;
    sums.Reset();
    std::vector<DirectionSums> setSums(report.Sets.size());
    CircleBatch circles(canvas, geometry, plotType, inputs.PointByPointCircles,
                        options.NetProjection);
    const auto drawDatumMark = [&](const PlottedDatum& datum) {
        const NetPoint p = ProjectDirection(datum.Dec, datum.Inc, plotType, options.NetProjection);
        DrawMark(canvas, geometry, DatumMark(plotType, datum.Inc), p);
    };
    // Several sets are drawn in their colours, the sets following one
    // another through the lines: first every circle, then every mark, so
    // that no set's circle hides another's datum and kept circles give the
    // picture of circles drawn at once. One set's marks and circles share
    // the ink, so they may interleave.
    int inkSet = -1;
    const auto inkOf = [&](const PlottedDatum& datum) {
        if (severalSets && datum.Set != inkSet) {
            inkSet = datum.Set;
            canvas.SetInkColor(DataSetColor(inkSet, setCount));
        }
    };
    for (const PlottedDatum& datum : report.Points) {
        inkOf(datum);
        sums.Accumulate(datum.Dec, datum.Inc);
        setSums[static_cast<std::size_t>(datum.Set)].Accumulate(datum.Dec, datum.Inc);
        if (!severalSets) {
            drawDatumMark(datum);
        }
        double radius = 0.0;
        if (DatumCircleRadius(options.FileType, options.ErrorCircles, datum.ErrorRadius, radius)) {
            circles.Add(datum.Dec, datum.Inc, radius,
                        options.ErrorCircles == ErrorCircleMode::Planes);
        }
    }
    // Every circle is on the canvas before a statistic can fault.
    circles.Flush();
    if (severalSets) {
        inkSet = -1;
        for (const PlottedDatum& datum : report.Points) {
            inkOf(datum);
            drawDatumMark(datum);
        }
        canvas.SetInkColor(black);
    }

    // The analyses below never fault, so they are in the report whatever the
    // statistics drawn after them do.
    for (std::size_t i = 0; i < report.Sets.size(); ++i) {
        report.Sets[i].Fisher = FisherSummaryOf(setSums[i]);
    }
    if (options.CommonMeanTest) {
        report.CommonMeanTest = CommonMeanTestOf(setSums, report.CommonMeanCritical);
    }
    std::optional<PolaritySplit> split;
    if (options.SeparatePolarities || options.ReversalTest) {
        split = SplitPolarities(report.Points, plotType);
    }
    if (options.SeparatePolarities) {
        report.Polarity =
            PolarityReport{FisherSummaryOf(split->Normal), FisherSummaryOf(split->Reversed),
                           FisherSummaryOf(split->Combined)};
    }
    if (options.ReversalTest) {
        report.ReversalTest =
            WatsonVTest(split->Normal, AntipodesOf(split->Reversed), &report.ReversalCritical);
        if (report.ReversalTest->Critical.Simulations > 0) {
            report.ReversalCritical = report.ReversalTest->Critical;
        }
    }
    // With polarities separated, every mean is that of the combined data.
    const DirectionSums& meanSums = options.SeparatePolarities ? split->Combined : sums;
    if (SitePoleApplies(options)) {
        report.SitePole = SitePoleOf(meanSums, *options.Site);
    }

    QStringList fisherLines;
    if (options.FisherMean && severalSets) {
        // Each set's mean and cone in its colour; the lines give each set's
        // mean as far as they fit beside the net.
        for (std::size_t i = 0; i < report.Sets.size(); ++i) {
            const FisherSummary& set = report.Sets[i].Fisher;
            if (set.N >= 2 && set.MeanDec) {
                canvas.SetInkColor(DataSetColor(static_cast<int>(i), setCount));
                DrawMark(
                    canvas, geometry, MeanMark(plotType, *set.MeanInc),
                    ProjectDirection(*set.MeanDec, *set.MeanInc, plotType, options.NetProjection));
                circles.Add(*set.MeanDec, *set.MeanInc, *set.A95, false);
            }
        }
        circles.Flush();
        canvas.SetInkColor(black);
        report.FisherLines =
            DrawSetMeanLines(canvas, geometry, report.Sets, environment.DecimalSeparator,
                             options.GreatCircleFit && sums.N >= 2);
        if (sums.N >= 2) {
            report.Fisher = FisherBlock(meanSums);
        }
    } else if (options.FisherMean && sums.N >= 2) {
        const FisherResult fisher = FisherBlock(meanSums);
        fisherLines = FisherLines(fisher, plotType, environment.DecimalSeparator);
        report.FisherLines = fisherLines;
        report.Fisher = fisher;
        if (options.SeparatePolarities) {
            // Each mode's own mean and cone where it has a spread to measure.
            for (const FisherSummary* mode :
                 {&report.Polarity->Normal, &report.Polarity->Reversed}) {
                if (mode->N >= 2 && mode->MeanDec) {
                    DrawMark(canvas, geometry, MeanMark(plotType, *mode->MeanInc),
                             ProjectDirection(*mode->MeanDec, *mode->MeanInc, plotType,
                                              options.NetProjection));
                    circles.Add(*mode->MeanDec, *mode->MeanInc, *mode->A95, false);
                }
            }
        } else {
            DrawMark(
                canvas, geometry, MeanMark(plotType, fisher.MeanInc),
                ProjectDirection(fisher.MeanDec, fisher.MeanInc, plotType, options.NetProjection));
            circles.Add(fisher.MeanDec, fisher.MeanInc, fisher.A95, false);
        }
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
                 ProjectDirection(fit.PoleDec, fit.PoleInc, plotType, options.NetProjection));
        circles.Add(fit.PoleDec, fit.PoleInc, 90.0, true);
        circles.Flush();
    }

    // Both blocks share the three lines; the great-circle texts, drawn second
    // on their opaque background, cover the Fisher texts as far as they reach.
    DrawResultLines(canvas, geometry, fisherLines);
    DrawResultLines(canvas, geometry, greatCircleLines);
}

QString DataSetLabel(const std::vector<DataSet>& sets, int index) {
    const QString& name = sets[static_cast<std::size_t>(index)].Name;
    return name.isEmpty() ? QStringLiteral("set %1").arg(index + 1) : name;
}

QColor DataSetColor(int index, int count) {
    if (count < 2) {
        return QColor(0, 0, 0);
    }
    // Okabe and Ito (2008), black last: the first sets get the strongest hues.
    static const QColor kPalette[] = {
        QColor(230, 159, 0), QColor(86, 180, 233),  QColor(0, 158, 115),  QColor(213, 94, 0),
        QColor(0, 114, 178), QColor(204, 121, 167), QColor(240, 228, 66), QColor(0, 0, 0)};
    return kPalette[index % 8];
}

void RunPlotPass(Canvas& canvas, const PlotInputs& inputs, PlotReport& report) {
    try {
        DrawPlot(canvas, inputs, report);
    } catch (const FloatingPointFault& fault) {
        report.Fault = QString::fromLatin1(fault.what());
    }
}

ReadingOptions PassReadingOptions(const PlotOptions& options, QChar decimalSeparator) {
    ReadingOptions reading;
    reading.DecimalSeparator = LatinSeparator(decimalSeparator);
    reading.Bedding = options.Bedding == BeddingSource::PerLine && TiltCorrectionApplies(options);
    return reading;
}

QString LineRejectionReason(int fileType, const QString& line, const ReadingOptions& reading) {
    // The same conversion as the pass's, so the two judge the same bytes.
    Latin1Line latin1;
    const std::string_view text = latin1.Of(line);
    // A set line is not a datum, and not a line left unread either.
    if (DataSetName(text)) {
        return {};
    }
    const std::string reason = RejectionReason(fileType, text, reading);
    return QString::fromLatin1(reason.data(), static_cast<qsizetype>(reason.size()));
}

QString LineRejectionReason(int fileType, const QString& line, QChar decimalSeparator) {
    ReadingOptions reading;
    reading.DecimalSeparator = LatinSeparator(decimalSeparator);
    return LineRejectionReason(fileType, line, reading);
}
