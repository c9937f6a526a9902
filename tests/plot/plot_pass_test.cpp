#include <gtest/gtest.h>

#include <functional>

#include "circle_trace.h"
#include "equal_area.h"
#include "file_type.h"
#include "fixed_column.h"
#include "floating_point_fault.h"
#include "line_view.h"
#include "marks.h"
#include "net_reading.h"
#include "plot_pass.h"
#include "recording_canvas.h"
#include "test_plot_inputs.h"

namespace {

using Kind = RecordingCanvas::Kind;
using Line = RecordingCanvas::Line;
using Text = RecordingCanvas::Text;

constexpr std::size_t kFrameLines = 6; // centre cross and ticks
constexpr std::size_t kFrameTexts = 5;

const PlotGeometry kNet = ComputePlotGeometry(553, 529, 13, 8);

struct Options {
    int fileType = 0;
    int plotType = 0;
    int errorCircleMode = 1;
    bool fisher = false;
    bool greatCircle = false;
    QChar separator = u'.';
};

struct Pass {
    RecordingCanvas canvas;
    PlotReport report;
};

PlotInputs InputsFor(const LineView& lines, const Options& o) {
    PlotOptions options;
    options.FileType = o.fileType;
    options.PlotType = o.plotType;
    options.ErrorCircles = static_cast<ErrorCircleMode>(o.errorCircleMode);
    options.FisherMean = o.fisher;
    options.GreatCircleFit = o.greatCircle;
    options.Title = QStringLiteral("T");
    options.FileName = QStringLiteral(" ");
    PlotInputs in = TestPlotInputs(lines, options);
    in.Environment.DecimalSeparator = o.separator;
    return in;
}

Pass RunPass(const QString& text, const Options& o = {}) {
    Pass pass;
    const LineView lines(text);
    DrawPlot(pass.canvas, InputsFor(lines, o), pass.report);
    return pass;
}

std::vector<Line> LinesFrom(const RecordingCanvas& canvas, std::size_t first) {
    const std::vector<Line> all = canvas.Lines();
    return {all.begin() + static_cast<std::ptrdiff_t>(std::min(first, all.size())), all.end()};
}

std::vector<Line> LastLines(const RecordingCanvas& canvas, std::size_t count) {
    const std::vector<Line> all = canvas.Lines();
    return LinesFrom(canvas, all.size() - std::min(count, all.size()));
}

using MarkFunction = std::function<void(Canvas&, const PlotGeometry&, double, double, double)>;

std::vector<Line> MarkLines(const MarkFunction& mark, double dec, double inc, int plotType) {
    RecordingCanvas expected;
    const NetPoint p = ProjectEqualArea(dec, inc, plotType);
    mark(expected, kNet, p.x, p.y, kNet.MarkSize);
    return expected.Lines();
}

std::vector<QPoint> CircleOf(double dec, double inc, double rho, bool lowerOnly, int plotType = 0) {
    CirclePixelList list{};
    const int n = CirclePixelsDirect(kNet, plotType, dec, inc, rho, lowerOnly, list);
    return {list.begin(), list.begin() + n};
}

std::vector<QString> TextsFrom(const RecordingCanvas& canvas, std::size_t first) {
    std::vector<QString> out;
    const std::vector<Text> texts = canvas.Texts();
    for (std::size_t i = first; i < texts.size(); ++i) {
        out.push_back(texts[i].text);
    }
    return out;
}

TEST(PlotPassTest, PreparesTheCanvasInOrder) {
    const Pass pass = RunPass(QString());
    const std::vector<RecordingCanvas::Op>& ops = pass.canvas.ops;
    ASSERT_GE(ops.size(), 4u);
    EXPECT_EQ(ops[0].kind, Kind::Brush);
    EXPECT_EQ(ops[0].color, QColor(255, 255, 255));
    EXPECT_EQ(ops[1].kind, Kind::Rectangle);
    // "N" is measured before the fixed-pitch request, which comes before any text.
    EXPECT_GE(pass.canvas.MeasureCount(), 2);
    EXPECT_EQ(pass.canvas.MeasuresBeforeFixedPitch(), pass.canvas.MeasureCount());
    const int fixedPitch = pass.canvas.IndexOf(Kind::FixedPitch);
    const int penWidth = pass.canvas.IndexOf(Kind::PenWidth);
    ASSERT_GE(fixedPitch, 2);
    EXPECT_EQ(penWidth, fixedPitch + 1);
    EXPECT_EQ(ops[static_cast<std::size_t>(penWidth)].a, 1);
    EXPECT_LT(penWidth, pass.canvas.IndexOf(Kind::Text));
    EXPECT_EQ(pass.report.Extent.Left, 21);
    EXPECT_EQ(pass.report.Extent.Right, 477);
    EXPECT_EQ(pass.report.Extent.Bottom, 489);
}

TEST(PlotPassTest, ClearingRectangleAlwaysCoversTheImage) {
    struct Row {
        int clientWidth, clientHeight, right, bottom;
    };
    const Row rows[] = {
        {941, 672, 941, 672}, // the window's normal size
        {300, 200, 554, 530}, // a small window: still the whole image
        {553, 529, 554, 530}, // outline just outside the image
        {600, 500, 600, 530},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.clientWidth);
        const LineView lines(QString{});
        PlotInputs in = InputsFor(lines, {});
        in.Environment.ClientSize = QSize(r.clientWidth, r.clientHeight);
        RecordingCanvas canvas;
        PlotReport report;
        DrawPlot(canvas, in, report);
        const RecordingCanvas::Op& clear = canvas.ops[1];
        EXPECT_EQ(clear.kind, Kind::Rectangle);
        EXPECT_EQ((std::vector<int>{clear.a, clear.b, clear.c, clear.d}),
                  (std::vector<int>{0, 0, r.right, r.bottom}));
    }
}

