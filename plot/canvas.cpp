#include "canvas.h"

#include <vector>

#include "plot_geometry.h"

namespace {

// Chords per cubic piece where a canvas without curves of its own is handed
// one.
constexpr int kChordsPerPiece = 8;

} // namespace

NetPoint PointOnCubic(const NetPoint& start, const NetCubic& piece, double t) {
    const double u = 1.0 - t;
    const double a = u * u * u;
    const double b = 3.0 * u * u * t;
    const double d = 3.0 * u * t * t;
    const double e = t * t * t;
    return {a * start.x + b * piece.Control1.x + d * piece.Control2.x + e * piece.End.x,
            a * start.y + b * piece.Control1.y + d * piece.Control2.y + e * piece.End.y};
}

void Canvas::NetLine(const PlotGeometry& geometry, double x1, double y1, double x2, double y2) {
    MoveTo(UnitToPixelX(geometry, x1), UnitToPixelY(geometry, y1));
    LineTo(UnitToPixelX(geometry, x2), UnitToPixelY(geometry, y2));
}

void Canvas::NetPolyline(const PlotGeometry& geometry, const NetPoint* points, int count) {
    if (count < 1) {
        return;
    }
    MoveTo(UnitToPixelX(geometry, points[0].x), UnitToPixelY(geometry, points[0].y));
    for (int i = 1; i < count; ++i) {
        LineTo(UnitToPixelX(geometry, points[i].x), UnitToPixelY(geometry, points[i].y));
    }
}

void Canvas::NetCurve(const PlotGeometry& geometry, const NetPoint& start, const NetCubic* pieces,
                      int count, bool /*closed*/) {
    if (count < 1) {
        SetPixel(UnitToPixelX(geometry, start.x), UnitToPixelY(geometry, start.y), InkColor());
        return;
    }
    // A closed run's last piece ends at its start already.
    std::vector<NetPoint> points{start};
    NetPoint from = start;
    for (int i = 0; i < count; ++i) {
        for (int k = 1; k <= kChordsPerPiece; ++k) {
            points.push_back(
                PointOnCubic(from, pieces[i], static_cast<double>(k) / kChordsPerPiece));
        }
        from = pieces[i].End;
    }
    NetPolyline(geometry, points.data(), static_cast<int>(points.size()));
}
