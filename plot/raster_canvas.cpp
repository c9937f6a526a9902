#include "raster_canvas.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr QRgb kTextColor = 0xFF000000u;

bool IsRgb32(QImage::Format format) {
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
           format == QImage::Format_ARGB32_Premultiplied;
}

QFont PlotFont(const QString& family) {
    QFont font(family);
    font.setPixelSize(11);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

// Largest X (pixel-centre offset from the middle, in half pixels, with the
// parity of w - 1) of the pixels of row offset Y inside the ellipse
// (X / w)^2 + (Y / h)^2 <= 1; negative when the row has none.
qint64 EllipseRowHalfWidth(qint64 w, qint64 h, qint64 y) {
    const double ratio = static_cast<double>(y) / static_cast<double>(h);
    const double t = 1.0 - ratio * ratio;
    if (t < 0.0) {
        return -1;
    }
    auto x = static_cast<qint64>(std::floor(static_cast<double>(w) * std::sqrt(t)));
    if (((x - (w - 1)) & 1) != 0) {
        --x;
    }
    // Settle the boundary exactly where 64-bit products allow it.
    constexpr qint64 kExactLimit = 46340;
    if (w <= kExactLimit && h <= kExactLimit) {
        const qint64 limit = w * w * (h * h - y * y);
        auto inside = [&](qint64 v) { return v * v * h * h <= limit; };
        while (x >= 0 && !inside(x)) {
            x -= 2;
        }
        while (x + 2 <= w - 1 && inside(x + 2)) {
            x += 2;
        }
    }
    return x;
}

} // namespace

RasterCanvas::RasterCanvas(QImage& image, bool fixedPitch)
    : image_(image), font_(fixedPitch ? FixedPitchFont() : DefaultFont()), fixedPitch_(fixedPitch) {
}

QFont RasterCanvas::DefaultFont() {
    return PlotFont(QStringLiteral("DejaVu Sans"));
}

QFont RasterCanvas::FixedPitchFont() {
    QFont font = PlotFont(QStringLiteral("DejaVu Sans Mono"));
    font.setFixedPitch(true);
    return font;
}

int RasterCanvas::Width() const {
    return image_.width();
}

int RasterCanvas::Height() const {
    return image_.height();
}

void RasterCanvas::SetBrushColor(const QColor& color) {
    brush_ = color.rgb();
}

void RasterCanvas::SetPenWidth(int width) {
    penWidth_ = std::max(1, width);
}

void RasterCanvas::SetInkColor(const QColor& color) {
    ink_ = color.rgb() | 0xFF000000u;
}

QColor RasterCanvas::InkColor() const {
    return QColor::fromRgb(ink_);
}

void RasterCanvas::RequestFixedPitch() {
    if (!fixedPitch_) {
        font_ = FixedPitchFont();
        fixedPitch_ = true;
    }
}

RasterCanvas::Raster RasterCanvas::Access() {
    Raster r;
    r.width = image_.width();
    r.height = image_.height();
    r.rgb32 = IsRgb32(image_.format());
    if (r.rgb32) {
        r.bits = image_.bits();
        r.stride = image_.bytesPerLine();
    }
    return r;
}

void RasterCanvas::PutPixel(const Raster& raster, int x, int y, QRgb color) {
    if (x < 0 || y < 0 || x >= raster.width || y >= raster.height) {
        return;
    }
    if (raster.rgb32) {
        reinterpret_cast<QRgb*>(raster.bits + y * raster.stride)[x] = color | 0xFF000000u;
        return;
    }
    PutIndexedPixel(x, y, color);
}