TEST(PlotPassTest, EmptyOrBlankEditorDrawsTheFrameOnly) {
    Options o;
    o.fisher = true;
    o.greatCircle = true;
    o.errorCircleMode = 0;
    for (const char* text : {"", "   \n\n  \r\n"}) {
        SCOPED_TRACE(text);
        const Pass pass = RunPass(QString::fromLatin1(text), o);
        EXPECT_EQ(pass.canvas.Texts().size(), kFrameTexts);
        EXPECT_EQ(pass.canvas.Lines().size(), kFrameLines);
        EXPECT_TRUE(pass.canvas.Pixels().empty());
        EXPECT_TRUE(pass.report.FisherLines.isEmpty());
        EXPECT_TRUE(pass.report.GreatCircleLines.isEmpty());
    }
}

TEST(PlotPassTest, DatumMarkByHemisphereAndPlotType) {
    struct Row {
        int plotType;
        double inc;
        MarkFunction mark;
    };
    // An inclination beyond -90...90 is no datum (mark nullptr): its line is not read.
    const Row rows[] = {
        {0, 20, DrawXMark},       {0, -20, DrawSquareMark}, {0, 200, nullptr},
        {0, 180, nullptr},        {0, 0, DrawXMark},        {0, 90, DrawXMark},
        {0, -90, DrawSquareMark}, {1, 20, DrawSquareMark},  {1, -20, DrawXMark},
        {1, 200, nullptr},        {2, 20, DrawXMark},       {2, -20, DrawSquareMark},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.plotType << " " << r.inc);
        Options o;
        o.plotType = r.plotType;
        const Pass pass = RunPass(QStringLiteral("10 %1").arg(r.inc), o);
        if (r.mark == nullptr) {
            EXPECT_TRUE(LinesFrom(pass.canvas, kFrameLines).empty());
            EXPECT_EQ(pass.report.RejectedLines, std::vector<int>{1});
            continue;
        }
        EXPECT_EQ(LinesFrom(pass.canvas, kFrameLines), MarkLines(r.mark, 10, r.inc, r.plotType));
    }
    // The north polar view mirrors: declination 10 lies left of the centre.
    Options polar;
    polar.plotType = 1;
    const Pass pass = RunPass(QStringLiteral("10 20"), polar);
    for (const Line& l : LinesFrom(pass.canvas, kFrameLines)) {
        EXPECT_LT(l.from.x(), kNet.CentreX);
    }
    // Inclination 200 sits where inclination -20 at the opposite azimuth does.
    EXPECT_EQ(MarkLines(DrawSquareMark, 10, 200, 0), MarkLines(DrawSquareMark, 190, -20, 0));
}

