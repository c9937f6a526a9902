#include "painter_canvas.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "plot_geometry.h"
#include "raster_canvas.h"

namespace {

const QColor kText(0, 0, 0);

// Line widths for print, in units of 1/96 inch at the figure's own size: the
// net's circles, marks, cross and ticks 0.75 point, the primitive circle
// 1 point; a pen width above 1 multiplies them.
constexpr double kNetWidth = 1.0;
constexpr double kEllipseWidth = 4.0 / 3.0;
// Exact points are written to 1/100 of a unit, as the SVG device writes
// every coordinate: under a tenth of a pixel in the PNG of scale 8, and the
// digits a PDF then carries compress well.
constexpr double kPointsPerUnit = 100.0;

// The raster canvas draws text without antialiasing; here the same face and
// size may be smoothed, which only vector-to-raster output (a scaled PNG)
// shows.
QFont Smooth(QFont font) {
    font.setStyleStrategy(QFont::PreferDefault);
    return font;
}

QPen InkPen(const QColor& ink, double width, Qt::PenCapStyle cap,
            Qt::PenJoinStyle join = Qt::MiterJoin) {
    return QPen(ink, width, Qt::SolidLine, cap, join);
}

// Puts the corners of a rectangle in order; false when it is empty.
bool Ordered(int& left, int& top, int& right, int& bottom) {
    if (right < left) {
        std::swap(left, right);
    }
    if (bottom < top) {
        std::swap(top, bottom);
    }
    return right != left && bottom != top;
}

} // namespace

PainterCanvas::PainterCanvas(QPainter& painter, QSize units, bool fixedPitch)
    : painter_(painter), units_(units), fixedPitch_(fixedPitch) {
    UseFont(fixedPitch ? RasterCanvas::FixedPitchFont() : RasterCanvas::DefaultFont());
    // Within any clip the caller set, such as a printed page's picture.
    painter_.setClipRect(QRect(QPoint(0, 0), units_), Qt::IntersectClip);
}

void PainterCanvas::UseFont(const QFont& metricsFont) {
    metricsFont_ = metricsFont;
    drawFont_ = Smooth(metricsFont);
}

int PainterCanvas::Width() const {
    return units_.width();
}

int PainterCanvas::Height() const {
    return units_.height();
}

void PainterCanvas::SetBrushColor(const QColor& color) {
    brush_ = color.toRgb();
    brush_.setAlpha(255);
}

void PainterCanvas::SetPenWidth(int width) {
    penWidth_ = std::max(1, width);
}

void PainterCanvas::SetInkColor(const QColor& color) {
    ink_ = color.toRgb();
    ink_.setAlpha(255);
}

QColor PainterCanvas::InkColor() const {
    return ink_;
}

void PainterCanvas::RequestFixedPitch() {
    if (!fixedPitch_) {
        UseFont(RasterCanvas::FixedPitchFont());
        fixedPitch_ = true;
    }
}

// The fill is cut to the picture and only the edges inside it are stroked,
// so the clearing rectangle, which reaches past the image, leaves no lines
// outside the picture in a vector file.
void PainterCanvas::Rectangle(int left, int top, int right, int bottom) {
    if (!Ordered(left, top, right, bottom)) {
        return;
    }
    const double l = left;
    const double t = top;
    const double r = right;
    const double b = bottom;
    const double w = units_.width();
    const double h = units_.height();
    const QRectF visible = QRectF(l, t, r - l, b - t) & QRectF(0.0, 0.0, w, h);
    if (visible.isEmpty()) {
        return;
    }
    painter_.fillRect(visible, brush_);
    const double x0 = std::max(l, 0.0);
    const double x1 = std::min(r, w);
    const double y0 = std::max(t, 0.0);
    const double y1 = std::min(b, h);
    QPainterPath outline;
    auto edge = [&](bool inside, QPointF from, QPointF to) {
        if (inside) {
            outline.moveTo(from);
            outline.lineTo(to);
        }
    };
    edge(t >= 0.0 && t < h, {x0, t + 0.5}, {x1, t + 0.5});
    edge(b - 1.0 >= 0.0 && b - 1.0 < h, {x0, b - 0.5}, {x1, b - 0.5});
    edge(l >= 0.0 && l < w, {l + 0.5, y0}, {l + 0.5, y1});
    edge(r - 1.0 >= 0.0 && r - 1.0 < w, {r - 0.5, y0}, {r - 0.5, y1});
    painter_.strokePath(outline, InkPen(ink_, 1.0, Qt::FlatCap));
}

