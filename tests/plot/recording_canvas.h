#pragma once

#include <QColor>
#include <QPoint>
#include <QString>

#include <ostream>
#include <vector>

#include "canvas.h"

// Test double of the canvas: records every call in order and measures text
// with fixed metrics (height 13, 8 pixels per character, so "N" is 8 wide).
class RecordingCanvas final : public Canvas {
public:
    enum class Kind { Brush, PenWidth, Ink, FixedPitch, Rectangle, Ellipse, Line, Pixel, Text };

    struct Op {
        Kind kind = Kind::Brush;
        int a = 0; // x, left, from-x or pen width
        int b = 0; // y, top or from-y
        int c = 0; // right or to-x
        int d = 0; // bottom or to-y
        QString text;
        QColor color;
    };

    struct Text {
        int x;
        int y;
        QString text;
        bool operator==(const Text&) const = default;
        friend void PrintTo(const Text& t, std::ostream* os) {
            *os << "(" << t.x << ", " << t.y << ") \"" << t.text.toStdString() << "\"";
        }
    };

    struct Line {
        QPoint from;
        QPoint to;
        bool operator==(const Line&) const = default;
        friend void PrintTo(const Line& l, std::ostream* os) {
            *os << "(" << l.from.x() << ", " << l.from.y() << ")->(" << l.to.x() << ", " << l.to.y()
                << ")";
        }
    };

    explicit RecordingCanvas(int width = 553, int height = 529);

    std::vector<Op> ops;
    int charWidth = 8;
    int textHeight = 13;

    std::vector<Text> Texts() const;
    std::vector<Line> Lines() const;
    std::vector<QPoint> Pixels() const;
    std::vector<Kind> Kinds() const;
    // Index of the first op of the kind, or -1.
    int IndexOf(Kind kind) const;
    int MeasureCount() const { return measures_; }
    int MeasuresBeforeFixedPitch() const { return measuresBeforeFixedPitch_; }

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void SetBrushColor(const QColor& color) override;
    void SetPenWidth(int width) override;
    void SetInkColor(const QColor& color) override;
    QColor InkColor() const override { return ink_; }
    void RequestFixedPitch() override;
    void Rectangle(int left, int top, int right, int bottom) override;
    void Ellipse(int left, int top, int right, int bottom) override;
    void MoveTo(int x, int y) override { pen_ = QPoint(x, y); }
    void LineTo(int x, int y) override;
    void SetPixel(int x, int y, const QColor& color) override;
    void TextOut(int x, int y, const QString& text) override;
    int TextHeight(const QString& text) const override;
    int TextWidth(const QString& text) const override;

private:
    void Record(Kind kind, int a = 0, int b = 0, int c = 0, int d = 0, const QString& text = {},
                const QColor& color = {});

    int width_;
    int height_;
    QPoint pen_;
    QColor ink_{0, 0, 0};
    bool fixedPitch_ = false;
    mutable int measures_ = 0;
    mutable int measuresBeforeFixedPitch_ = 0;
};

inline void PrintTo(const QPoint& p, std::ostream* os) {
    *os << "(" << p.x() << ", " << p.y() << ")";
}