TEST(PlotPassTest, MeanAndPoleMarkBySignAndPlotType) {
    const QString down = QStringLiteral("0 45\n10 50\n350 40\n");
    const QString up = QStringLiteral("0 -45\n10 -50\n350 -40\n");
    struct Row {
        int plotType;
        bool upper;
        MarkFunction mark;
    };
    const Row rows[] = {
        {0, false, DrawPlusMark},   {1, false, DrawDiamondMark}, {2, false, DrawPlusMark},
        {0, true, DrawDiamondMark}, {1, true, DrawPlusMark},     {2, true, DrawDiamondMark},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.plotType << " " << r.upper);
        Options o;
        o.plotType = r.plotType;
        o.fisher = true;
        const Pass pass = RunPass(r.upper ? up : down, o);
        const double meanInc = r.upper ? -45.2898 : 45.2898;
        const std::vector<Line> expected = MarkLines(r.mark, 359.4145, meanInc, r.plotType);
        EXPECT_EQ(LastLines(pass.canvas, expected.size()), expected);
    }
    // The pole always has a non-negative inclination: plus, or diamond in view 1.
    const QString planeData = QStringLiteral("10 20\n60 35\n110 30\n160 10\n200 -15\n");
    for (int plotType : {0, 1, 2}) {
        Options o;
        o.plotType = plotType;
        o.greatCircle = true;
        const Pass pass = RunPass(planeData, o);
        const MarkFunction pole = plotType == 1 ? MarkFunction(DrawDiamondMark) : DrawPlusMark;
        const std::vector<Line> expected = MarkLines(pole, 260.0737, 54.2906, plotType);
        EXPECT_EQ(LastLines(pass.canvas, expected.size()), expected);
    }
}

// A line each file type reads as dec 30, inc 40 with error radius 10 where
// the type carries one, preceded by the header lines of types 4 to 6.
QString DataFor(int fileType) {
    if (fileType <= 1 || fileType >= 9) {
        return QStringLiteral("30 40 10\n");
    }
    const ColumnLayout layout = ColumnLayoutOf(fileType);
    QString line(70, u' ');
    line.replace(layout.DecColumn - 1, 5, QStringLiteral(" 30.0"));
    line.replace(layout.IncColumn - 1, 5, QStringLiteral(" 40.0"));
    if (layout.ErrorColumn > 0) {
        line.replace(layout.ErrorColumn - 1, 5, QStringLiteral(" 10.0"));
    }
    const QString header = fileType >= 4 && fileType <= 6 ? QStringLiteral("h1\nh2\n") : QString();
    return header + line + u'\n';
}

TEST(PlotPassTest, DatumCirclesByFileTypeAndMode) {
    const QPoint datumPixel(UnitToPixelX(kNet, ProjectEqualArea(30, 40, 0).x),
                            UnitToPixelY(kNet, ProjectEqualArea(30, 40, 0).y));
    for (int fileType = 0; fileType <= 10; ++fileType) {
        for (int mode = 0; mode <= 2; ++mode) {
            SCOPED_TRACE(testing::Message() << "type " << fileType << " mode " << mode);
            Options o;
            o.fileType = fileType;
            o.errorCircleMode = mode;
            const Pass pass = RunPass(DataFor(fileType), o);
            // The datum itself is always read and marked.
            ASSERT_GT(pass.canvas.Lines().size(), kFrameLines);
            const bool planes = fileType == 9 || fileType == 10;
            const bool circles = !planes && fileType != 2 && fileType != 3;
            std::vector<QPoint> expected;
            if (circles && mode == 0) {
                expected = fileType == 0 ? std::vector<QPoint>(360, datumPixel)
                                         : CircleOf(30, 40, 10, false);
            } else if (circles && mode == 2) {
                expected = CircleOf(30, 40, 90, true);
            } else if (planes && mode == 2) {
                // The plane itself: the lower half of the great circle about its pole.
                const Direction pole = ReadDataLine(fileType, "30 40 10");
                expected = CircleOf(pole.Dec, pole.Inc, 90, true);
            }
            EXPECT_EQ(pass.canvas.Pixels(), expected);
        }
    }
}

