#pragma once

#include <QColor>
#include <QPoint>
#include <QString>

#include "equal_area.h"

struct PlotGeometry;

// Plain memory of a 32-bit raster in which pixels of the ink colour may be
// set directly, in any order; empty (null bits) when a canvas has no such
// raster.
struct BlackPixelRaster {
    QRgb* Bits = nullptr;
    qsizetype Stride = 0; // pixels from one row to the next
    int Width = 0;
    int Height = 0;

    bool IsEmpty() const { return Bits == nullptr; }
};

// One piece of a smooth curve in net units: the cubic Bezier curve from the
// end of the piece before it (or the start of its run) through two control
// points to End.
struct NetCubic {
    NetPoint Control1;
    NetPoint Control2;
    NetPoint End;
};

// The point at parameter t (0 to 1) of the piece that starts at start.
NetPoint PointOnCubic(const NetPoint& start, const NetCubic& piece, double t);

// The drawing operations the plot needs, in pixel coordinates (origin top
// left, y down), and the lines and curves of the net in net units, which a
// raster rounds to its pixels and a vector canvas draws exactly. The real
// canvas is a QImage raster; tests record the calls.
class Canvas {
public:
    virtual ~Canvas() = default;

    virtual int Width() const = 0;
    virtual int Height() const = 0;

    virtual void SetBrushColor(const QColor& color) = 0;
    virtual void SetPenWidth(int width) = 0;
    // The colour of lines, outlines, dots, curves and marks; texts stay
    // black. Black until set.
    virtual void SetInkColor(const QColor& color) = 0;
    virtual QColor InkColor() const = 0;
    // Asks the canvas font for fixed pitch; it keeps it from then on.
    virtual void RequestFixedPitch() = 0;

    // Filled with the brush, outlined with the pen; right and bottom exclusive.
    virtual void Rectangle(int left, int top, int right, int bottom) = 0;
    // Ellipse inscribed in the rectangle (right and bottom exclusive): its
    // outermost pixels are the columns left and right - 1, rows top and bottom - 1.
    virtual void Ellipse(int left, int top, int right, int bottom) = 0;
    virtual void MoveTo(int x, int y) = 0;
    // Draws from the pen position to (x, y), leaving (x, y) itself unset.
    virtual void LineTo(int x, int y) = 0;
    virtual void SetPixel(int x, int y, const QColor& color) = 0;
    // The same for many pixels, in order; a canvas may do it faster.
    virtual void SetPixels(const QPoint* points, int count, const QColor& color) {
        for (int i = 0; i < count; ++i) {
            SetPixel(points[i].x(), points[i].y(), color);
        }
    }
    // The raster for black pixels set in any order, valid until the next
    // other operation; empty when pixels must go through SetPixels in order.
    virtual BlackPixelRaster OrderFreePixels() { return {}; }
    // Text with its top-left corner at (x, y), on an opaque brush background.
    virtual void TextOut(int x, int y, const QString& text) = 0;
    // Whole-pixel metrics in the canvas font's current state.
    virtual int TextHeight(const QString& text) const = 0;
    virtual int TextWidth(const QString& text) const = 0;

    // Whether the canvas draws the net's curves from their exact points: the
    // plot then hands it each circle as NetCurve runs instead of the
    // raster's 360 rounded dots.
    virtual bool DrawsExactCurves() const { return false; }
    // A line between two net points with the pen. By default the raster's:
    // each end mapped to its pixel on its own (UnitToPixelX/Y), then MoveTo
    // and LineTo, so the end pixel stays unset.
    virtual void NetLine(const PlotGeometry& geometry, double x1, double y1, double x2, double y2);
    // A polyline through count net points with the pen. By default NetLine's
    // pixel lines from each rounded point to the next.
    virtual void NetPolyline(const PlotGeometry& geometry, const NetPoint* points, int count);
    // One continuous run of a curve with the pen: from start through count
    // pieces, and closed (joined, not capped, at start) when closed is set; a
    // run without pieces is a dot. By default each piece is cut into short
    // chords through NetPolyline.
    virtual void NetCurve(const PlotGeometry& geometry, const NetPoint& start,
                          const NetCubic* pieces, int count, bool closed);
};