// The stroke runs through the centres of the raster's outermost pixels: for
// the primitive, the exact circle of the net's radius about its centre.
void PainterCanvas::Ellipse(int left, int top, int right, int bottom) {
    if (!Ordered(left, top, right, bottom)) {
        return;
    }
    const double w = static_cast<double>(right) - left;
    const double h = static_cast<double>(bottom) - top;
    painter_.setPen(InkPen(ink_, kEllipseWidth * penWidth_, Qt::FlatCap));
    painter_.setBrush(brush_);
    painter_.drawEllipse(QRectF(left + 0.5, top + 0.5, w - 1.0, h - 1.0));
}

void PainterCanvas::MoveTo(int x, int y) {
    penPos_ = QPoint(x, y);
}

// The raster sets one dot per step along the major axis and leaves the end
// point out: the stroke runs from the first dot's centre to where the last
// dot lies on the ideal line, and its square caps reach the dots' outer edges.
void PainterCanvas::LineTo(int x, int y) {
    const QPoint from = penPos_;
    penPos_ = QPoint(x, y);
    const double dx = static_cast<double>(x) - from.x();
    const double dy = static_cast<double>(y) - from.y();
    const double steps = std::max(std::abs(dx), std::abs(dy));
    if (steps == 0.0) {
        return;
    }
    // A raster dot of pen width w covers w pixels from x - (w - 1) / 2 on.
    const double width = penWidth_;
    const double centre = width / 2.0 - static_cast<double>((penWidth_ - 1) / 2);
    const QPointF first(from.x() + centre, from.y() + centre);
    if (steps == 1.0) {
        const QPointF half(width / 2.0, width / 2.0);
        painter_.fillRect(QRectF(first - half, first + half), ink_);
        return;
    }
    const double t = (steps - 1.0) / steps;
    painter_.setPen(InkPen(ink_, width, Qt::SquareCap));
    painter_.drawLine(first, first + QPointF(dx * t, dy * t));
}

void PainterCanvas::SetPixel(int x, int y, const QColor& color) {
    const QPoint point(x, y);
    SetPixels(&point, 1, color);
}

void PainterCanvas::SetPixels(const QPoint* points, int count, const QColor& color) {
    std::vector<QPoint> dots;
    dots.reserve(static_cast<std::size_t>(std::max(count, 0)));
    const QRect picture(QPoint(0, 0), units_);
    for (int i = 0; i < count; ++i) {
        if (picture.contains(points[i])) {
            dots.push_back(points[i]);
        }
    }
    if (dots.empty()) {
        return;
    }
    // One colour per call, so the order of the dots does not matter: each
    // pixel is drawn once and neighbours merge into rectangles (runs in a
    // row, then equal runs in consecutive rows), so a small circle, whose 360
    // dots fall on few pixels, costs only what it shows.
    auto rowMajor = [](const QPoint& a, const QPoint& b) {
        return a.y() != b.y() ? a.y() < b.y() : a.x() < b.x();
    };
    std::sort(dots.begin(), dots.end(), rowMajor);
    dots.erase(std::unique(dots.begin(), dots.end()), dots.end());
    std::vector<QRect> runs;
    for (std::size_t i = 0; i < dots.size();) {
        std::size_t j = i + 1;
        while (j < dots.size() && dots[j].y() == dots[i].y() &&
               dots[j].x() == dots[j - 1].x() + 1) {
            ++j;
        }
        runs.emplace_back(dots[i].x(), dots[i].y(), static_cast<int>(j - i), 1);
        i = j;
    }
    std::sort(runs.begin(), runs.end(), [](const QRect& a, const QRect& b) {
        if (a.x() != b.x()) {
            return a.x() < b.x();
        }
        return a.width() != b.width() ? a.width() < b.width() : a.y() < b.y();
    });
    std::vector<QRect> blocks;
    for (std::size_t i = 0; i < runs.size();) {
        std::size_t j = i + 1;
        while (j < runs.size() && runs[j].x() == runs[i].x() &&
               runs[j].width() == runs[i].width() && runs[j].y() == runs[j - 1].y() + 1) {
            ++j;
        }
        blocks.emplace_back(runs[i].x(), runs[i].y(), runs[i].width(), static_cast<int>(j - i));
        i = j;
    }
    QColor ink = color.toRgb();
    ink.setAlpha(255);
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(ink);
    painter_.drawRects(blocks.data(), static_cast<int>(blocks.size()));
}