TEST(PlotPassTest, NegativeErrorRadiusCirclesTheOppositeDirection) {
    Options o;
    o.fileType = 1;
    o.errorCircleMode = 0;
    const Pass plus = RunPass(QStringLiteral("0 45 10"), o);
    const Pass minus = RunPass(QStringLiteral("0 45 -10"), o);
    EXPECT_EQ(minus.canvas.Pixels(), CircleOf(0, 45, 170, false));
    ASSERT_EQ(plus.canvas.Pixels().size(), 360u);
    ASSERT_EQ(minus.canvas.Pixels().size(), 360u);
    // Read back from the net: 10 degrees from (0, 45), and 10 degrees from
    // (180, -45), which shows where (180, 45) would.
    for (const QPoint& p : plus.canvas.Pixels()) {
        EXPECT_NEAR(AngleBetween(DirectionOfPixel(kNet, p), {0, 45}), 10.0, 0.6);
    }
    for (const QPoint& p : minus.canvas.Pixels()) {
        EXPECT_NEAR(AngleBetween(DirectionOfPixel(kNet, p), {180, 45}), 10.0, 0.6);
    }
}

TEST(PlotPassTest, PlaneModeDrawsOnlyTheLowerHalf) {
    Options o;
    o.errorCircleMode = 2;
    const Pass pass = RunPass(QStringLiteral("120 30"), o);
    const std::vector<QPoint> pixels = pass.canvas.Pixels();
    EXPECT_EQ(pixels, CircleOf(120, 30, 90, true));
    EXPECT_LT(pixels.size(), 200u);
    EXPECT_GT(pixels.size(), 160u);
}

TEST(PlotPassTest, FisherExampleTexts) {
    Options o;
    o.fisher = true;
    const Pass pass = RunPass(QStringLiteral("0 45\n10 50\n350 40\n"), o);
    const std::vector<Text> texts = pass.canvas.Texts();
    ASSERT_EQ(texts.size(), kFrameTexts + 3);
    EXPECT_EQ(texts[5], (Text{21, 47, QStringLiteral("Mean Dec, Inc: 359.4, 45.3")}));
    EXPECT_EQ(texts[6], (Text{21, 60, QStringLiteral("R=2.9774  k=88.4")}));
    EXPECT_EQ(texts[7], (Text{21, 73, QStringLiteral("a95=13.2")}));
    EXPECT_EQ(pass.report.FisherLines,
              QStringList({QStringLiteral("Mean Dec, Inc: 359.4, 45.3"),
                           QStringLiteral("R=2.9774  k=88.4"), QStringLiteral("a95=13.2")}));
    EXPECT_TRUE(pass.report.GreatCircleLines.isEmpty());
    // The a95 circle: 360 dots about the mean.
    EXPECT_EQ(pass.canvas.Pixels().size(), 360u);
}

TEST(PlotPassTest, FisherLabelAndSeparatorFollowTheInputs) {
    Options o;
    o.fisher = true;
    o.plotType = 2;
    o.separator = u',';
    const Pass pass = RunPass(QStringLiteral("0 45\n10 50\n350 40\n"), o);
    EXPECT_EQ(
        TextsFrom(pass.canvas, kFrameTexts),
        (std::vector<QString>{QStringLiteral("Mean Lon, Lat: 359,4, 45,3"),
                              QStringLiteral("R=2,9774  k=88,4"), QStringLiteral("a95=13,2")}));
}

