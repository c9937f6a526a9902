// The Results window's text, compared as whole strings. Its numbers are those
// of tests/plot/analysis_pass_test.cpp, rounded; the critical value is the
// seeded simulation's.

#include <gtest/gtest.h>

#include "line_view.h"
#include "plot_pass.h"
#include "qstring_printer.h"
#include "recording_canvas.h"
#include "results_text.h"
#include "test_plot_inputs.h"

namespace {

QString TextOfPass(const QString& data, const PlotOptions& options, QChar separator) {
    const LineView lines(data);
    PlotInputs inputs = TestPlotInputs(lines, options);
    inputs.Environment.DecimalSeparator = separator;
    RecordingCanvas canvas;
    PlotReport report;
    RunPlotPass(canvas, inputs, report);
    return ResultsText(inputs, report);
}

TEST(ResultsText, EverySectionWithTheLocalesSeparator) {
    PlotOptions options;
    options.FileName = QStringLiteral("mixed.plt");
    options.FisherMean = true;
    options.GreatCircleFit = true;
    options.SeparatePolarities = true;
    options.ReversalTest = true;
    options.Site = SiteLocation{33.0, -117.0};
    // A level bed: the section is there, the directions stay as read.
    options.Bedding = BeddingSource::OneForAll;
    const QString text = TextOfPass(QStringLiteral("12.5 48.2\n20.1 55\n5.3 38.7\n355.2 42.1\n"
                                                   "30 60.5\n198.4 -35.2\n185 -48.6\n201.7 -41.3\n"
                                                   "not a datum\n8.8 51.4\n"),
                                    options, u',');
    EXPECT_EQ(text, QStringLiteral(
                        "File: mixed.plt\n"
                        "File type: 0 Generic: D [sp] I (lat/lon, dip/dip dir)\n"
                        "Plot type: 0 Directions\n"
                        "Data read: 9\n"
                        "Lines not read: 1\n"
                        "  line 9: 'not' at column 1 is not a number\n"
                        "\n"
                        "Tilt correction: one bedding for all data\n"
                        "  dip direction 0,00, dip 0,00\n"
                        "\n"
                        "Fisher mean (the reversed mode turned round)\n"
                        "  Dec 12,34, Inc 47,19\n"
                        "  R 8,8586, k 56,57, a95 6,90\n"
                        "\n"
                        "Eigen axes of the orientation tensor, largest value first\n"
                        "  Dec 12,31, Inc 47,17, value 8,7209\n"
                        "  Dec 153,88, Inc 35,99, value 0,1868\n"
                        "  Dec 259,20, Inc 19,99, value 0,0924\n"
                        "  pole of the best-fit great circle: Dec 259,20, Inc 19,99\n"
                        "\n"
                        "Polarities\n"
                        "  normal:   n 6, Dec 10,47, Inc 49,81, R 5,9071, k 53,82, a95 9,22\n"
                        "  reversed: n 3, Dec 195,55, Inc -41,91, R 2,9740, k 76,91, a95 14,15\n"
                        "  combined: n 9, Dec 12,34, Inc 47,19, R 8,8586, k 56,57, a95 6,90\n"
                        "\n"
                        "Reversal test (Watson's V_w; McFadden and McElhinny 1990)\n"
                        "  V_w 3,027, V_critical 8,315 (5000 simulations)\n"
                        "  gamma 8,65, gamma_critical 14,33\n"
                        "  classification: C\n"
                        "\n"
                        "Virtual geomagnetic pole; site latitude 33,00, longitude -117,00\n"
                        "  latitude 78,43, longitude 353,38\n"
                        "  dp 5,79, dm 8,94\n"
                        "  paleolatitude 28,36\n"
                        "\n"
                        "Plotted data\n"
                        "    line      Dec      Inc\n"
                        "       1    12,50    48,20\n"
                        "       2    20,10    55,00\n"
                        "       3     5,30    38,70\n"
                        "       4   355,20    42,10\n"
                        "       5    30,00    60,50\n"
                        "       6   198,40   -35,20\n"
                        "       7   185,00   -48,60\n"
                        "       8   201,70   -41,30\n"
                        "      10     8,80    51,40\n"));
}

TEST(ResultsText, PolarViewsNameLongitudeAndLatitudeAndMissingValuesSaySo) {
    PlotOptions options;
    options.PlotType = 1;
    options.FileName = QStringLiteral("poles.plt");
    options.SeparatePolarities = true;
    options.ReversalTest = true;
    const QString text = TextOfPass(QStringLiteral("10 40\n20 50\n190 -45\n"), options, u'.');
    EXPECT_EQ(text,
              QStringLiteral("File: poles.plt\n"
                             "File type: 0 Generic: D [sp] I (lat/lon, dip/dip dir)\n"
                             "Plot type: 1 VGPs, N polar view\n"
                             "Data read: 3\n"
                             "Lines not read: 0\n"
                             "\n"
                             "Polarities\n"
                             "  normal:   n 2, Lon 14.56, Lat 45.11, R 1.9886, k 87.96, a95 26.95\n"
                             "  reversed: n 1, Lon 190.00, Lat -45.00, R 1.0000, k n/a, a95 n/a\n"
                             "  combined: n 3, Lon 13.03, Lat 45.09, R 2.9876, k 161.01, a95 9.75\n"
                             "\n"
                             "Reversal test (Watson's V_w; McFadden and McElhinny 1990)\n"
                             "  not available: a set has fewer than two data\n"
                             "\n"
                             "Plotted data\n"
                             "    line      Lon      Lat\n"
                             "       1    10.00    40.00\n"
                             "       2    20.00    50.00\n"
                             "       3   190.00   -45.00\n"));
}

} // namespace
