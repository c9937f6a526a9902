#include "recording_canvas.h"

RecordingCanvas::RecordingCanvas(int width, int height) : width_(width), height_(height) {}

void RecordingCanvas::Record(Kind kind, int a, int b, int c, int d, const QString& text,
                             const QColor& color) {
    Op op;
    op.kind = kind;
    op.a = a;
    op.b = b;
    op.c = c;
    op.d = d;
    op.text = text;
    op.color = color;
    ops.push_back(op);
}

std::vector<RecordingCanvas::Text> RecordingCanvas::Texts() const {
    std::vector<Text> out;
    for (const Op& op : ops) {
        if (op.kind == Kind::Text) {
            out.push_back({op.a, op.b, op.text});
        }
    }
    return out;
}

std::vector<RecordingCanvas::Line> RecordingCanvas::Lines() const {
    std::vector<Line> out;
    for (const Op& op : ops) {
        if (op.kind == Kind::Line) {
            out.push_back({QPoint(op.a, op.b), QPoint(op.c, op.d)});
        }
    }
    return out;
}

std::vector<QPoint> RecordingCanvas::Pixels() const {
    std::vector<QPoint> out;
    for (const Op& op : ops) {
        if (op.kind == Kind::Pixel) {
            out.emplace_back(op.a, op.b);
        }
    }
    return out;
}

std::vector<RecordingCanvas::Kind> RecordingCanvas::Kinds() const {
    std::vector<Kind> out;
    for (const Op& op : ops) {
        out.push_back(op.kind);
    }
    return out;
}

int RecordingCanvas::IndexOf(Kind kind) const {
    for (std::size_t i = 0; i < ops.size(); ++i) {
        if (ops[i].kind == kind) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void RecordingCanvas::SetBrushColor(const QColor& color) {
    Record(Kind::Brush, 0, 0, 0, 0, {}, color);
}

void RecordingCanvas::SetPenWidth(int width) {
    Record(Kind::PenWidth, width);
}

void RecordingCanvas::SetInkColor(const QColor& color) {
    ink_ = color;
    Record(Kind::Ink, 0, 0, 0, 0, {}, color);
}

void RecordingCanvas::RequestFixedPitch() {
    fixedPitch_ = true;
    Record(Kind::FixedPitch);
}

void RecordingCanvas::Rectangle(int left, int top, int right, int bottom) {
    Record(Kind::Rectangle, left, top, right, bottom);
}

void RecordingCanvas::Ellipse(int left, int top, int right, int bottom) {
    Record(Kind::Ellipse, left, top, right, bottom);
}

void RecordingCanvas::LineTo(int x, int y) {
    Record(Kind::Line, pen_.x(), pen_.y(), x, y);
    pen_ = QPoint(x, y);
}

void RecordingCanvas::SetPixel(int x, int y, const QColor& color) {
    Record(Kind::Pixel, x, y, 0, 0, {}, color);
}

void RecordingCanvas::TextOut(int x, int y, const QString& text) {
    Record(Kind::Text, x, y, 0, 0, text);
}

int RecordingCanvas::TextHeight(const QString& /*text*/) const {
    ++measures_;
    if (!fixedPitch_) {
        ++measuresBeforeFixedPitch_;
    }
    return textHeight;
}

int RecordingCanvas::TextWidth(const QString& text) const {
    ++measures_;
    if (!fixedPitch_) {
        ++measuresBeforeFixedPitch_;
    }
    return charWidth * static_cast<int>(text.size());
}