void PainterCanvas::TextOut(int x, int y, const QString& text) {
    if (text.isEmpty()) {
        return;
    }
    const QFontMetrics metrics(metricsFont_);
    const QRectF cell(x, y, metrics.horizontalAdvance(text), metrics.height());
    // A text the caller's clip hides wholly (a printout's picture shows only
    // the plot region) stays out of the document's text.
    if (painter_.hasClipping() && !painter_.clipBoundingRect().intersects(cell)) {
        return;
    }
    painter_.fillRect(cell, brush_);
    painter_.setFont(drawFont_);
    painter_.setPen(kText);
    painter_.drawText(QPointF(x, y + metrics.ascent()), text);
}

int PainterCanvas::TextHeight(const QString& /*text*/) const {
    return QFontMetrics(metricsFont_).height();
}

int PainterCanvas::TextWidth(const QString& text) const {
    return QFontMetrics(metricsFont_).horizontalAdvance(text);
}

QPointF PainterCanvas::Exact(const PlotGeometry& geometry, double x, double y) {
    const QPointF p = UnitToPoint(geometry, x, y);
    return {std::round(p.x() * kPointsPerUnit) / kPointsPerUnit,
            std::round(p.y() * kPointsPerUnit) / kPointsPerUnit};
}

// One pen for every stroke of the net, so that a device writes it once for
// a whole run of marks and circles. Round caps and joins keep the half width
// about each exact point: at a curve's corner on the primitive, at its ends
// there, and at the corners of a mark.
void PainterCanvas::UseNetPen() {
    painter_.setPen(InkPen(ink_, kNetWidth * penWidth_, Qt::RoundCap, Qt::RoundJoin));
    painter_.setBrush(Qt::NoBrush);
}

void PainterCanvas::NetLine(const PlotGeometry& geometry, double x1, double y1, double x2,
                            double y2) {
    UseNetPen();
    painter_.drawLine(Exact(geometry, x1, y1), Exact(geometry, x2, y2));
}

void PainterCanvas::NetPolyline(const PlotGeometry& geometry, const NetPoint* points, int count) {
    if (count < 1) {
        return;
    }
    QPainterPath path(Exact(geometry, points[0].x, points[0].y));
    for (int i = 1; i < count; ++i) {
        path.lineTo(Exact(geometry, points[i].x, points[i].y));
    }
    UseNetPen();
    painter_.drawPath(path);
}

void PainterCanvas::NetCurve(const PlotGeometry& geometry, const NetPoint& start,
                             const NetCubic* pieces, int count, bool closed) {
    const QPointF first = Exact(geometry, start.x, start.y);
    if (count < 1) {
        // The round end of a stroke that has no length.
        const double radius = kNetWidth * penWidth_ / 2.0;
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(ink_);
        painter_.drawEllipse(first, radius, radius);
        return;
    }
    QPainterPath path(first);
    for (int i = 0; i < count; ++i) {
        const NetCubic& c = pieces[i];
        path.cubicTo(Exact(geometry, c.Control1.x, c.Control1.y),
                     Exact(geometry, c.Control2.x, c.Control2.y),
                     Exact(geometry, c.End.x, c.End.y));
    }
    if (closed) {
        path.closeSubpath();
    }
    UseNetPen();
    painter_.drawPath(path);
}
