#pragma once

#include <QFont>
#include <QImage>
#include <QPoint>

#include "canvas.h"

// The real canvas: draws on a QImage (RGB32 or, after an export, 1-bit mono)
// with QPainter, no antialiasing, a cosmetic one-pixel flat-cap pen, text on
// an opaque brush background. The image must outlive the canvas.
class RasterCanvas final : public Canvas {
public:
    explicit RasterCanvas(QImage& image);

    // DejaVu Sans at 11 pixels; the fixed-pitch request switches to DejaVu Sans Mono.
    static QFont DefaultFont();

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
    void TextOut(int x, int y, const QString& text) override;
    int TextHeight(const QString& text) const override;
    int TextWidth(const QString& text) const override;

private:
    QImage& image_;
    QFont font_;
    QColor brush_{Qt::white};
    int penWidth_ = 1;
    QPoint penPos_;
};