TEST(PlotPassTest, GreatCircleExampleTexts) {
    Options o;
    o.greatCircle = true;
    const Pass pass = RunPass(QStringLiteral("10 20\n60 35\n110 30\n160 10\n200 -15"), o);
    const std::vector<Text> texts = pass.canvas.Texts();
    ASSERT_EQ(texts.size(), kFrameTexts + 3);
    EXPECT_EQ(texts[5], (Text{21, 47, QStringLiteral("Pole Dec, Inc: 260.1, 54.3")}));
    EXPECT_EQ(texts[6], (Text{21, 60, QStringLiteral("Eigenvalue: 0.0162")}));
    EXPECT_EQ(texts[7], (Text{21, 73, QStringLiteral("Available: 0.0")}));
    EXPECT_EQ(pass.report.GreatCircleLines.size(), 3);
    // The lower half of the great circle about the pole.
    EXPECT_EQ(pass.canvas.Pixels(), CircleOf(260.0737, 54.2906, 90, true));
}

TEST(PlotPassTest, BothBlocksWriteFisherFirstThenGreatCircleOnTheSameLines) {
    Options o;
    o.fisher = true;
    o.greatCircle = true;
    const Pass pass = RunPass(QStringLiteral("10 20\n60 35\n110 30\n160 10\n200 -15"), o);
    const std::vector<Text> texts = pass.canvas.Texts();
    ASSERT_EQ(texts.size(), kFrameTexts + 6);
    EXPECT_EQ(texts[5].text, QStringLiteral("Mean Dec, Inc: 115.1, 35.4"));
    EXPECT_EQ(texts[8].text, QStringLiteral("Pole Dec, Inc: 260.1, 54.3"));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(texts[5 + i].y, texts[8 + i].y);
    }
    EXPECT_EQ(pass.report.FisherLines.size(), 3);
    EXPECT_EQ(pass.report.GreatCircleLines.size(), 3);
}

TEST(PlotPassTest, NeedsTwoValidData) {
    Options o;
    o.fisher = true;
    o.greatCircle = true;
    // One datum among blank and unreadable lines (a tab is not blank).
    const Pass pass = RunPass(QStringLiteral("\n   \nabc\n\t\n10 20\n1,5 3\n"), o);
    EXPECT_EQ(LinesFrom(pass.canvas, kFrameLines), MarkLines(DrawXMark, 10, 20, 0));
    EXPECT_EQ(pass.canvas.Texts().size(), kFrameTexts);
    EXPECT_TRUE(pass.canvas.Pixels().empty());
    EXPECT_TRUE(pass.report.FisherLines.isEmpty());
}

TEST(PlotPassTest, HeaderLinesOfTypes4To6AreNeverRead) {
    Options o;
    o.fileType = 4;
    const QString data = DataFor(4);
    const QString dataLine = data.split(u'\n').at(2);
    // Two valid lines alone give nothing; the third line is read.
    EXPECT_EQ(RunPass(dataLine + u'\n' + dataLine, o).canvas.Lines().size(), kFrameLines);
    EXPECT_EQ(RunPass(dataLine + u'\n' + dataLine + u'\n' + dataLine, o).canvas.Lines().size(),
              kFrameLines + 2);
}

TEST(PlotPassTest, DecimalSeparatorReadsTheData) {
    Options comma;
    comma.separator = u',';
    EXPECT_EQ(LinesFrom(RunPass(QStringLiteral("10,5 20,5"), comma).canvas, kFrameLines),
              MarkLines(DrawXMark, 10.5, 20.5, 0));
    // A separator outside Latin-1 cannot occur in single-byte text: a point is used.
    Options arabic;
    arabic.separator = QChar(0x066B);
    EXPECT_EQ(LinesFrom(RunPass(QStringLiteral("10.5 20.5"), arabic).canvas, kFrameLines),
              MarkLines(DrawXMark, 10.5, 20.5, 0));
    // Characters beyond Latin-1 never read as digits.
    EXPECT_EQ(RunPass(QStringLiteral("1\u0661 20"), {}).canvas.Lines().size(), kFrameLines);
}

