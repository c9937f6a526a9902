#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <limits>

#include "line_view.h"
#include "pass_report.h"
#include "plot_pass.h"
#include "qstring_printer.h"
#include "test_plot_inputs.h"

namespace {

TEST(UnreadLineReports, OneLineEachInTheEditorsFormThenACountOfTheRest) {
    const LineView lines(QStringLiteral("10 20\n10 95\nx\n1,5 2\n"));
    PlotReport report;
    report.RejectedLines = {2, 3, 4};
    const PlotInputs inputs = TestPlotInputs(lines);
    EXPECT_EQ(UnreadLineReports(QStringLiteral("-"), inputs, report, 2),
              QStringList({"<stdin>:2: not read: inclination or latitude 95 at column 4 is outside "
                           "-90...90",
                           "<stdin>:3: not read: 'x' at column 1 is not a number",
                           "<stdin>: 1 more lines not read"}));
    const QStringList named = UnreadLineReports(QStringLiteral("site.plt"), inputs, report);
    EXPECT_EQ(named.size(), 3);
    EXPECT_TRUE(named.last().startsWith("site.plt:4: not read: '1,5'"));
}

// The numbers read back as the very doubles the pass computed, in their
// shortest form; infinity, which JSON lacks, is written as the text lines
// write it.
TEST(ResultJson, FullPrecisionShortestNumbersAndInfiniteK) {
    const LineView lines(QString{});
    PlotReport report;
    report.DataCount = 2;
    report.Fisher = FisherResult{0.1, 1.0 / 3.0, 2.0, std::numeric_limits<double>::infinity(), 0.0};
    PlotOptions options;
    options.FileType = 1;
    options.PlotType = 2;
    const QByteArray json =
        ResultJson(QStringLiteral("a.plt"), TestPlotInputs(lines, options), report);
    EXPECT_TRUE(json.contains("\"dec\": 0.1,")) << json.constData();
    EXPECT_TRUE(json.contains("\"inc\": 0.3333333333333333")) << json.constData();
    const QJsonObject object = QJsonDocument::fromJson(json).object();
    EXPECT_EQ(object["fisher"]["inc"].toDouble(), 1.0 / 3.0);
    EXPECT_EQ(object["fisher"]["k"].toString(), QStringLiteral("INF"));
    EXPECT_EQ(object["file_type"].toInt(), 1);
    EXPECT_EQ(object["plot_type"].toInt(), 2);
    EXPECT_FALSE(object.contains("great_circle"));
    EXPECT_FALSE(object.contains("fault"));
}

// However many lines were not read, the JSON lists at most the cap and
// counts the rest; below the cap the object has no count at all, so the
// text of ordinary inputs stays as it was.
TEST(ResultJson, ListsAtMostTheCapAndCountsTheRest) {
    const LineView lines(QStringLiteral("x\ny\nz\n"));
    PlotReport report;
    report.RejectedLines = {1, 2, 3};
    const PlotInputs inputs = TestPlotInputs(lines);
    const struct {
        int cap;
        qsizetype listed;
        int more; // 0: no rejected_more member
    } cases[] = {{5, 3, 0}, {3, 3, 0}, {2, 2, 1}, {0, 0, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cap);
        const QJsonObject object =
            QJsonDocument::fromJson(ResultJson(QStringLiteral("a.plt"), inputs, report, c.cap))
                .object();
        const QJsonArray rejected = object["rejected"].toArray();
        ASSERT_EQ(rejected.size(), c.listed);
        if (c.listed > 0) {
            EXPECT_EQ(rejected.last()["line"].toInt(), c.listed);
        }
        EXPECT_EQ(object.contains("rejected_more"), c.more > 0);
        EXPECT_EQ(object["rejected_more"].toInt(), c.more);
    }
}

} // namespace
