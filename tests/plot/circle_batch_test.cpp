#include <gtest/gtest.h>

#include <QImage>
#include <QString>

#include <random>
#include <utility>
#include <vector>

#include "circle_batch.h"
#include "floating_point_fault.h"
#include "line_view.h"
#include "plot_geometry.h"
#include "plot_pass.h"
#include "raster_canvas.h"
#include "test_plot_inputs.h"

namespace {

struct Case {
    const char* name;
    QString text;
    int fileType;
    int errorCircleMode;
    bool expectFault;
    int plotTypes = 3; // 0 .. plotTypes - 1
    bool fisher = true;
};

// Lines "dec inc a95" over both hemispheres; negative radii and radii past 90
// included, as a file may hold them.
QString SiteMeans(int count, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> dec(0.0, 360.0);
    std::uniform_real_distribution<double> inc(-90.0, 90.0);
    std::uniform_real_distribution<double> a95(-20.0, 120.0);
    QString text;
    for (int i = 0; i < count; ++i) {
        text += QStringLiteral("%1 %2 %3\n")
                    .arg(dec(random), 0, 'f', 2)
                    .arg(inc(random), 0, 'f', 2)
                    .arg(a95(random), 0, 'f', 2);
    }
    return text;
}

struct Drawn {
    QImage image;
    bool faulted = false;
};

Drawn Draw(const Case& c, int plotType, bool pointByPoint) {
    Drawn drawn;
    drawn.image = QImage(553, 529, QImage::Format_RGB32);
    const LineView lines(c.text);
    PlotOptions options;
    options.FileType = c.fileType;
    options.PlotType = plotType;
    options.ErrorCircles = static_cast<ErrorCircleMode>(c.errorCircleMode);
    options.FisherMean = c.fisher;
    options.GreatCircleFit = true;
    options.Title = QStringLiteral("T");
    PlotInputs in = TestPlotInputs(lines, options);
    in.PointByPointCircles = pointByPoint;
    RasterCanvas canvas(drawn.image);
    PlotReport report;
    RunPlotPass(canvas, in, report);
    drawn.faulted = !report.Fault.isEmpty();
    return drawn;
}

// The fast pass keeps the data loop's circles and draws them together on all
// cores; the raster must be, pixel for pixel, the one a pass drawing every
// circle point by point through the formulas leaves, also when a statistic
// faults after the data loop.
TEST(CircleBatchTest, FastPassLeavesThePointByPointRaster) {
    QString axes;
    for (int i = 0; i < 100; ++i) {
        // Six directions along the axes: three equal eigenvalues fault the fit.
        axes += QStringLiteral("0 0 %1\n180 0 %1\n90 0 %1\n270 0 %1\n0 90 %1\n0 -90 %1\n")
                    .arg(5 + i % 20);
    }
    const Case cases[] = {
        {"a few site means, no batch", SiteMeans(5, 1), 1, 0, false},
        {"site means with circles", SiteMeans(1500, 2), 1, 0, false},
        {"more circles than one batch holds", SiteMeans(17000, 3), 1, 0, false, 1},
        {"planes of directions", SiteMeans(1000, 4), 0, 2, false},
        // Each set's marks and circles in its colour, the later set on top.
        {"eight sets in their colours",
         QStringLiteral("#a\n") + SiteMeans(400, 5) + QStringLiteral("#b\n") + SiteMeans(400, 6) +
             QStringLiteral("#c\n") + SiteMeans(300, 7) + QStringLiteral("#d\n#e\n#f\n#g\n#h\n") +
             SiteMeans(300, 8),
         1, 0, false, 1},
        {"circles then a fault in the fit", axes, 1, 0, true},
        // No Fisher circle in between: the fault follows the data loop at once.
        {"circles then at once a fault", axes, 1, 0, true, 1, false},
    };
    for (const Case& c : cases) {
        for (int plotType = 0; plotType < c.plotTypes; ++plotType) {
            SCOPED_TRACE(testing::Message() << c.name << ", plot type " << plotType);
            const Drawn fast = Draw(c, plotType, false);
            const Drawn reference = Draw(c, plotType, true);
            EXPECT_EQ(fast.faulted, c.expectFault);
            EXPECT_EQ(reference.faulted, c.expectFault);
            int differing = 0;
            for (int y = 0; y < fast.image.height(); ++y) {
                for (int x = 0; x < fast.image.width(); ++x) {
                    differing += fast.image.pixel(x, y) != reference.image.pixel(x, y) ? 1 : 0;
                }
            }
            EXPECT_EQ(differing, 0);
        }
    }
}

// The threaded batch keeps the ink each circle was added in: with red, black
// and red again, every pixel is the one the circles leave when traced one
// by one in the same order, and both colours show.
TEST(CircleBatchTest, EachCircleKeepsItsInk) {
    const PlotGeometry g = ComputePlotGeometry(553, 529, 13, 8);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> angle(0.0, 360.0);
    std::uniform_real_distribution<double> inc(-90.0, 90.0);
    std::uniform_real_distribution<double> rho(1.0, 40.0);
    struct Added {
        double dec, inc, rho;
        QColor ink;
    };
    std::vector<Added> circles;
    // Enough of each colour that helper threads draw them.
    for (const auto& [count, ink] :
         {std::pair{600, QColor(Qt::red)}, std::pair{600, QColor(Qt::black)},
          std::pair{40, QColor(Qt::red)}}) {
        for (int i = 0; i < count; ++i) {
            circles.push_back({angle(random), inc(random), rho(random), ink});
        }
    }
    QImage batched(553, 529, QImage::Format_RGB32);
    batched.fill(Qt::white);
    QImage traced = batched.copy();
    {
        RasterCanvas canvas(batched);
        CircleBatch batch(canvas, g, 0, false);
        for (const Added& c : circles) {
            canvas.SetInkColor(c.ink);
            batch.Add(c.dec, c.inc, c.rho, false);
        }
        batch.Flush();
    }
    RasterCanvas canvas(traced);
    for (const Added& c : circles) {
        canvas.SetInkColor(c.ink);
        TraceCircle(canvas, g, 0, c.dec, c.inc, c.rho, false);
    }
    int differing = 0;
    int red = 0;
    int black = 0;
    for (int y = 0; y < traced.height(); ++y) {
        for (int x = 0; x < traced.width(); ++x) {
            differing += batched.pixel(x, y) != traced.pixel(x, y) ? 1 : 0;
            red += traced.pixel(x, y) == qRgb(255, 0, 0) ? 1 : 0;
            black += traced.pixel(x, y) == qRgb(0, 0, 0) ? 1 : 0;
        }
    }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(red, 1000);
    EXPECT_GT(black, 1000);
}

} // namespace