void RasterCanvas::PutIndexedPixel(int x, int y, QRgb color) {
    if (image_.colorCount() > 0) {
        // Indexed (the 1-bit export): the nearest colour of the table, but
        // only white stays white, as in the black-and-white conversion.
        const QList<QRgb> table = image_.colorTable();
        const bool white = (color & 0xFFFFFFu) == 0xFFFFFFu;
        int best = 0;
        int bestDistance = 1 << 30;
        for (int i = 0; i < static_cast<int>(table.size()); ++i) {
            const QRgb c = table.at(i);
            if (!white && (c & 0xFFFFFFu) == 0xFFFFFFu) {
                continue;
            }
            const int distance = std::abs(qRed(c) - qRed(color)) +
                                 std::abs(qGreen(c) - qGreen(color)) +
                                 std::abs(qBlue(c) - qBlue(color));
            if (distance < bestDistance) {
                best = i;
                bestDistance = distance;
            }
        }
        image_.setPixel(x, y, static_cast<uint>(best));
        return;
    }
    image_.setPixelColor(x, y, QColor::fromRgb(color));
}

void RasterCanvas::FillRect(const Raster& raster, int x0, int y0, int x1, int y1, QRgb color) {
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, raster.width);
    y1 = std::min(y1, raster.height);
    if (x0 >= x1 || y0 >= y1) {
        return;
    }
    if (raster.rgb32) {
        for (int y = y0; y < y1; ++y) {
            QRgb* row = reinterpret_cast<QRgb*>(raster.bits + y * raster.stride);
            std::fill(row + x0, row + x1, color | 0xFF000000u);
        }
        return;
    }
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            PutPixel(raster, x, y, color);
        }
    }
}

// The outline is one pixel wide inside the rectangle, the rest is brush.
void RasterCanvas::Rectangle(int left, int top, int right, int bottom) {
    if (right < left) {
        std::swap(left, right);
    }
    if (bottom < top) {
        std::swap(top, bottom);
    }
    if (right == left || bottom == top) {
        return;
    }
    const Raster raster = Access();
    FillRect(raster, left + 1, top + 1, right - 1, bottom - 1, brush_);
    FillRect(raster, left, top, right, top + 1, ink_);
    FillRect(raster, left, bottom - 1, right, bottom, ink_);
    FillRect(raster, left, top, left + 1, bottom, ink_);
    FillRect(raster, right - 1, top, right, bottom, ink_);
}

// Pixels whose centres lie inside the ellipse that touches the outer edges of
// the rectangle's border pixels; those with a 4-neighbour outside form the
// outline, the others are filled with the brush.
void RasterCanvas::Ellipse(int left, int top, int right, int bottom) {
    if (right < left) {
        std::swap(left, right);
    }
    if (bottom < top) {
        std::swap(top, bottom);
    }
    const qint64 w = static_cast<qint64>(right) - left;
    const qint64 h = static_cast<qint64>(bottom) - top;
    if (w <= 0 || h <= 0) {
        return;
    }
    struct Span {
        qint64 l = 0;
        qint64 r = -1; // empty when r < l
    };
    auto spanOf = [&](qint64 y) {
        Span s;
        if (y < top || y >= bottom) {
            return s;
        }
        const qint64 x = EllipseRowHalfWidth(w, h, 2 * (y - top) - (h - 1));
        if (x >= 0) {
            s.l = left + ((w - 1) - x) / 2;
            s.r = left + ((w - 1) + x) / 2;
        }
        return s;
    };
    const Raster raster = Access();
    const qint64 yFirst = std::max<qint64>(top, 0);
    const qint64 yEnd = std::min<qint64>(bottom, raster.height);
    for (qint64 y = yFirst; y < yEnd; ++y) {
        const Span row = spanOf(y);
        if (row.r < row.l) {
            continue;
        }
        const Span above = spanOf(y - 1);
        const Span below = spanOf(y + 1);
        const qint64 il = std::max({row.l + 1, above.l, below.l});
        const qint64 ir = std::min({row.r - 1, above.r, below.r});
        const int yy = static_cast<int>(y);
        auto fill = [&](qint64 from, qint64 to, QRgb color) { // inclusive
            if (from > to) {
                return;
            }
            const qint64 x0 = std::max<qint64>(from, -1);
            const qint64 x1 = std::min<qint64>(to + 1, static_cast<qint64>(raster.width) + 1);
            FillRect(raster, static_cast<int>(x0), yy, static_cast<int>(x1), yy + 1, color);
        };
        if (il > ir) {
            fill(row.l, row.r, ink_);
        } else {
            fill(row.l, il - 1, ink_);
            fill(il, ir, brush_);
            fill(ir + 1, row.r, ink_);
        }
    }
}

