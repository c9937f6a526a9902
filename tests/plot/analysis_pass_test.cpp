// The analyses of the plot pass: tilt correction, polarities, the reversal
// test and the site's pole. Expected numbers come from an independent
// computation of the published formulas at 40 digits (mpmath): the tilt
// correction as a Rodrigues rotation about the strike, the pole by Butler's
// (1992) equations with their branch, the modes from mpmath's symmetric eigen
// solver.

#include <gtest/gtest.h>

#include <algorithm>

#include "equal_area.h"
#include "line_view.h"
#include "marks.h"
#include "plot_pass.h"
#include "qstring_printer.h"
#include "recording_canvas.h"
#include "test_plot_inputs.h"

namespace {

// The directions of the reference pictures (tests/plot/reference): six
// normal and three reversed, and one line that is not a datum.
const QString kMixed =
    QStringLiteral("12.5 48.2\n20.1 55\n5.3 38.7\n355.2 42.1\n30 60.5\n"
                   "198.4 -35.2\n185 -48.6\n201.7 -41.3\nnot a datum\n8.8 51.4\n");

struct Pass {
    RecordingCanvas canvas;
    PlotReport report;
};

void Draw(Pass& pass, const QString& text, const PlotOptions& options) {
    const LineView lines(text);
    pass.canvas.ops.clear();
    DrawPlot(pass.canvas, TestPlotInputs(lines, options), pass.report);
}

TEST(AnalysisPass, TiltCorrectionTurnsEachDatumAndRenamesTheCoordinates) {
    struct Row {
        const char* name;
        int fileType;
        int plotType;
        BeddingSource source;
        const char* line;
        double dec;
        double inc;
        const char* mode;
    };
    const Row rows[] = {
        {"one bedding", 0, 0, BeddingSource::OneForAll, "91.2 43.1", 90.9525688372, 23.1034116701,
         "Tilt corrected"},
        {"bedding on the line", 0, 0, BeddingSource::PerLine, "91.2 43.1 90 20", 90.9525688372,
         23.1034116701, "Tilt corrected"},
        {"site mean with its bedding", 1, 0, BeddingSource::PerLine, "10 30 5 300 45",
         355.323950186, 8.28572627324, "Tilt corrected"},
        // The bed itself, levelled: its pole points straight down.
        {"plane of the bed", 10, 0, BeddingSource::OneForAll, "90 20", 0.0, 90.0, "Tilt corrected"},
        // The pole (90, 10) turns to (90, -10): kept as its lower end.
        {"pole turned upwards", 10, 0, BeddingSource::OneForAll, "270 80", 270.0, 10.0,
         "Tilt corrected"},
        // Poles are not rotated in the polar views.
        {"polar view", 0, 1, BeddingSource::OneForAll, "91.2 43.1", 91.2, 43.1, "North polar view"},
        // Strike 0, dip 30: the pole as read, a bedding on the line not asked for.
        {"not a directions file", 9, 0, BeddingSource::PerLine, "0 30", 270.0, 60.0,
         "Local coords"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PlotOptions options;
        options.FileType = row.fileType;
        options.PlotType = row.plotType;
        options.Bedding = row.source;
        // The per-line rows carry another bedding: it must not be used.
        options.BeddingDipDirection = row.source == BeddingSource::OneForAll ? 90.0 : 180.0;
        options.BeddingDip = row.source == BeddingSource::OneForAll ? 20.0 : 60.0;
        Pass pass;
        Draw(pass, QString::fromLatin1(row.line), options);
        ASSERT_EQ(pass.report.Points.size(), 1u);
        const PlottedDatum& datum = pass.report.Points[0];
        EXPECT_EQ(datum.Line, 1);
        if (row.inc < 90.0) {
            EXPECT_NEAR(datum.Dec, row.dec, 1e-9);
        }
        EXPECT_NEAR(datum.Inc, row.inc, 1e-9);
        EXPECT_EQ(pass.canvas.Texts()[1].text,
                  QStringLiteral("     Equal area, %1, Open=upper hemi").arg(row.mode));
    }
}

// With the bedding taken from the lines, a line without it, or with a dip
// beyond 90, is not read, and the reason says so; without it they are data.
TEST(AnalysisPass, LinesWithoutTheirBeddingAreNotRead) {
    const QString text = QStringLiteral("10 20\n10 20 90 95\n10 20 90 20\n");
    const LineView lines(text);
    PlotOptions options;
    options.Bedding = BeddingSource::PerLine;
    Pass pass;
    Draw(pass, text, options);
    EXPECT_EQ(pass.report.RejectedLines, (std::vector<int>{1, 2}));
    EXPECT_EQ(pass.report.DataCount, 1);
    ASSERT_EQ(pass.report.Points.size(), 1u);
    EXPECT_EQ(pass.report.Points[0].Line, 3);
    const ReadingOptions reading = PassReadingOptions(options, u'.');
    EXPECT_TRUE(reading.Bedding);
    for (const int line : {1, 2})
        EXPECT_FALSE(LineRejectionReason(0, lines.Line(line), reading).isEmpty()) << line;
    EXPECT_TRUE(LineRejectionReason(0, lines.Line(3), reading).isEmpty());

    options.PlotType = 2; // the correction does not apply: the lines are data
    EXPECT_FALSE(PassReadingOptions(options, u'.').Bedding);
    Draw(pass, text, options);
    EXPECT_TRUE(pass.report.RejectedLines.empty());
    EXPECT_EQ(pass.report.DataCount, 3);
}

std::vector<RecordingCanvas::Line> MeanMarkLines(double dec, double inc) {
    RecordingCanvas expected;
    const PlotGeometry net = ComputePlotGeometry(553, 529, 13, 8);
    const NetPoint p = ProjectEqualArea(dec, inc, 0);
    if (inc >= 0.0)
        DrawPlusMark(expected, net, p.x, p.y, net.MarkSize);
    else
        DrawDiamondMark(expected, net, p.x, p.y, net.MarkSize);
    return expected.Lines();
}

bool Draws(const RecordingCanvas& canvas, const std::vector<RecordingCanvas::Line>& mark) {
    const std::vector<RecordingCanvas::Line> lines = canvas.Lines();
    return std::search(lines.begin(), lines.end(), mark.begin(), mark.end()) != lines.end();
}

// A mixed set: each mode's mean drawn, the result lines of the combined mean
// (never drawn), all three in the report.
TEST(AnalysisPass, SeparatedPolaritiesDrawEachModesMeanAndReportTheCombinedMean) {
    PlotOptions options;
    options.FisherMean = true;
    options.SeparatePolarities = true;
    Pass pass;
    Draw(pass, kMixed, options);
    ASSERT_TRUE(pass.report.Polarity);
    const struct {
        const char* name;
        const FisherSummary& mode;
        int n;
        double dec, inc, r, k, a95;
    } modes[] = {
        {"normal", pass.report.Polarity->Normal, 6, 10.4738889263, 49.80541302, 5.90709184958,
         53.8165917347, 9.21514457039},
        {"reversed", pass.report.Polarity->Reversed, 3, 195.550825894, -41.9107206908,
         2.97399533235, 76.909269779, 14.1545625395},
        {"combined", pass.report.Polarity->Combined, 9, 12.3382543393, 47.1896381184, 8.85858334463,
         56.5704229043, 6.90397943032},
    };
    for (const auto& m : modes) {
        SCOPED_TRACE(m.name);
        EXPECT_EQ(m.mode.N, m.n);
        EXPECT_NEAR(*m.mode.MeanDec, m.dec, 1e-9);
        EXPECT_NEAR(*m.mode.MeanInc, m.inc, 1e-9);
        EXPECT_NEAR(*m.mode.R, m.r, 1e-9);
        EXPECT_NEAR(*m.mode.K, m.k, 1e-7);
        EXPECT_NEAR(*m.mode.A95, m.a95, 1e-9);
    }
    ASSERT_TRUE(pass.report.Fisher);
    EXPECT_EQ(pass.report.Fisher->MeanDec, *pass.report.Polarity->Combined.MeanDec);
    EXPECT_EQ(pass.report.FisherLines.first(), QStringLiteral("Mean Dec, Inc: 12.3, 47.2"));
    EXPECT_TRUE(Draws(pass.canvas, MeanMarkLines(10.4738889263, 49.80541302)));
    EXPECT_TRUE(Draws(pass.canvas, MeanMarkLines(195.550825894, -41.9107206908)));
    EXPECT_FALSE(Draws(pass.canvas, MeanMarkLines(12.3382543393, 47.1896381184)));
}

// V_w and gamma as computed independently; the critical value is handed
// back from the report and simulated again only for another N or k.
TEST(AnalysisPass, ReversalTestReusesTheCriticalValueOfTheSameCountsAndPrecisions) {
    PlotOptions options;
    options.ReversalTest = true;
    Pass pass;
    Draw(pass, kMixed, options);
    ASSERT_TRUE(pass.report.ReversalTest);
    const WatsonVTestResult& test = *pass.report.ReversalTest;
    ASSERT_TRUE(test.Available);
    EXPECT_NEAR(test.Vw, 3.02696422019, 1e-9);
    EXPECT_NEAR(test.Gamma, 8.64527396716, 1e-9);
    EXPECT_EQ(pass.report.ReversalCritical.Simulations, kWatsonVSimulations);
    EXPECT_EQ(pass.report.ReversalCritical.N1, 6);
    EXPECT_EQ(pass.report.ReversalCritical.N2, 3);
    EXPECT_FALSE(pass.report.Polarity); // asked for the test only

    // A value no simulation gives: seen again only if the cache was used.
    pass.report.ReversalCritical.Value = 1.0;
    options.Title = QStringLiteral("a keystroke");
    Draw(pass, kMixed, options);
    EXPECT_EQ(pass.report.ReversalTest->Critical.Value, 1.0);
    EXPECT_EQ(pass.report.ReversalTest->Class, ReversalClass::Negative);

    QString fewer = kMixed;
    fewer.remove(QStringLiteral("30 60.5\n"));
    Draw(pass, fewer, options);
    EXPECT_NE(pass.report.ReversalTest->Critical.Value, 1.0);
    EXPECT_EQ(pass.report.ReversalCritical.N1, 5);

    // One polarity only: no test, the reason given, the cache kept.
    const WatsonVCritical kept = pass.report.ReversalCritical;
    Draw(pass, QStringLiteral("10 40\n20 50\n"), options);
    EXPECT_FALSE(pass.report.ReversalTest->Available);
    EXPECT_FALSE(pass.report.ReversalTest->Reason.empty());
    EXPECT_EQ(pass.report.ReversalCritical.Value, kept.Value);
}

TEST(AnalysisPass, SitePoleOfTheMeanWhetherOrNotItIsDrawn) {
    struct Row {
        const char* name;
        QString text;
        bool polarity;
        int plotType;
        bool reported;
        bool pole;
        double lat, lon, dp, dm, paleolatitude;
    };
    const Row rows[] = {
        {"identical data", QStringLiteral("4 41\n4 41\n"), false, 0, true, true, 79.8625999889,
         41.6862941505, 0.0, 0.0, 23.4918558212},
        {"combined mean of both polarities", kMixed, true, 0, true, true, 78.4281639349,
         353.379982069, 5.78837829701, 8.94011685578, 28.3581788979},
        {"one datum", QStringLiteral("4 41\n"), false, 0, true, false, 0, 0, 0, 0, 0},
        {"polar view", kMixed, false, 1, false, false, 0, 0, 0, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PlotOptions options;
        options.PlotType = row.plotType;
        options.SeparatePolarities = row.polarity;
        options.Site = SiteLocation{33.0, -117.0};
        Pass pass;
        Draw(pass, row.text, options);
        ASSERT_EQ(pass.report.SitePole.has_value(), row.reported);
        if (!row.reported)
            continue;
        ASSERT_EQ(pass.report.SitePole->Pole.has_value(), row.pole);
        if (!row.pole) {
            EXPECT_EQ(pass.report.SitePole->Reason, "fewer than two data");
            continue;
        }
        const VirtualGeomagneticPole& pole = *pass.report.SitePole->Pole;
        EXPECT_NEAR(pole.PoleLat, row.lat, 1e-9);
        EXPECT_NEAR(pole.PoleLon, row.lon, 1e-9);
        EXPECT_NEAR(pole.Dp, row.dp, 1e-9);
        EXPECT_NEAR(pole.Dm, row.dm, 1e-9);
        EXPECT_NEAR(pole.Paleolatitude, row.paleolatitude, 1e-9);
        EXPECT_FALSE(pass.report.Fisher); // not drawn
    }
}

// Contours come first on the net, beneath every mark, and their legend stands
// in the column right of the net: clear of the circle, its labels and the
// header and footer lines, inside the image and inside the printed extent.
TEST(AnalysisPass, ContoursLieBeneathTheMarksWithTheirLegendBesideTheNet) {
    PlotOptions options;
    options.Contours = ContourMethod::ExponentialKamb;
    options.Title = QStringLiteral("A title long enough to reach far across the top of the image");
    Pass pass;
    Draw(pass, kMixed, options);
    ASSERT_TRUE(pass.report.Contours.has_value());
    const DensityContours& contours = *pass.report.Contours;
    ASSERT_FALSE(contours.Levels.empty());
    EXPECT_GT(contours.Maximum, 2.0);

    const std::vector<RecordingCanvas::Op>& ops = pass.canvas.ops;
    // The frame draws six lines (cross and ticks); every line after them up to
    // the first datum's mark belongs to a contour.
    std::size_t firstMark = 0;
    const NetPoint first = ProjectEqualArea(12.5, 48.2, 0);
    const PlotGeometry& net = pass.report.Geometry;
    const QPoint markCorner(UnitToPixelX(net, first.x + net.MarkSize),
                            UnitToPixelY(net, first.y + net.MarkSize));
    std::size_t lines = 0;
    for (std::size_t i = 0; i < ops.size(); ++i) {
        if (ops[i].kind != RecordingCanvas::Kind::Line)
            continue;
        if (QPoint(ops[i].a, ops[i].b) == markCorner) {
            firstMark = lines;
            break;
        }
        ++lines;
    }
    EXPECT_GT(firstMark, 6u + 20u);

    const int right = net.CentreX + net.Radius;
    std::vector<RecordingCanvas::Text> legend;
    for (const RecordingCanvas::Text& text : pass.canvas.Texts()) {
        // Past the right-hand label's own place.
        if (text.x > right + 1 + net.TextWidthN)
            legend.push_back(text);
    }
    ASSERT_GE(legend.size(), 5u);
    EXPECT_EQ(legend.front().text, QStringLiteral("Exp. Kamb"));
    for (const RecordingCanvas::Text& text : legend) {
        SCOPED_TRACE(text.text.toStdString());
        // Right of the "270" a polar label could be, below the title line
        // and above the mode line.
        EXPECT_GE(text.x, right + 1 + net.TextWidthN + 3 * 7);
        EXPECT_GE(text.y, net.CentreY - net.Radius);
        EXPECT_LE(text.y + net.TextHeight, net.CentreY + net.Radius + net.TextHeight);
        EXPECT_LE(text.x + text.text.size() * 7, 553);
    }
    // A printout copies the extent: it takes the legend in.
    EXPECT_GT(pass.report.Extent.Right, legend.front().x);

    // Without contours none of this is drawn.
    Pass plain;
    Draw(plain, kMixed, PlotOptions{});
    EXPECT_FALSE(plain.report.Contours.has_value());
    EXPECT_LT(plain.report.Extent.Right, legend.front().x);
}

// A line "#NAME" starts a set and is neither a datum nor a line left unread;
// the lines before the first set line form a set of their own, which a set
// line before any datum names instead.
TEST(AnalysisPass, SetLinesSplitTheDataIntoNamedSets) {
    struct Row {
        const char* name;
        const char* text;
        std::vector<QString> sets; // as labelled
        std::vector<int> counts;
        std::vector<int> rejected;
    };
    const Row rows[] = {
        {"no set line", "10 20\n30 40\n", {QStringLiteral("set 1")}, {2}, {}},
        {"a set line first names the first set",
         "  # Site A \n10 20\n#\n30 40\nx\n",
         {QStringLiteral("Site A"), QStringLiteral("set 2")},
         {1, 1},
         {5}},
        {"data before the first set line",
         "10 20\n#B\n30 40\n50 60\n#C\n",
         {QStringLiteral("set 1"), QStringLiteral("B"), QStringLiteral("C")},
         {1, 2, 0},
         {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Pass pass;
        Draw(pass, QString::fromLatin1(row.text), PlotOptions{});
        std::vector<QString> labels;
        std::vector<int> counts;
        for (std::size_t i = 0; i < pass.report.Sets.size(); ++i) {
            labels.push_back(DataSetLabel(pass.report.Sets, static_cast<int>(i)));
            counts.push_back(pass.report.Sets[i].Count);
        }
        EXPECT_EQ(labels, row.sets);
        EXPECT_EQ(counts, row.counts);
        EXPECT_EQ(pass.report.RejectedLines, row.rejected);
    }
    EXPECT_EQ(LineRejectionReason(0, QStringLiteral("#Site A"), u'.'), QString());
}

// With two sets and the Fisher mean: each set's mean mark, and a line for
// each set instead of the three lines of one mean. The means from Fisher's
// (1953) formulas at 40 digits (mpmath): A 11.481953/45.368857, k 248.71382,
// a95 7.8336028; B 30.865901/41.035963, k 324.85845, a95 6.8509075.
TEST(AnalysisPass, EachSetHasItsMeanAndItsResultLine) {
    PlotOptions options;
    options.FisherMean = true;
    Pass pass;
    Draw(pass, QStringLiteral("#A\n12 45\n15 50\n8 41\n#B\n30 40\n35 45\n28 38\n"), options);
    ASSERT_EQ(pass.report.Sets.size(), 2u);
    EXPECT_EQ(pass.report.FisherLines, QStringList({QStringLiteral("A 11.5/45.4 k249 a7.8"),
                                                    QStringLiteral("B 30.9/41.0 k325 a6.9")}));
    for (const DataSet& set : pass.report.Sets) {
        const NetPoint mean = ProjectEqualArea(*set.Fisher.MeanDec, *set.Fisher.MeanInc, 0);
        RecordingCanvas expected;
        DrawPlusMark(expected, pass.report.Geometry, mean.x, mean.y, pass.report.Geometry.MarkSize);
        const std::vector<RecordingCanvas::Line> all = pass.canvas.Lines();
        for (const RecordingCanvas::Line& line : expected.Lines())
            EXPECT_NE(std::find(all.begin(), all.end(), line), all.end());
    }

    // The fit's lines, drawn later at the top left, cover no set's line.
    options.GreatCircleFit = true;
    Pass fitted;
    Draw(fitted, QStringLiteral("#A\n12 45\n15 50\n8 41\n#B\n30 40\n35 45\n28 38\n"), options);
    ASSERT_EQ(fitted.report.FisherLines.size(), 2);
    const std::vector<RecordingCanvas::Text> texts = fitted.canvas.Texts();
    for (const QString& setLine : fitted.report.FisherLines) {
        const auto drawn = std::find_if(texts.begin(), texts.end(),
                                        [&](const auto& t) { return t.text == setLine; });
        ASSERT_NE(drawn, texts.end());
        for (const QString& fitLine : fitted.report.GreatCircleLines) {
            const auto over = std::find_if(texts.begin(), texts.end(),
                                           [&](const auto& t) { return t.text == fitLine; });
            ASSERT_NE(over, texts.end());
            EXPECT_FALSE(over->y == drawn->y && over->x == drawn->x) << setLine.toStdString();
        }
    }
}

} // namespace

namespace {

// The ink of each line the canvas drew, in order.
std::vector<std::pair<RecordingCanvas::Line, QColor>> InkedLines(const RecordingCanvas& canvas) {
    std::vector<std::pair<RecordingCanvas::Line, QColor>> out;
    QColor ink(0, 0, 0);
    for (const RecordingCanvas::Op& op : canvas.ops) {
        if (op.kind == RecordingCanvas::Kind::Ink)
            ink = op.color;
        else if (op.kind == RecordingCanvas::Kind::Line)
            out.push_back({{QPoint(op.a, op.b), QPoint(op.c, op.d)}, ink});
    }
    return out;
}

} // namespace

// Each set's marks and mean in its colour, everything over all data (the
// frame, the fit) in black, and the legend in the column right of the net,
// under the contours' legend. A canvas that a faulted pass left in a set's
// ink starts black again.
TEST(AnalysisPass, SetsAreDrawnInTheirColoursWithALegend) {
    PlotOptions options;
    options.FisherMean = true;
    options.GreatCircleFit = true;
    options.Contours = ContourMethod::ExponentialKamb;
    Pass pass;
    pass.canvas.SetInkColor(QColor(1, 2, 3));
    Draw(pass, QStringLiteral("#A\n12 45\n15 50\n8 41\n#Ash bed\n30 40\n35 45\n28 38\n"), options);
    ASSERT_EQ(pass.report.Sets.size(), 2u);
    const PlotGeometry& net = pass.report.Geometry;
    const std::vector<std::pair<RecordingCanvas::Line, QColor>> lines = InkedLines(pass.canvas);
    const auto inkOfMark = [&](double dec, double inc) {
        const NetPoint p = ProjectEqualArea(dec, inc, 0);
        RecordingCanvas mark;
        DrawXMark(mark, net, p.x, p.y, net.MarkSize);
        const RecordingCanvas::Line first = mark.Lines().front();
        for (const auto& [line, ink] : lines) {
            if (line == first)
                return ink;
        }
        return QColor();
    };
    EXPECT_EQ(inkOfMark(15, 50), DataSetColor(0, 2));
    EXPECT_EQ(inkOfMark(35, 45), DataSetColor(1, 2));
    EXPECT_NE(DataSetColor(0, 2), DataSetColor(1, 2));
    // The centre cross and the fit's pole are black.
    EXPECT_EQ(lines.front().second, QColor(0, 0, 0));
    const GreatCircleResult& fit = pass.report.GreatCircle->Pole;
    const NetPoint pole = ProjectEqualArea(fit.PoleDec, fit.PoleInc, 0);
    RecordingCanvas poleMark;
    DrawPlusMark(poleMark, net, pole.x, pole.y, net.MarkSize);
    const auto poleLine = std::find_if(lines.begin(), lines.end(), [&](const auto& l) {
        return l.first == poleMark.Lines().front();
    });
    ASSERT_NE(poleLine, lines.end());
    EXPECT_EQ(poleLine->second, QColor(0, 0, 0));

    std::vector<RecordingCanvas::Text> legend;
    for (const RecordingCanvas::Text& text : pass.canvas.Texts()) {
        if (text.x > net.CentreX + net.Radius + 1 + net.TextWidthN)
            legend.push_back(text);
    }
    // The contours' legend, then a blank line, then one entry per set; the
    // long name breaks at its space, and its N goes on a line of its own.
    const auto at = [&](const QString& text) {
        return std::find_if(legend.begin(), legend.end(),
                            [&](const RecordingCanvas::Text& t) { return t.text == text; });
    };
    const auto a = at(QStringLiteral("A N=3"));
    const auto ash = at(QStringLiteral("Ash"));
    const auto bed = at(QStringLiteral("bed"));
    const auto n = at(QStringLiteral("N=3"));
    ASSERT_NE(a, legend.end());
    ASSERT_NE(ash, legend.end());
    ASSERT_NE(bed, legend.end());
    ASSERT_NE(n, legend.end());
    EXPECT_EQ(legend.front().text, QStringLiteral("Exp. Kamb"));
    EXPECT_EQ(a->y, (a - 1)->y + 2 * pass.canvas.textHeight);
    EXPECT_EQ(ash->y, a->y + pass.canvas.textHeight);
    EXPECT_EQ(bed->y, ash->y + pass.canvas.textHeight);
    EXPECT_EQ(n->y, bed->y + pass.canvas.textHeight);
    for (auto entry = a; entry != legend.end(); ++entry)
        EXPECT_LE(entry->x + entry->text.size() * pass.canvas.charWidth, 553);
    EXPECT_GE(pass.report.Extent.Right, a->x + 5 * pass.canvas.charWidth);
}