TEST(PlotPassTest, IdenticalDataGiveInfiniteK) {
    Options o;
    o.fisher = true;
    const Pass pass = RunPass(QStringLiteral("0 0\n0 0\n"), o);
    EXPECT_EQ(TextsFrom(pass.canvas, kFrameTexts),
              (std::vector<QString>{QStringLiteral("Mean Dec, Inc: 0.0, 0.0"),
                                    QStringLiteral("R=2.0000  k=INF"), QStringLiteral("a95=0.0")}));
    // The mean mark after the two X marks, and its circle collapsed onto it.
    EXPECT_EQ(LinesFrom(pass.canvas, kFrameLines + 4), MarkLines(DrawPlusMark, 0, 0, 0));
    EXPECT_EQ(pass.canvas.Pixels(), std::vector<QPoint>(360, QPoint(235, 60)));
}

TEST(PlotPassTest, FaultLeavesWhatWasDrawn) {
    // Six directions along the axes: the Fisher block works (R ~ 0, a95 180),
    // the eigen-analysis finds three equal eigenvalues and faults.
    Options o;
    o.fisher = true;
    o.greatCircle = true;
    o.errorCircleMode = 0;
    const LineView lines(QStringLiteral("0 0\n180 0\n90 0\n270 0\n0 90\n0 -90\n"));
    RecordingCanvas canvas;
    PlotReport report;
    EXPECT_THROW(DrawPlot(canvas, InputsFor(lines, o), report), FloatingPointFault);
    EXPECT_EQ(report.Extent.Right, 477);
    // Frame texts only: no result line was drawn.
    EXPECT_EQ(canvas.Texts().size(), kFrameTexts);
    // Five X marks, one square, and the Fisher mean's mark.
    const std::size_t markLines = 5 * 2 + 4;
    EXPECT_GE(canvas.Lines().size(), kFrameLines + markLines + 2);
    // Six collapsed datum circles and the a95 circle.
    EXPECT_EQ(canvas.Pixels().size(), 7u * 360u);
    // The Fisher block had run; the great-circle block never completed.
    EXPECT_EQ(report.FisherLines.size(), 3);
    EXPECT_TRUE(report.GreatCircleLines.isEmpty());
    EXPECT_EQ(report.DataCount, 6);
    EXPECT_TRUE(report.Fisher.has_value());
    EXPECT_FALSE(report.GreatCircle.has_value());
}

struct ReportCase {
    const char* what;
    QString text;
    Options options;
    int dataCount;
    std::vector<int> rejected;
    bool fisher;
    bool greatCircle;
};

Options With(int fileType, bool fisher, bool greatCircle) {
    Options o;
    o.fileType = fileType;
    o.fisher = fisher;
    o.greatCircle = greatCircle;
    return o;
}

TEST(PlotPassReport, CountsTheDataNumbersTheLinesNotReadAndKeepsTheResults) {
    const QString fixed = DataFor(4).split(u'\n').at(2);
    const ReportCase cases[] = {
        {"empty editor", QString(), With(0, true, true), 0, {}, false, false},
        {"blank lines are not rejected",
         QStringLiteral("\n   \nabc\n\t\n10 20\n1,5 3\n"),
         With(0, true, true),
         1,
         {3, 4, 6},
         false,
         false},
        {"header lines are not rejected",
         QStringLiteral("h1\nh2\n") + fixed + u'\n' + u'x' + u'\n' + u' ' + u'\n' + fixed,
         With(4, false, false),
         2,
         {4},
         false,
         false},
        {"Fisher only",
         QStringLiteral("0 45\n10 50\nx\n350 40"),
         With(0, true, false),
         3,
         {3},
         true,
         false},
        {"great circle only",
         QStringLiteral("10 20\n60 35\n110 30\n160 10\n200 -15\n"),
         With(0, false, true),
         5,
         {},
         false,
         true},
    };
    for (const ReportCase& c : cases) {
        SCOPED_TRACE(c.what);
        const Pass pass = RunPass(c.text, c.options);
        EXPECT_EQ(pass.report.DataCount, c.dataCount);
        EXPECT_EQ(pass.report.RejectedLines, c.rejected);
        EXPECT_EQ(pass.report.Fisher.has_value(), c.fisher);
        EXPECT_EQ(pass.report.GreatCircle.has_value(), c.greatCircle);
    }
}

