#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <thread>
#include <vector>

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
    Projection net = Projection::EqualArea;
};

void ExpectSamePixels(const PlotGeometry& g, const Circle& c) {
    CirclePixelList fast{};
    CirclePixelList direct{};
    const int n = CirclePixels(g, c.plotType, c.dec, c.inc, c.rho, c.lowerOnly, fast, c.net);
    const int m =
        CirclePixelsDirect(g, c.plotType, c.dec, c.inc, c.rho, c.lowerOnly, direct, c.net);
    ASSERT_EQ(n, m) << c.dec << " " << c.inc << " " << c.rho << " " << c.lowerOnly;
    for (int i = 0; i < n; ++i) {
        ASSERT_EQ(fast[static_cast<std::size_t>(i)], direct[static_cast<std::size_t>(i)])
            << "point " << i << " of " << c.dec << " " << c.inc << " " << c.rho;
    }
}

// The i-th test circle, from a hash of i so that threads can make their own.
// Eight families: any axis and radius; inclinations beyond +-90; radii 0, 90
// and 170; circles touching the primitive circle (radius = |inclination|) and
// crossing it; whole degrees. Each with either hemisphere setting, any plot
// type, and the window's net or one eight times larger.
struct NumberedCircle {
    Circle circle;
    bool large;
};

NumberedCircle CircleNumber(std::uint64_t i) {
    std::uint64_t state = i * 0x9E3779B97F4A7C15ull + 20261208;
    auto next = [&state] {
        // splitmix64
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    };
    auto uniform = [&next](double lo, double hi) {
        return lo + (hi - lo) * static_cast<double>(next() >> 11) * 0x1.0p-53;
    };
    Circle c{uniform(0.0, 360.0), uniform(-90.0, 90.0), uniform(-30.0, 200.0), false, 0};
    switch (i % 8) {
    case 1:
        c.inc = uniform(-200.0, 360.0);
        break;
    case 2:
        c.rho = 0.0;
        break;
    case 3:
        c.rho = 90.0;
        break;
    case 4:
        c.rho = 170.0;
        break;
    case 5:
        c.rho = std::fabs(c.inc);
        break;
    case 6:
        c.rho = uniform(std::fabs(c.inc), 180.0 - std::fabs(c.inc));
        break;
    case 7:
        c.dec = static_cast<double>(next() % 360);
        c.inc = static_cast<double>(next() % 181) - 90.0;
        c.rho = static_cast<double>(next() % 181);
        break;
    default:
        break;
    }
    const std::uint64_t bits = next();
    c.lowerOnly = (bits & 1) != 0;
    c.plotType = static_cast<int>((bits >> 1) % 3);
    return {c, ((bits >> 8) & 1) != 0};
}

// The fast path projects straight from the rotated vectors, many points at
// once; it must set the very pixels the point-by-point formulas give, on
// every one of 100,000 circles. The circles are shared out over the cores.
TEST(CircleTraceTest, FastPathMatchesTheDirectFormulasOn100000Circles) {
    constexpr std::uint64_t kCircles = 100000;
    const PlotGeometry normal = ComputePlotGeometry(553, 529, 13, 8);
    const PlotGeometry large = ComputePlotGeometry(4000, 4000, 13, 8);
    const std::uint64_t threads = std::max(1u, std::thread::hardware_concurrency());
    // The first circle of each share whose pixels differ, or kCircles.
    std::vector<std::uint64_t> firstBad(threads, kCircles);
    std::vector<std::uint64_t> drawn(threads, 0);
    std::vector<std::thread> workers;
    for (std::uint64_t t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            for (std::uint64_t i = t; i < kCircles; i += threads) {
                const NumberedCircle n = CircleNumber(i);
                const Circle& c = n.circle;
                const PlotGeometry& g = n.large ? large : normal;
                CirclePixelList fast{};
                CirclePixelList direct{};
                const int count =
                    CirclePixels(g, c.plotType, c.dec, c.inc, c.rho, c.lowerOnly, fast);
                const int expected =
                    CirclePixelsDirect(g, c.plotType, c.dec, c.inc, c.rho, c.lowerOnly, direct);
                drawn[t] += static_cast<std::uint64_t>(expected);
                if (count != expected ||
                    !std::equal(fast.begin(), fast.begin() + count, direct.begin())) {
                    firstBad[t] = i;
                    return;
                }
            }
        });
    }
    for (std::thread& w : workers) {
        w.join();
    }
    for (std::uint64_t t = 0; t < threads; ++t) {
        if (firstBad[t] < kCircles) {
            const NumberedCircle n = CircleNumber(firstBad[t]);
            ExpectSamePixels(n.large ? large : normal, n.circle);
            ADD_FAILURE() << "circle " << firstBad[t] << " differs";
        }
    }
    // The hemisphere filter really dropped points: about a quarter of them.
    const std::uint64_t total = std::accumulate(drawn.begin(), drawn.end(), std::uint64_t{0});
    EXPECT_LT(total, kCircles * 360 * 9 / 10);
    EXPECT_GT(total, kCircles * 360 * 6 / 10);
}

TEST(CircleTraceTest, FastPathMatchesOnWholeDegreeCircles) {
    // Whole degrees put points exactly on the horizon and on the axes, where
    // the hemisphere test and halfway pixels are decided on the last bits;
    // in either net.
    const PlotGeometry g = ComputePlotGeometry(553, 529, 13, 8);
    for (int dec = 0; dec < 360; dec += 15) {
        for (int inc : {-90, -45, 0, 30, 90, 120, 200}) {
            for (double rho : {0.0, 10.0, 90.0, 170.0, 180.0}) {
                for (bool lowerOnly : {false, true}) {
                    for (int type : {0, 1, 2}) {
                        for (const Projection net :
                             {Projection::EqualArea, Projection::EqualAngle}) {
                            ExpectSamePixels(g,
                                             {double(dec), double(inc), rho, lowerOnly, type, net});
                            if (HasFatalFailure()) {
                                return;
                            }
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