void RasterCanvas::MoveTo(int x, int y) {
    penPos_ = QPoint(x, y);
}

void RasterCanvas::PutPenDot(const Raster& raster, int x, int y) {
    if (penWidth_ == 1) {
        PutPixel(raster, x, y, ink_);
        return;
    }
    const int x0 = x - (penWidth_ - 1) / 2;
    const int y0 = y - (penWidth_ - 1) / 2;
    FillRect(raster, x0, y0, x0 + penWidth_, y0 + penWidth_, ink_);
}

// Bresenham from the pen position; the end point itself is not set, so a
// polyline sets each of its corners once.
void RasterCanvas::LineTo(int x, int y) {
    int x0 = penPos_.x();
    int y0 = penPos_.y();
    penPos_ = QPoint(x, y);
    const Raster raster = Access();
    const int margin = penWidth_;
    if (std::max(x0, x) < -margin || std::min(x0, x) >= raster.width + margin ||
        std::max(y0, y) < -margin || std::min(y0, y) >= raster.height + margin) {
        return;
    }
    const qint64 dx = std::abs(static_cast<qint64>(x) - x0);
    const qint64 dy = -std::abs(static_cast<qint64>(y) - y0);
    const int sx = x0 < x ? 1 : -1;
    const int sy = y0 < y ? 1 : -1;
    qint64 err = dx + dy;
    while (x0 != x || y0 != y) {
        PutPenDot(raster, x0, y0);
        const qint64 e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

void RasterCanvas::SetPixel(int x, int y, const QColor& color) {
    PutPixel(Access(), x, y, color.rgb());
}

void RasterCanvas::SetPixels(const QPoint* points, int count, const QColor& color) {
    const Raster raster = Access();
    const QRgb rgb = color.rgb();
    if (!raster.rgb32) {
        for (int i = 0; i < count; ++i) {
            PutPixel(raster, points[i].x(), points[i].y(), rgb);
        }
        return;
    }
    const auto width = static_cast<unsigned>(raster.width);
    const auto height = static_cast<unsigned>(raster.height);
    for (int i = 0; i < count; ++i) {
        const int x = points[i].x();
        const int y = points[i].y();
        if (static_cast<unsigned>(x) < width && static_cast<unsigned>(y) < height) {
            reinterpret_cast<QRgb*>(raster.bits + y * raster.stride)[x] = rgb | 0xFF000000u;
        }
    }
}

BlackPixelRaster RasterCanvas::OrderFreePixels() {
    const Raster raster = Access();
    if (!raster.rgb32) {
        return {};
    }
    BlackPixelRaster black;
    black.Bits = reinterpret_cast<QRgb*>(raster.bits);
    black.Stride = raster.stride / static_cast<qsizetype>(sizeof(QRgb));
    black.Width = raster.width;
    black.Height = raster.height;
    return black;
}

void RasterCanvas::TextOut(int x, int y, const QString& text) {
    const QFontMetrics metrics(font_);
    FillRect(Access(), x, y, x + metrics.horizontalAdvance(text), y + metrics.height(), brush_);
    QPainter painter(&image_);
    painter.setFont(font_);
    painter.setPen(QColor::fromRgb(kTextColor));
    painter.drawText(x, y + metrics.ascent(), text);
}

int RasterCanvas::TextHeight(const QString& /*text*/) const {
    return QFontMetrics(font_).height();
}

int RasterCanvas::TextWidth(const QString& text) const {
    return QFontMetrics(font_).horizontalAdvance(text);
}
