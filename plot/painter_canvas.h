#pragma once

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QPointF>
#include <QSize>

#include "canvas.h"

class QPainter;

// The plot drawn as vectors through a QPainter on any paint device (SVG, PDF,
// a large raster, a printer), in the raster's own units: one unit is one
// pixel of RasterCanvas, whose layout it keeps. Pixel (x, y) is the unit
// square from (x, y) to (x + 1, y + 1).
//
// The net is drawn exactly rather than in pixels: curves and polylines are
// smooth strokes through the exact points (UnitToPoint, to 1/100 of a unit),
// net lines (marks, cross, ticks) straight strokes between the exact ends,
// all with one pen 0.75 point wide with round caps and joins; an ellipse is
// a 1-point stroke through the centres of the raster's outermost pixels (for
// the primitive, the exact circle) filled with the brush. Pixel lines are
// strokes of the pen width through the pixels the raster sets (the end pixel
// left out), rectangles are outlined one unit wide inside their rectangle
// and filled with the brush, dots are filled unit squares; all of these in
// the ink colour.
//
// Texts are real text in black on a cell of the brush colour, measured
// exactly as RasterCanvas measures them, so a plot pass lays out the same on
// both; a text wholly outside the painter's clip is left out. The canvas
// clips the painter to (0, 0)-(units) within the caller's clip and cuts
// rectangles to it itself, since Qt's SVG output ignores clipping (its
// viewBox hides the rest). The painter must be active, must map units onto
// the device as the caller wants them, and must outlive the canvas.
class PainterCanvas final : public Canvas {
public:
    // fixedPitch: start with the font a raster canvas has after RequestFixedPitch.
    PainterCanvas(QPainter& painter, QSize units, bool fixedPitch = false);

    bool FixedPitchRequested() const { return fixedPitch_; }

    int Width() const override;
    int Height() const override;
    void SetBrushColor(const QColor& color) override;
    void SetPenWidth(int width) override;
    void SetInkColor(const QColor& color) override;
    QColor InkColor() const override;
    void RequestFixedPitch() override;
    void Rectangle(int left, int top, int right, int bottom) override;
    void Ellipse(int left, int top, int right, int bottom) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void SetPixel(int x, int y, const QColor& color) override;
    // One drawRects per call: each pixel once, neighbouring pixels merged
    // into rectangles (the picture is the same unit squares).
    void SetPixels(const QPoint* points, int count, const QColor& color) override;
    void TextOut(int x, int y, const QString& text) override;
    int TextHeight(const QString& text) const override;
    int TextWidth(const QString& text) const override;
    bool DrawsExactCurves() const override { return true; }
    void NetLine(const PlotGeometry& geometry, double x1, double y1, double x2, double y2) override;
    void NetPolyline(const PlotGeometry& geometry, const NetPoint* points, int count) override;
    void NetCurve(const PlotGeometry& geometry, const NetPoint& start, const NetCubic* pieces,
                  int count, bool closed) override;

private:
    void UseFont(const QFont& metricsFont);
    // A net point in the canvas's units, to 1/100 of a unit.
    static QPointF Exact(const PlotGeometry& geometry, double x, double y);
    void UseNetPen();

    QPainter& painter_;
    QSize units_;
    QFont metricsFont_; // the raster's font: all measuring
    QFont drawFont_;    // the same face and size, drawn smooth where the device allows
    bool fixedPitch_ = false;
    QColor brush_{255, 255, 255};
    QColor ink_{0, 0, 0};
    int penWidth_ = 1;
    QPoint penPos_;
};
