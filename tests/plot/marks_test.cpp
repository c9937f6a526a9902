#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "frame.h"
#include "marks.h"
#include "painter_canvas.h"
#include "plot_geometry.h"
#include "recording_canvas.h"

namespace {

using Line = RecordingCanvas::Line;
using MarkFunction = std::function<void(Canvas&, const PlotGeometry&, double, double, double)>;

struct MarkRow {
    const char* name;
    MarkFunction draw;
    std::vector<Line> lines; // at the centre of the example net
};

// Example net: Radius 214, centre (235, 274); MarkSize 13/856 is 3.25 pixels,
// which rounds to 3.
TEST(MarksTest, SegmentsInDrawingOrder) {
    const PlotGeometry g = ComputePlotGeometry(553, 529, 13, 8);
    const MarkRow rows[] = {
        {"square",
         DrawSquareMark,
         {{{238, 271}, {238, 277}},
          {{238, 277}, {232, 277}},
          {{232, 277}, {232, 271}},
          {{232, 271}, {238, 271}}}},
        {"diamond",
         DrawDiamondMark,
         {{{238, 274}, {235, 271}},
          {{235, 271}, {232, 274}},
          {{232, 274}, {235, 277}},
          {{235, 277}, {238, 274}}}},
        {"x", DrawXMark, {{{238, 271}, {232, 277}}, {{232, 271}, {238, 277}}}},
        {"plus", DrawPlusMark, {{{235, 271}, {235, 277}}, {{232, 274}, {238, 274}}}},
    };
    for (const MarkRow& r : rows) {
        SCOPED_TRACE(r.name);
        RecordingCanvas canvas;
        r.draw(canvas, g, 0.0, 0.0, g.MarkSize);
        EXPECT_EQ(canvas.Lines(), r.lines);
    }
}

TEST(MarksTest, CornersAreRoundedOneByOne) {
    // Radius 4 and s = 0.375 (1.5 pixels): at x = 0 the corners are at
    // rounded(+-1.5) = +-2, at x = 0.125 at rounded(2) = 2 and rounded(-1) = -1,
    // so the same mark is a pixel narrower there.
    PlotGeometry g;
    g.Radius = 4;
    g.CentreX = 100;
    g.CentreY = 100;
    struct Row {
        double x;
        int right;
        int left;
    };
    for (const Row& r : {Row{0.0, 102, 98}, Row{0.125, 102, 99}}) {
        SCOPED_TRACE(r.x);
        RecordingCanvas canvas;
        DrawSquareMark(canvas, g, r.x, 0.0, 0.375);
        const std::vector<Line> lines = canvas.Lines();
        ASSERT_EQ(lines.size(), 4u);
        EXPECT_EQ(lines[0].from.x(), r.right);
        EXPECT_EQ(lines[1].to.x(), r.left);
    }
}

TEST(MarksTest, UnitLineMapsBothEnds) {
    const PlotGeometry g = ComputePlotGeometry(553, 529, 13, 8);
    RecordingCanvas canvas;
    DrawUnitLine(canvas, g, -1.0, 1.0, 0.5, -0.5);
    EXPECT_EQ(canvas.Lines(), (std::vector<Line>{{{21, 60}, {342, 381}}}));
}

// A straight piece of the exact figure, in plot units.
struct Segment {
    QPointF from;
    QPointF to;

