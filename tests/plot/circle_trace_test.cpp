#include <gtest/gtest.h>

#include <random>

#include "circle_trace.h"
#include "net_reading.h"
#include "plot_geometry.h"
#include "plot_pass.h"
#include "recording_canvas.h"

namespace {

struct Circle {
    double dec;
    double inc;
    double rho;
    bool lowerOnly;
    int plotType;
};

void ExpectSamePixels(const PlotGeometry& g, const Circle& c) {
    CirclePixelList fast{};
    CirclePixelList direct{};
    const int n = CirclePixels(g, c.plotType, c.dec, c.inc, c.rho, c.lowerOnly, fast);
    const int m = CirclePixelsDirect(g, c.plotType, c.dec, c.inc, c.rho, c.lowerOnly, direct);
    ASSERT_EQ(n, m) << c.dec << " " << c.inc << " " << c.rho << " " << c.lowerOnly;
    for (int i = 0; i < n; ++i) {
        ASSERT_EQ(fast[static_cast<std::size_t>(i)], direct[static_cast<std::size_t>(i)])
            << "point " << i << " of " << c.dec << " " << c.inc << " " << c.rho;
    }
}

// The fast path projects straight from the rotated vectors; it must set the
// very pixels the point-by-point formulas give.
TEST(CircleTraceTest, FastPathMatchesTheDirectFormulasOnRandomCircles) {
    std::mt19937_64 random(20261208);
    std::uniform_real_distribution<double> dec(0.0, 360.0);
    std::uniform_real_distribution<double> inc(-90.0, 90.0);
    std::uniform_real_distribution<double> wideInc(-200.0, 360.0);
    std::uniform_real_distribution<double> rho(-30.0, 200.0);
    std::uniform_int_distribution<int> type(0, 2);
    std::bernoulli_distribution flag(0.5);
    const PlotGeometry normal = ComputePlotGeometry(553, 529, 13, 8);
    const PlotGeometry large = ComputePlotGeometry(4000, 4000, 13, 8);
    for (int i = 0; i < 3000; ++i) {
        const Circle c{dec(random), i % 5 == 0 ? wideInc(random) : inc(random), rho(random),
                       flag(random), type(random)};
        ExpectSamePixels(i % 2 == 0 ? normal : large, c);
        if (HasFatalFailure()) {
            return;
        }
    }
}

TEST(CircleTraceTest, FastPathMatchesOnWholeDegreeCircles) {
    // Whole degrees put points exactly on the horizon and on the axes, where
    // the hemisphere test and halfway pixels are decided on the last bits.
    const PlotGeometry g = ComputePlotGeometry(553, 529, 13, 8);
    for (int dec = 0; dec < 360; dec += 15) {
        for (int inc : {-90, -45, 0, 30, 90, 120, 200}) {
            for (double rho : {0.0, 10.0, 90.0, 170.0, 180.0}) {
                for (bool lowerOnly : {false, true}) {
                    for (int type : {0, 1, 2}) {
                        ExpectSamePixels(g, {double(dec), double(inc), rho, lowerOnly, type});
                        if (HasFatalFailure()) {
                            return;
                        }
                    }
                }
            }
        }
    }
}

TEST(CircleTraceTest, TraceCircleSetsTheListedPixelsInOrder) {
    const PlotGeometry g = ComputePlotGeometry(553, 529, 13, 8);
    RecordingCanvas canvas;
    TraceCircle(canvas, g, 0, 120.0, 30.0, 90.0, true);
    CirclePixelList expected{};
    const int n = CirclePixelsDirect(g, 0, 120.0, 30.0, 90.0, true, expected);
    const std::vector<QPoint> pixels = canvas.Pixels();
    ASSERT_EQ(static_cast<int>(pixels.size()), n);
    // Half of this great circle lies in the upper hemisphere.
    EXPECT_GT(n, 170);
    EXPECT_LT(n, 190);
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(pixels[static_cast<std::size_t>(i)], expected[static_cast<std::size_t>(i)]);
    }
    for (const RecordingCanvas::Op& op : canvas.ops) {
        EXPECT_EQ(op.color, QColor(Qt::black));
    }
}

TEST(CircleTraceTest, DotsLieAtTheRadiusFromTheAxis) {
    // Radius 10 about (0, 45): the dots, read back from their pixels, are
    // 10 degrees from the axis to within the size of a pixel (about 0.4 degrees).
    const PlotGeometry g = ComputePlotGeometry(553, 529, 13, 8);
    RecordingCanvas canvas;
    TraceCircle(canvas, g, 0, 0.0, 45.0, 10.0, false);
    const std::vector<QPoint> pixels = canvas.Pixels();
    ASSERT_EQ(pixels.size(), 360u);
    for (const QPoint& p : pixels) {
        EXPECT_NEAR(AngleBetween(DirectionOfPixel(g, p), {0.0, 45.0}), 10.0, 0.6);
    }
    // Successive dots are a degree apart about the axis: never more than a
    // couple of pixels apart on a circle this small.
    for (std::size_t i = 1; i < pixels.size(); ++i) {
        EXPECT_LE((pixels[i] - pixels[i - 1]).manhattanLength(), 3);
    }
}

TEST(CircleTraceTest, RadiusZeroCollapsesOntoTheAxis) {
    const PlotGeometry g = ComputePlotGeometry(553, 529, 13, 8);
    RecordingCanvas canvas;
    TraceCircle(canvas, g, 0, 10.0, 0.0, 0.0, false);
    const std::vector<QPoint> pixels = canvas.Pixels();
    ASSERT_EQ(pixels.size(), 360u);
    for (const QPoint& p : pixels) {
        EXPECT_EQ(p, QPoint(272, 63)); // dec 10, inc 0
    }
}

} // namespace
