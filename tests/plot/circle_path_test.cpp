#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <vector>

#include "circle_path.h"
#include "equal_area.h"
#include "painter_canvas.h"
#include "plot_geometry.h"
#include "plot_pass.h"
#include "small_circle.h"

namespace {

constexpr int kScale = 8;
// How far the ink of a drawn circle may reach from the exact curve, in plot
// units (raster pixels).
constexpr double kReach = 0.8;

struct Circle {
    const char* name;
    double dec;
    double inc;
    double rho;
    bool lowerOnly;
    int plotType = 0;
};

struct Point {
    double x;
    double y;
};

// The exact curve by its definition, densely: point t of the circle through
// SmallCirclePoint, without the points of negative inclination when asked,
// projected and placed in plot units, where pixel (x, y) is the square from
// (x, y) and the pixel UnitToPixelX/Y name for a net point holds it.
std::vector<Point> ExactCurve(const PlotGeometry& g, const Circle& c) {
    std::vector<Point> points;
    constexpr int kSteps = 360 * 500;
    for (int k = 0; k < kSteps; ++k) {
        const IncDec d =
            SmallCirclePoint(90.0 - c.rho, k * 360.0 / kSteps, c.dec - 90.0, 90.0 - c.inc);
        if (c.lowerOnly && d.Inc < 0.0) {
            continue;
        }
        const NetPoint n = ProjectEqualArea(d.Dec, d.Inc, c.plotType);
        points.push_back({g.CentreX + 0.5 + g.Radius * n.x, g.CentreY + 0.5 - g.Radius * n.y});
    }
    return points;
}

// Points sorted into cells of one unit, for nearest-point questions.
class PointGrid {
public:
    PointGrid(const std::vector<Point>& points, int width, int height)
        : width_(width), height_(height), cells_(static_cast<std::size_t>(width * height)) {
        for (const Point& p : points) {
            cells_[Index(static_cast<int>(p.x), static_cast<int>(p.y))].push_back(p);
        }
    }
    // Whether a point lies within reach of (x, y); reach below one unit.
    bool Near(double x, double y, double reach) const {
        const int cx = static_cast<int>(std::floor(x));
        const int cy = static_cast<int>(std::floor(y));
        for (int j = cy - 1; j <= cy + 1; ++j) {
            for (int i = cx - 1; i <= cx + 1; ++i) {
                if (i < 0 || j < 0 || i >= width_ || j >= height_) {
                    continue;
                }
                for (const Point& p : cells_[Index(i, j)]) {
                    if (std::hypot(p.x - x, p.y - y) <= reach) {
                        return true;
                    }
                }
            }
        }
        return false;
    }

private:
    std::size_t Index(int i, int j) const {
        return static_cast<std::size_t>(std::clamp(j, 0, height_ - 1) * width_ +
                                        std::clamp(i, 0, width_ - 1));
    }
    int width_;
    int height_;
    std::vector<std::vector<Point>> cells_;
};

bool IsInk(QRgb p) {
    return qGray(p) < 128;
}

// Each circle the plot draws, as the vector canvas draws it at eight times
// the size (a PNG of scale 8), against its exact projected curve: every
// inked pixel lies within 0.8 units of the curve, and every point of the
// curve is inked. The circles cross the primitive circle, where a full circle
// turns a corner and a lower half ends, and reach the projection's centre.
TEST(CirclePathTest, InkStaysNearTheExactCurveAndCoversAllOfIt) {
    const PlotGeometry g = ComputePlotGeometry(553, 529, 13, 8);
    const QSize units(553, 529);
    const Circle circles[] = {
        {"small circle", 30.0, 50.0, 12.0, false},
        {"plane across the primitive", 120.0, 30.0, 90.0, true},
        {"great circle of a steep pole", 300.0, 75.0, 90.0, true},
        {"great circle folded at the primitive", 200.0, 20.0, 90.0, false},
        {"a95 circle crossing the primitive", 10.0, 8.0, 20.0, false},
        {"lower half of a crossing circle", 250.0, -5.0, 15.0, true},
        {"circle through the centre, north polar view", 60.0, 70.0, 25.0, false, 1},
        {"radius past 90 degrees", 90.0, 40.0, 160.0, false, 2},
        {"horizon itself", 0.0, 90.0, 90.0, true},
        {"a point", 45.0, 45.0, 0.0, false},
    };
    for (const Circle& c : circles) {
        SCOPED_TRACE(c.name);
        QImage image(units * kScale, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.scale(kScale, kScale);
            PainterCanvas canvas(painter, units);
            TraceCircle(canvas, g, c.plotType, c.dec, c.inc, c.rho, c.lowerOnly);
        }
        const std::vector<Point> exact = ExactCurve(g, c);
        ASSERT_FALSE(exact.empty());
        const PointGrid grid(exact, units.width(), units.height());
        int stray = 0;
        int inked = 0;
        for (int y = 0; y < image.height(); ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                if (!IsInk(row[x])) {
                    continue;
                }
                ++inked;
                stray += grid.Near((x + 0.5) / kScale, (y + 0.5) / kScale, kReach) ? 0 : 1;
            }
        }
        int uncovered = 0;
        for (const Point& p : exact) {
            const int x = static_cast<int>(p.x * kScale);
            const int y = static_cast<int>(p.y * kScale);
            uncovered += image.valid(x, y) && IsInk(image.pixel(x, y)) ? 0 : 1;
        }
        EXPECT_GT(inked, 0);
        EXPECT_EQ(stray, 0);
        EXPECT_EQ(uncovered, 0);
    }
}

// A value that is not finite puts the raster's dots far outside the picture;
// the curve has no run at all, rather than points that are not numbers.
TEST(CirclePathTest, ACircleOfValuesThatAreNotFiniteHasNoRun) {
    const PlotGeometry g = ComputePlotGeometry(553, 529, 13, 8);
    const double nan = std::nan("");
    const double inf = HUGE_VAL;
    for (const auto& [dec, inc, rho] :
         {std::tuple{nan, 10.0, 5.0}, std::tuple{10.0, inf, 5.0}, std::tuple{10.0, 10.0, nan}}) {
        EXPECT_TRUE(CircleCurveRuns(g, 0, dec, inc, rho, false).empty());
    }
}

} // namespace