    double Distance(const QPointF& p) const {
        const QPointF d = to - from;
        const double length2 = QPointF::dotProduct(d, d);
        const double t =
            length2 > 0.0 ? std::clamp(QPointF::dotProduct(p - from, d) / length2, 0.0, 1.0) : 0.0;
        const QPointF q = from + t * d - p;
        return std::hypot(q.x(), q.y());
    }
};

// The net's straight strokes and its primitive circle as the vector canvas
// draws them at eight times the size: the marks, the cross, the ticks and a
// polyline are strokes between the exact, unrounded points, the primitive the
// exact circle of the net's radius; every inked pixel lies within 0.8 units
// of that figure and every point of it is inked.
TEST(MarksTest, TheVectorCanvasStrokesTheExactFigure) {
    constexpr int kScale = 8;
    const PlotGeometry g = ComputePlotGeometry(553, 529, 13, 8);
    const QSize units(553, 529);
    const auto at = [&](double x, double y) {
        return QPointF(g.CentreX + 0.5 + g.Radius * x, g.CentreY + 0.5 - g.Radius * y);
    };
    const double s = g.MarkSize;
    const double t = g.CrossSize;
    const NetPoint polyline[] = {{-0.6, -0.3}, {-0.45, -0.12}, {-0.3, -0.31}, {-0.2, -0.2}};
    std::vector<Segment> segments = {
        // Square at (0.3, 0.2), diamond at (-0.41, 0.137), X at (0.5, -0.5),
        // plus at (0.123, -0.321), as the marks draw them.
        {at(0.3 + s, 0.2 + s), at(0.3 + s, 0.2 - s)},
        {at(0.3 + s, 0.2 - s), at(0.3 - s, 0.2 - s)},
        {at(0.3 - s, 0.2 - s), at(0.3 - s, 0.2 + s)},
        {at(0.3 - s, 0.2 + s), at(0.3 + s, 0.2 + s)},
        {at(-0.41 + s, 0.137), at(-0.41, 0.137 + s)},
        {at(-0.41, 0.137 + s), at(-0.41 - s, 0.137)},
        {at(-0.41 - s, 0.137), at(-0.41, 0.137 - s)},
        {at(-0.41, 0.137 - s), at(-0.41 + s, 0.137)},
        {at(0.5 + s, -0.5 + s), at(0.5 - s, -0.5 - s)},
        {at(0.5 - s, -0.5 + s), at(0.5 + s, -0.5 - s)},
        {at(0.123, -0.321 + s), at(0.123, -0.321 - s)},
        {at(0.123 - s, -0.321), at(0.123 + s, -0.321)},
        // Cross and ticks.
        {at(-t, 0.0), at(t, 0.0)},
        {at(0.0, -t), at(0.0, t)},
        {at(-1.0, 0.0), at(t - 1.0, 0.0)},
        {at(1.0, 0.0), at(1.0 - t, 0.0)},
        {at(0.0, -1.0), at(0.0, t - 1.0)},
        {at(0.0, 1.0), at(0.0, 1.0 - t)},
    };
    for (std::size_t i = 1; i < std::size(polyline); ++i) {
        segments.push_back(
            {at(polyline[i - 1].x, polyline[i - 1].y), at(polyline[i].x, polyline[i].y)});
    }
    const QPointF centre = at(0.0, 0.0);

    QImage image(units * kScale, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(kScale, kScale);
        PainterCanvas canvas(painter, units);
        // The primitive circle as the frame draws it, filled with the brush
        // before the rest.
        const int r = g.Radius;
        canvas.Ellipse(g.CentreX - r, g.CentreY - r, g.CentreX + r + 1, g.CentreY + r + 1);
        DrawSquareMark(canvas, g, 0.3, 0.2, s);
        DrawDiamondMark(canvas, g, -0.41, 0.137, s);
        DrawXMark(canvas, g, 0.5, -0.5, s);
        DrawPlusMark(canvas, g, 0.123, -0.321, s);
        DrawCentreCross(canvas, g);
        DrawTicks(canvas, g);
        canvas.NetPolyline(g, polyline, static_cast<int>(std::size(polyline)));
    }
    const auto distance = [&](const QPointF& p) {
        double best = std::fabs(std::hypot(p.x() - centre.x(), p.y() - centre.y()) - g.Radius);
        for (const Segment& segment : segments) {
            best = std::min(best, segment.Distance(p));
        }
        return best;
    };
    int stray = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(row[x]) < 128) {
                stray += distance(QPointF((x + 0.5) / kScale, (y + 0.5) / kScale)) <= 0.8 ? 0 : 1;
            }
        }
    }
    EXPECT_EQ(stray, 0);
    const auto inked = [&](const QPointF& p) {
        return qGray(image.pixel(static_cast<int>(p.x() * kScale),
                                 static_cast<int>(p.y() * kScale))) < 128;
    };
    int uncovered = 0;
    for (const Segment& segment : segments) {
        for (int k = 0; k <= 100; ++k) {
            uncovered += inked(segment.from + (segment.to - segment.from) * (k / 100.0)) ? 0 : 1;
        }
    }
    for (int k = 0; k < 3600; ++k) {
        const double a = k * 3.14159265358979323846 / 1800.0;
        uncovered += inked(centre + g.Radius * QPointF(std::cos(a), std::sin(a))) ? 0 : 1;
    }
    EXPECT_EQ(uncovered, 0);
}

} // namespace
