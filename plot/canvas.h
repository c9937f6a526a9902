#pragma once

#include <QColor>
#include <QPoint>
#include <QString>

// Plain memory of a 32-bit raster in which black pixels may be set directly,
// in any order; empty (null bits) when a canvas has no such raster.
struct BlackPixelRaster {
    QRgb* Bits = nullptr;
    qsizetype Stride = 0; // pixels from one row to the next
    int Width = 0;
    int Height = 0;

    bool IsEmpty() const { return Bits == nullptr; }
};

// The drawing operations the plot needs, in pixel coordinates (origin top
// left, y down). The real canvas is a QImage raster; tests record the calls.
class Canvas {
public:
    virtual ~Canvas() = default;

    virtual int Width() const = 0;
    virtual int Height() const = 0;

    virtual void SetBrushColor(const QColor& color) = 0;
    virtual void SetPenWidth(int width) = 0;
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
};
