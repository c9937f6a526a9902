#include "net_polyline.h"

#include <vector>

#include "canvas.h"
#include "plot_geometry.h"

void DrawNetPolyline(Canvas& canvas, const PlotGeometry& geometry, std::span<const NetPoint> points,
                     bool closed) {
    if (points.empty())
        return;
    if (canvas.DrawsExactCurves()) {
        // A vector canvas draws the line through the exact points, and a
        // closed line as one path, joined where it returns to its start.
        std::vector<NetPoint> path(points.begin(), points.end());
        if (closed)
            path.push_back(points.front());
        canvas.NetPolyline(geometry, path.data(), static_cast<int>(path.size()));
        return;
    }
    const auto pixel = [&](const NetPoint& p) {
        return QPoint(UnitToPixelX(geometry, p.x), UnitToPixelY(geometry, p.y));
    };
    const QPoint first = pixel(points.front());
    canvas.MoveTo(first.x(), first.y());
    QPoint last = first;
    for (const NetPoint& p : points.subspan(1)) {
        last = pixel(p);
        canvas.LineTo(last.x(), last.y());
    }
    // A line leaves its end pixel unset: the first pixel ends a closed line,
    // and an open one gets its own.
    if (closed)
        canvas.LineTo(first.x(), first.y());
    else
        canvas.SetPixel(last.x(), last.y(), canvas.InkColor());
}