TEST(PlotPassReport, HoldsTheNumbersBehindTheResultLines) {
    // Reference values of the statistics' own examples (Fisher 1953 mean of
    // three directions; the five-datum great circle).
    const Pass fisher = RunPass(QStringLiteral("0 45\n10 50\n350 40"), With(0, true, false));
    ASSERT_TRUE(fisher.report.Fisher.has_value());
    EXPECT_NEAR(fisher.report.Fisher->MeanDec, 359.4145, 1e-4);
    EXPECT_NEAR(fisher.report.Fisher->A95, 13.1922, 1e-4);

    const Pass fit =
        RunPass(QStringLiteral("10 20\n60 35\n110 30\n160 10\n200 -15\n"), With(0, false, true));
    ASSERT_TRUE(fit.report.GreatCircle.has_value());
    const GreatCircleReport& g = *fit.report.GreatCircle;
    EXPECT_NEAR(g.Pole.PoleDec, 260.0737, 1e-4);
    EXPECT_NEAR(g.Pole.Eigenvalue, 0.016243, 1e-6);
    // The pole is the smallest axis; the eigenvalues of unit vectors sum to N.
    EXPECT_EQ(g.Axes[2].Dec, g.Pole.PoleDec);
    EXPECT_EQ(g.Axes[2].Inc, g.Pole.PoleInc);
    EXPECT_EQ(g.Axes[2].Value, g.Pole.Eigenvalue);
    EXPECT_GE(g.Axes[0].Value, g.Axes[1].Value);
    EXPECT_GE(g.Axes[1].Value, g.Axes[2].Value);
    EXPECT_NEAR(g.Axes[0].Value + g.Axes[1].Value + g.Axes[2].Value, 5.0, 1e-12);
}

TEST(PlotPassReport, AReusedReportKeepsNothingOfTheLastPass) {
    const LineView full(QStringLiteral("0 45\n10 50\nx\n350 40"));
    const LineView empty{QString()};
    RecordingCanvas canvas;
    PlotReport report;
    DrawPlot(canvas, InputsFor(full, With(0, true, true)), report);
    ASSERT_TRUE(report.Fisher.has_value());
    DrawPlot(canvas, InputsFor(empty, With(0, true, true)), report);
    EXPECT_EQ(report.DataCount, 0);
    EXPECT_TRUE(report.RejectedLines.empty());
    EXPECT_FALSE(report.Fisher.has_value());
    EXPECT_FALSE(report.GreatCircle.has_value());
}

TEST(PlotPassReport, ALineIsJudgedAsThePassReadsIt) {
    // The pass cuts a line at 4,096 characters: a second number beyond the
    // cut is never seen.
    const QString cut = QStringLiteral("10") + QString(4100, u' ') + QStringLiteral("20");
    const Pass pass = RunPass(cut, {});
    EXPECT_EQ(pass.report.RejectedLines, std::vector<int>{1});
    EXPECT_EQ(LineRejectionReason(0, cut, u'.'), QStringLiteral("the second number is missing"));
    EXPECT_EQ(LineRejectionReason(0, QStringLiteral("10,5 20"), u','), QString());
    EXPECT_EQ(LineRejectionReason(0, QStringLiteral("10.5 20"), u','), QString());
    EXPECT_EQ(LineRejectionReason(0, QStringLiteral("10,5 20"), u'.'),
              QStringLiteral("'10,5' at column 1 is not a number (the decimal separator is '.')"));
    // Beyond Latin-1 a character reads as '?', never as a digit.
    EXPECT_EQ(LineRejectionReason(0, QStringLiteral("1\u0661 20"), u'.'),
              QStringLiteral("'1?' at column 1 is not a number"));
}

} // namespace
