#include "net_polyline.h"

#include <QColor>

#include "canvas.h"
#include "plot_geometry.h"

void DrawNetPolyline(Canvas& canvas, const PlotGeometry& geometry, std::span<const NetPoint> points,
                     bool closed) {
    if (points.empty())
        return;
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
        canvas.SetPixel(last.x(), last.y(), QColor(0, 0, 0));
}
