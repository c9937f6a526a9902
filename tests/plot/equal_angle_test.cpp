// The plot pass in the equal-angle (stereographic, Wulff) net. A direction at
// angle t from the centre lies at radius tan(t/2) of the net (Snyder 1987,
// chapter 21, scale factor 1/2), and a small circle of the sphere projects to a
// circle whose diameter along its axis's azimuth runs between the images of
// its nearest and farthest points: the expectations below come from those two
// facts alone.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "angles.h"
#include "circle_path.h"
#include "line_view.h"
#include "plot_pass.h"
#include "qstring_printer.h"
#include "recording_canvas.h"
#include "test_plot_inputs.h"

namespace {

constexpr std::size_t kFrameLines = 6; // centre cross and ticks

PlotReport Draw(RecordingCanvas& canvas, const QString& text, PlotOptions options,
                bool pointByPoint = false) {
    const LineView lines(text);
    PlotInputs inputs = TestPlotInputs(lines, std::move(options));
    inputs.PointByPointCircles = pointByPoint;
    PlotReport report;
    DrawPlot(canvas, inputs, report);
    return report;
}

double Hypot(double x, double y) {
    return std::sqrt(x * x + y * y);
}

TEST(EqualAnglePass, MarksLieAtTheStereographicRadius) {
    struct Row {
        double inc;
        double radius; // tan((90 - inc) / 2), in net radii
    };
    const Row rows[] = {{0.0, 1.0}, {45.0, std::sqrt(2.0) - 1.0}, {90.0, 0.0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.inc);
        PlotOptions options;
        options.NetProjection = Projection::EqualAngle;
        RecordingCanvas canvas;
        const PlotReport report =
            Draw(canvas, QStringLiteral("30 %1\n").arg(row.inc, 0, 'f', 1), options);
        const std::vector<RecordingCanvas::Line> lines = canvas.Lines();
        ASSERT_GT(lines.size(), kFrameLines);
        // The mark is symmetric about its point: the middle of its extent.
        int left = 1 << 20, right = -(1 << 20), top = 1 << 20, bottom = -(1 << 20);
        for (std::size_t i = kFrameLines; i < lines.size(); ++i) {
            for (const QPoint& p : {lines[i].from, lines[i].to}) {
                left = std::min(left, p.x());
                right = std::max(right, p.x());
                top = std::min(top, p.y());
                bottom = std::max(bottom, p.y());
            }
        }
        const PlotGeometry& g = report.Geometry;
        const double x = (left + right) / 2.0 - g.CentreX;
        const double y = g.CentreY - (top + bottom) / 2.0;
        EXPECT_NEAR(Hypot(x, y), row.radius * g.Radius, 1.0);
        if (row.inc < 90.0) {
            EXPECT_NEAR(std::atan2(x, y) / kDegToRad, 30.0, 1.0);
        }
    }
}

// Circles about (dec, inc) of radius rho that stay in the lower hemisphere:
// the projected circle's centre and radius in net radii, along azimuth dec.
struct ProjectedCircle {
    Projection net;
    double dec, inc, rho;
    double centre, radius;
};

ProjectedCircle Stereographic(double dec, double inc, double rho) {
    const double nearest = std::tan((90.0 - inc - rho) * kDegToRad / 2.0);
    const double farthest = std::tan((90.0 - inc + rho) * kDegToRad / 2.0);
    const double centre = (nearest + farthest) / 2.0;
    return {Projection::EqualAngle, dec, inc, rho, centre, farthest - centre};
}

double OffCircle(const ProjectedCircle& c, double x, double y) {
    const double cx = c.centre * std::sin(c.dec * kDegToRad);
    const double cy = c.centre * std::cos(c.dec * kDegToRad);
    return Hypot(x - cx, y - cy) - c.radius;
}

// The equal-area net keeps its own circle about the centre, of radius
// sqrt(2) sin(rho / 2).
const ProjectedCircle kCircles[] = {
    Stereographic(0.0, 90.0, 30.0),
    Stereographic(0.0, 45.0, 20.0),
    Stereographic(120.0, 60.0, 10.0),
    {Projection::EqualArea, 0.0, 90.0, 30.0, 0.0, std::sqrt(2.0) * std::sin(15.0 * kDegToRad)},
};

// Site means with their a95 (file type 1), confidence circles on: every dot
// of the fast raster loop and of the point-by-point formulas lies on the
// projected image, in a pixel's reach.
TEST(EqualAnglePass, ConfidenceCirclesLieOnTheirProjectedImage) {
    for (const bool pointByPoint : {false, true}) {
        for (const ProjectedCircle& c : kCircles) {
            SCOPED_TRACE(testing::Message() << c.dec << " " << c.inc << " " << c.rho << " "
                                            << (pointByPoint ? "point by point" : "fast"));
            PlotOptions options;
            options.FileType = 1;
            options.ErrorCircles = ErrorCircleMode::Circles;
            options.NetProjection = c.net;
            RecordingCanvas canvas;
            const PlotReport report =
                Draw(canvas, QStringLiteral("%1 %2 %3\n").arg(c.dec).arg(c.inc).arg(c.rho), options,
                     pointByPoint);
            const PlotGeometry& g = report.Geometry;
            const std::vector<QPoint> pixels = canvas.Pixels();
            ASSERT_EQ(pixels.size(), 360u);
            for (const QPoint& p : pixels) {
                const double x = (p.x() - g.CentreX) / double(g.Radius);
                const double y = (g.CentreY - p.y()) / double(g.Radius);
                ASSERT_LE(std::fabs(OffCircle(c, x, y)) * g.Radius, 0.75) << p.x() << "," << p.y();
            }
        }
    }
}

// The smooth curves of the vector canvases follow the same image.
TEST(EqualAnglePass, CurvePiecesLieOnTheProjectedImage) {
    const PlotGeometry g = ComputePlotGeometry(553, 529, 13, 8);
    for (const ProjectedCircle& c : kCircles) {
        SCOPED_TRACE(testing::Message() << c.dec << " " << c.inc << " " << c.rho);
        const std::vector<CurveRun> runs = CircleCurveRuns(g, 0, c.dec, c.inc, c.rho, false, c.net);
        ASSERT_EQ(runs.size(), 1u);
        ASSERT_FALSE(runs[0].Pieces.empty());
        NetPoint start = runs[0].Start;
        for (const NetCubic& piece : runs[0].Pieces) {
            for (const double s : {0.0, 0.3, 0.5, 0.8}) {
                const NetPoint p = PointOnCubic(start, piece, s);
                ASSERT_LE(std::fabs(OffCircle(c, p.x, p.y)) * g.Radius, kCurveTolerance);
            }
            start = piece.End;
        }
    }
}

TEST(EqualAnglePass, ModeLineNamesTheNet) {
    struct Row {
        Projection projection;
        bool tilt;
        const char* expected;
    };
    const Row rows[] = {
        {Projection::EqualArea, false, "     Equal area, Local coords, Open=upper hemi"},
        {Projection::EqualAngle, false, "     Equal angle, Local coords, Open=upper hemi"},
        {Projection::EqualAngle, true, "     Equal angle, Tilt corrected, Open=upper hemi"},
    };
    for (const Row& row : rows) {
        PlotOptions options;
        options.NetProjection = row.projection;
        if (row.tilt) {
            options.Bedding = BeddingSource::OneForAll;
            options.BeddingDip = 20.0;
        }
        RecordingCanvas canvas;
        Draw(canvas, QString(), options);
        ASSERT_GE(canvas.Texts().size(), 2u);
        EXPECT_EQ(canvas.Texts()[1].text, QString::fromLatin1(row.expected));
    }
}

} // namespace
