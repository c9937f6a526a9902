#pragma once

#include <QFont>
#include <QImage>
#include <QPoint>

#include "canvas.h"

// The real canvas: draws on a QImage (RGB32 or, after an export, 1-bit mono).
// Lines, rectangles, ellipses and single pixels are written to the raster
// directly, without antialiasing: a one-pixel line leaves its end pixel
// unset, an ellipse's outermost pixels are the first and last column and row
// of its rectangle. Lines and outlines take the ink colour (on a 1-bit image
// black unless it is white). Text is drawn by QPainter without antialiasing in
// black on a cell filled with the brush colour. Everything outside the image
// is clipped. The image must outlive the canvas.
class RasterCanvas final : public Canvas {
public:
    // fixedPitch: start with the font a previous canvas on the same image had
    // after RequestFixedPitch (the request lasts for the whole run).
    explicit RasterCanvas(QImage& image, bool fixedPitch = false);

    // DejaVu Sans at 11 pixels; the fixed-pitch request switches to DejaVu Sans Mono.
    static QFont DefaultFont();
    static QFont FixedPitchFont();

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
    void SetPixels(const QPoint* points, int count, const QColor& color) override;
    // The 32-bit raster; empty for the 1-bit one, whose pixels need SetPixel.
    BlackPixelRaster OrderFreePixels() override;
    void TextOut(int x, int y, const QString& text) override;
    int TextHeight(const QString& text) const override;
    int TextWidth(const QString& text) const override;

private:
    // Direct access to the raster for the length of one drawing operation;
    // taken afresh by every operation, so a copy of the image made between
    // operations is never written through.
    struct Raster {
        uchar* bits = nullptr;
        qsizetype stride = 0;
        int width = 0;
        int height = 0;
        bool rgb32 = false;
    };
    Raster Access();
    void PutPixel(const Raster& raster, int x, int y, QRgb color);
    // Formats other than 32-bit: the 1-bit export raster among them.
    void PutIndexedPixel(int x, int y, QRgb color);
    // Fills columns x0..x1-1 of rows y0..y1-1, clipped to the image.
    void FillRect(const Raster& raster, int x0, int y0, int x1, int y1, QRgb color);
    void PutPenDot(const Raster& raster, int x, int y);

    QImage& image_;
    QFont font_;
    bool fixedPitch_ = false;
    QRgb brush_ = 0xFFFFFFFFu;
    QRgb ink_ = 0xFF000000u;
    int penWidth_ = 1;
    QPoint penPos_;
};
