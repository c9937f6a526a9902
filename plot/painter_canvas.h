#pragma once

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QSize>

#include "canvas.h"

class QPainter;

// The plot drawn as vectors through a QPainter on any paint device (SVG, PDF,
// a large raster), in the raster's own units: one unit is one pixel of
// RasterCanvas, whose picture it reproduces. Pixel (x, y) is the unit square
// from (x, y) to (x + 1, y + 1). Lines are strokes of the pen width through the
// pixels the raster sets (the end pixel left out), rectangles and ellipses
// are outlined one unit wide inside their rectangle and filled with the
// brush, dots are filled unit squares, texts are real text in black on a cell
// of the brush colour. Text is measured exactly as RasterCanvas measures it,
// so a plot pass lays out the same on both. The canvas clips the painter to
// (0, 0)-(units) and cuts rectangles to it itself, since Qt's SVG output
// ignores clipping (its viewBox hides the rest). The painter must be active,
// must map units onto the device as the caller wants them, and must outlive
// the canvas.
class PainterCanvas final : public Canvas {
public:
    // fixedPitch: start with the font a raster canvas has after RequestFixedPitch.
    PainterCanvas(QPainter& painter, QSize units, bool fixedPitch = false);

    bool FixedPitchRequested() const { return fixedPitch_; }

    int Width() const override;
    int Height() const override;
    void SetBrushColor(const QColor& color) override;
    void SetPenWidth(int width) override;
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

private:
    void UseFont(const QFont& metricsFont);

    QPainter& painter_;
    QSize units_;
    QFont metricsFont_; // the raster's font: all measuring
    QFont drawFont_;    // the same face and size, drawn smooth where the device allows
    bool fixedPitch_ = false;
    QColor brush_{255, 255, 255};
    int penWidth_ = 1;
    QPoint penPos_;
};
