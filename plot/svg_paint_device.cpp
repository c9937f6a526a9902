#include "svg_paint_device.h"

#include <QByteArray>
#include <QFileDevice>
#include <QFont>
#include <QIODevice>
#include <QPaintEngine>
#include <QPainterPath>
#include <QPen>
#include <QRegion>
#include <QString>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

constexpr int kUnitsPerInch = 96;
constexpr double kMillimetresPerInch = 25.4;
// Bytes gathered before they go to the output in one write.
constexpr qsizetype kChunk = 64 * 1024;
// A path that shapes are merged into ends after about this many bytes, so that
// no attribute grows past what XML readers take by default (libxml2 refuses
// text over 10 MB).
constexpr qsizetype kMergedPathBytes = 64 * 1024;
// Hundredths of a unit (a raster pixel): under a tenth of a pixel even in the
// PNG at eight times the size.
constexpr int kCoordinateDecimals = 2;
constexpr int kMatrixDecimals = 6;
constexpr int kOpacityDecimals = 3;
// QPen's default miter limit, given once on the root element.
constexpr double kQtMiterLimit = 2.0;
constexpr char32_t kReplacement = 0xFFFD;

// Attributes a group of elements shares. The defaults are the values the
// root element gives (SVG's initial values, with Qt's miter limit), so a
// group writes only what differs from them.
struct Style {
    bool Fill = true;
    QRgb FillColor = 0xFF000000u;
    bool EvenOdd = false;
    bool Stroke = false;
    QRgb StrokeColor = 0xFF000000u;
    double StrokeWidth = 1.0;
    bool NonScaling = false;
    Qt::PenCapStyle Cap = Qt::FlatCap;
    Qt::PenJoinStyle Join = Qt::MiterJoin;
    double MiterLimit = kQtMiterLimit;
    QString Family;
    double FontSize = 0.0;
    int Weight = QFont::Normal;
    bool Italic = false;
    QTransform Transform;

    bool operator==(const Style&) const = default;
};

struct Clip {
    bool On = false;
    QPainterPath Path; // in the root's coordinates

    bool operator==(const Clip&) const = default;
};

// A point in hundredths of a unit: path data is written relative to the
// previous point from these rounded values, so the rounding never adds up.
struct Hundredths {
    std::int64_t X = 0;
    std::int64_t Y = 0;

    bool operator==(const Hundredths&) const = default;
};

std::int64_t Scaled(double value, int decimals) {
    static constexpr double kPowers[] = {1.0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6};
    // Far outside any picture; keeps the integer arithmetic in range.
    constexpr double kLimit = 1e12;
    if (!std::isfinite(value)) {
        return 0;
    }
    return std::llround(std::clamp(value, -kLimit, kLimit) * kPowers[decimals]);
}

Hundredths Round(const QPointF& point) {
    return {Scaled(point.x(), kCoordinateDecimals), Scaled(point.y(), kCoordinateDecimals)};
}

// A number with no needless digit: "12", "-3.5", ".25".
struct Number {
    char Text[32];
    int Size = 0;

    Number(std::int64_t scaled, int decimals) {
        const bool negative = scaled < 0;
        std::uint64_t magnitude =
            negative ? 0u - static_cast<std::uint64_t>(scaled) : static_cast<std::uint64_t>(scaled);
        char fraction[16];
        int fractionSize = 0;
        for (int i = 0; i < decimals; ++i) {
            const char digit = static_cast<char>('0' + magnitude % 10u);
            magnitude /= 10u;
            if (fractionSize > 0 || digit != '0') {
                fraction[fractionSize++] = digit; // least significant first
            }
        }
        if (negative && (magnitude != 0u || fractionSize > 0)) {
            Text[Size++] = '-';
        }
        if (magnitude != 0u || fractionSize == 0) {
            char whole[24];
            int wholeSize = 0;
            do {
                whole[wholeSize++] = static_cast<char>('0' + magnitude % 10u);
                magnitude /= 10u;
            } while (magnitude != 0u);
            while (wholeSize > 0) {
                Text[Size++] = whole[--wholeSize];
            }
        }
        if (fractionSize > 0) {
            Text[Size++] = '.';
            while (fractionSize > 0) {
                Text[Size++] = fraction[--fractionSize];
            }
        }
    }
    bool HasPoint() const {
        for (int i = 0; i < Size; ++i) {
            if (Text[i] == '.') {
                return true;
            }
        }
        return false;
    }
};

// Unicode's control characters and what XML 1.0 cannot hold.
bool Unwritable(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0xD800 && c <= 0xDFFF) || c == 0xFFFE ||
           c == 0xFFFF;
}

QRgb WithAlpha(const QColor& color, double opacity) {
    const QRgb rgb = color.rgba();
    return qRgba(qRed(rgb), qGreen(rgb), qBlue(rgb), qRound(qAlpha(rgb) * opacity));
}

} // namespace

// Writes SVG as QPainter paints: elements in painting order, consecutive
// shapes of one style in one group, and, where it cannot change the picture,
// in one path element (opaque strokes, and opaque filled rectangles, which
// are all written in one winding so their union is what is filled).
class SvgPaintEngine final : public QPaintEngine {
public:
    SvgPaintEngine(QIODevice& output, QSize units, const QString& title, const QString& description)
        : QPaintEngine(PrimitiveTransform | PainterPaths | AlphaBlend | ConstantOpacity |
                       Antialiasing),
          output_(output), units_(units), title_(title), description_(description) {}

    bool begin(QPaintDevice* device) override;
    bool end() override;
    void updateState(const QPaintEngineState& changed) override;

    using QPaintEngine::drawEllipse;
    using QPaintEngine::drawLines;
    using QPaintEngine::drawPolygon;
    using QPaintEngine::drawRects;
    void drawRects(const QRectF* rects, int count) override;
    void drawLines(const QLineF* lines, int count) override;
    void drawEllipse(const QRectF& rect) override;
    void drawPath(const QPainterPath& path) override;
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override;
    void drawTextItem(const QPointF& position, const QTextItem& item) override;
    // The plot draws no images.
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    Type type() const override { return QPaintEngine::SVG; }

private:
    // Output, through a buffer of bounded size.
    void Put(const char* text, qsizetype size);
    void Put(const char* text) { Put(text, qsizetype(std::strlen(text))); }
    void Put(char c) { Put(&c, 1); }
    void Put(const Number& number) { Put(number.Text, number.Size); }
    void PutNumber(double value, int decimals = kCoordinateDecimals) {
        Put(Number(Scaled(value, decimals), decimals));
    }
    void PutText(QStringView text);
    void PutColor(QRgb color);
    void PutAttribute(const char* name, double value, int decimals = kCoordinateDecimals);
    void Flush();
    qsizetype Written() const { return flushed_ + buffer_.size(); }

    // Structure: clip group, style group, open path element.
    Style ShapeStyle(bool fill, bool evenOdd = false) const;
    static bool Mergeable(const Style& style, bool oneWinding);
    void SyncClip();
    void UseGroup(const Style& style);
    void CloseGroup();
    void BeginElement(const Style& style);
    void BeginPath(const Style& style, bool merge);
    void ClosePath();
    void ApplyClip(const QPainterPath& path, Qt::ClipOperation operation);

    // Path data, relative to the previous point.
    void Command(char command);
    void Coordinate(std::int64_t value);
    void MoveTo(const QPointF& point);
    void LineTo(const QPointF& point);
    void CurveTo(const QPointF& c1, const QPointF& c2, const QPointF& end);
    void CloseSubpath();
    void WritePath(const QPainterPath& path);
    void WritePolyline(const QPointF* points, int count, bool closed);

    QIODevice& output_;
    QSize units_;
    QString title_;
    QString description_;
    QByteArray buffer_;
    qsizetype flushed_ = 0;
    bool failed_ = false;
    bool begun_ = false;

    QPen pen_;
    QBrush brush_;
    QTransform transform_;
    double opacity_ = 1.0;
    Clip clip_;
    bool clipChanged_ = false;

    Clip writtenClip_;
    int clipCount_ = 0;
    bool groupOpen_ = false;
    bool groupTagged_ = false; // a group of the root's own style needs no tag
    Style group_;
    bool pathOpen_ = false;
    bool pathMerges_ = false;
    qsizetype pathStart_ = 0;
    Hundredths current_;
    Hundredths subpathStart_;
    char command_ = 0;
    bool afterNumber_ = false;
    bool numberHadPoint_ = false;
};

void SvgPaintEngine::Put(const char* text, qsizetype size) {
    buffer_.append(text, size);
    if (buffer_.size() >= kChunk) {
        Flush();
    }
}

void SvgPaintEngine::Flush() {
    const char* data = buffer_.constData();
    qint64 left = buffer_.size();
    while (left > 0 && !failed_) {
        const qint64 written = output_.write(data, left);
        if (written <= 0) {
            failed_ = true;
        } else {
            data += written;
            left -= written;
        }
    }
    flushed_ += buffer_.size();
    buffer_.resize(0); // keeps the capacity
}

void SvgPaintEngine::PutText(QStringView text) {
    QString xml;
    xml.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        switch (c) {
        case U'&':
            xml += u"&amp;";
            break;
        case U'<':
            xml += u"&lt;";
            break;
        case U'>':
            xml += u"&gt;";
            break;
        case U'"':
            xml += u"&quot;";
            break;
        default:
            xml += QChar::fromUcs4(Unwritable(c) ? kReplacement : c);
        }
    }
    const QByteArray utf8 = xml.toUtf8();
    Put(utf8.constData(), utf8.size());
}

// "#rgb" where each channel's two digits are equal, else "#rrggbb".
void SvgPaintEngine::PutColor(QRgb color) {
    static constexpr char kHex[] = "0123456789abcdef";
    const int channels[] = {qRed(color), qGreen(color), qBlue(color)};
    bool shortForm = true;
    for (int channel : channels) {
        shortForm = shortForm && (channel >> 4) == (channel & 15);
    }
    char text[7];
    int size = 0;
    text[size++] = '#';
    for (int channel : channels) {
        text[size++] = kHex[channel >> 4];
        if (!shortForm) {
            text[size++] = kHex[channel & 15];
        }
    }
    Put(text, size);
}

void SvgPaintEngine::PutAttribute(const char* name, double value, int decimals) {
    Put(' ');
    Put(name);
    Put("=\"");
    PutNumber(value, decimals);
    Put('"');
}

bool SvgPaintEngine::begin(QPaintDevice* /*device*/) {
    if (begun_ || !output_.isWritable()) {
        return false;
    }
    begun_ = true;
    buffer_.reserve(kChunk + 1024);
    Put("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\"");
    PutAttribute("width", units_.width());
    PutAttribute("height", units_.height());
    Put(" viewBox=\"0 0 ");
    PutNumber(units_.width());
    Put(' ');
    PutNumber(units_.height());
    Put('"');
    PutAttribute("stroke-miterlimit", kQtMiterLimit);
    // Texts keep their runs of spaces, as the raster draws them.
    Put(" xml:space=\"preserve\">\n<title>");
    PutText(title_);
    Put("</title>\n");
    if (!description_.isEmpty()) {
        Put("<desc>");
        PutText(description_);
        Put("</desc>\n");
    }
    return !failed_;
}

bool SvgPaintEngine::end() {
    ClosePath();
    CloseGroup();
    if (writtenClip_.On) {
        Put("</g>\n");
    }
    Put("</svg>\n");
    Flush();
    // A file writes through its own buffer; its errors show when that is emptied.
    if (auto* file = qobject_cast<QFileDevice*>(&output_); file != nullptr && !failed_) {
        failed_ = !file->flush();
    }
    return !failed_;
}

void SvgPaintEngine::updateState(const QPaintEngineState& changed) {
    const DirtyFlags flags = changed.state();
    if (flags & DirtyPen) {
        pen_ = changed.pen();
    }
    if (flags & DirtyBrush) {
        brush_ = changed.brush();
    }
    if (flags & DirtyOpacity) {
        opacity_ = changed.opacity();
    }
    // Before the clip: a clip is given in the coordinates of the transform set with it.
    if (flags & DirtyTransform) {
        transform_ = changed.transform();
    }
    if (flags & DirtyClipRegion) {
        QPainterPath path;
        path.addRegion(changed.clipRegion());
        ApplyClip(path, changed.clipOperation());
    }
    if (flags & DirtyClipPath) {
        ApplyClip(changed.clipPath(), changed.clipOperation());
    }
    if (flags & DirtyClipEnabled) {
        clip_.On = changed.isClipEnabled();
    }
    clipChanged_ = clipChanged_ || (flags & (DirtyClipRegion | DirtyClipPath | DirtyClipEnabled));
}

void SvgPaintEngine::ApplyClip(const QPainterPath& path, Qt::ClipOperation operation) {
    const QPainterPath mapped = transform_.map(path);
    switch (operation) {
    case Qt::NoClip:
        clip_ = Clip{};
        break;
    case Qt::ReplaceClip:
        clip_ = Clip{true, mapped};
        break;
    case Qt::IntersectClip:
        clip_.Path = clip_.On ? clip_.Path.intersected(mapped) : mapped;
        clip_.On = true;
        break;
    }
}

// A shape's fill and outline from the brush and the pen; only solid ones
// reach the engine, since the features it lacks are emulated with images.
Style SvgPaintEngine::ShapeStyle(bool fill, bool evenOdd) const {
    Style style;
    style.Transform = transform_;
    style.Fill = fill && brush_.style() != Qt::NoBrush;
    if (style.Fill) {
        style.FillColor = WithAlpha(brush_.color(), opacity_);
        style.EvenOdd = evenOdd;
    }
    style.Stroke = pen_.style() != Qt::NoPen;
    if (style.Stroke) {
        style.StrokeColor = WithAlpha(pen_.color(), opacity_);
        // A cosmetic pen keeps its width on the device, at least one unit.
        style.NonScaling = pen_.isCosmetic();
        style.StrokeWidth = pen_.widthF() > 0.0 ? pen_.widthF() : 1.0;
        style.Cap = pen_.capStyle();
        const Qt::PenJoinStyle join = pen_.joinStyle();
        style.Join = join == Qt::SvgMiterJoin ? Qt::MiterJoin : join;
        if (style.Join == Qt::MiterJoin) {
            style.MiterLimit = pen_.miterLimit();
        }
    }
    return style;
}

// Merging leaves the picture as it is only where the overlaps of the shapes
// look the same: opaque outlines, or opaque fills that all wind one way.
bool SvgPaintEngine::Mergeable(const Style& style, bool oneWinding) {
    if (style.Stroke) {
        return !style.Fill && qAlpha(style.StrokeColor) == 255;
    }
    return oneWinding && style.Fill && qAlpha(style.FillColor) == 255;
}

void SvgPaintEngine::SyncClip() {
    if (!clipChanged_) {
        return;
    }
    clipChanged_ = false;
    if (clip_ == writtenClip_) {
        return;
    }
    ClosePath();
    CloseGroup();
    if (writtenClip_.On) {
        Put("</g>\n");
    }
    writtenClip_ = clip_;
    if (!clip_.On) {
        return;
    }
    ++clipCount_;
    // In defs: a reader that knows no clipping then ignores it rather than
    // drawing its path.
    Put("<defs><clipPath id=\"c");
    Put(Number(clipCount_, 0));
    Put("\"><path");
    if (clip_.Path.fillRule() == Qt::OddEvenFill) {
        Put(" clip-rule=\"evenodd\"");
    }
    Put(" d=\"");
    current_ = subpathStart_ = {};
    command_ = 0;
    afterNumber_ = false;
    WritePath(clip_.Path);
    Put("\"/></clipPath></defs>\n<g clip-path=\"url(#c");
    Put(Number(clipCount_, 0));
    Put(")\">\n");
}

void SvgPaintEngine::UseGroup(const Style& style) {
    if (groupOpen_ && style == group_) {
        return;
    }
    CloseGroup();
    groupOpen_ = true;
    group_ = style;
    groupTagged_ = !(style == Style{});
    if (!groupTagged_) {
        return;
    }
    const Style root;
    Put("<g");
    if (!style.Fill) {
        Put(" fill=\"none\"");
    } else {
        if ((style.FillColor & 0xFFFFFFu) != (root.FillColor & 0xFFFFFFu)) {
            Put(" fill=\"");
            PutColor(style.FillColor);
            Put('"');
        }
        if (qAlpha(style.FillColor) != 255) {
            PutAttribute("fill-opacity", qAlpha(style.FillColor) / 255.0, kOpacityDecimals);
        }
        if (style.EvenOdd) {
            Put(" fill-rule=\"evenodd\"");
        }
    }
    if (style.Stroke) {
        Put(" stroke=\"");
        PutColor(style.StrokeColor);
        Put('"');
        if (qAlpha(style.StrokeColor) != 255) {
            PutAttribute("stroke-opacity", qAlpha(style.StrokeColor) / 255.0, kOpacityDecimals);
        }
        if (style.StrokeWidth != root.StrokeWidth) {
            PutAttribute("stroke-width", style.StrokeWidth);
        }
        if (style.NonScaling) {
            Put(" vector-effect=\"non-scaling-stroke\"");
        }
        if (style.Cap == Qt::SquareCap) {
            Put(" stroke-linecap=\"square\"");
        } else if (style.Cap == Qt::RoundCap) {
            Put(" stroke-linecap=\"round\"");
        }
        if (style.Join == Qt::BevelJoin) {
            Put(" stroke-linejoin=\"bevel\"");
        } else if (style.Join == Qt::RoundJoin) {
            Put(" stroke-linejoin=\"round\"");
        }
        if (style.MiterLimit != root.MiterLimit) {
            PutAttribute("stroke-miterlimit", style.MiterLimit);
        }
    }
    if (!style.Family.isEmpty()) {
        Put(" font-family=\"");
        PutText(style.Family);
        Put('"');
        PutAttribute("font-size", style.FontSize);
        if (style.Weight != root.Weight) {
            PutAttribute("font-weight", style.Weight, 0);
        }
        if (style.Italic) {
            Put(" font-style=\"italic\"");
        }
    }
    if (!style.Transform.isIdentity()) {
        const QTransform& t = style.Transform;
        Put(" transform=\"matrix(");
        PutNumber(t.m11(), kMatrixDecimals);
        Put(' ');
        PutNumber(t.m12(), kMatrixDecimals);
        Put(' ');
        PutNumber(t.m21(), kMatrixDecimals);
        Put(' ');
        PutNumber(t.m22(), kMatrixDecimals);
        Put(' ');
        PutNumber(t.dx());
        Put(' ');
        PutNumber(t.dy());
        Put(")\"");
    }
    Put(">\n");
}

void SvgPaintEngine::CloseGroup() {
    ClosePath();
    if (groupOpen_ && groupTagged_) {
        Put("</g>\n");
    }
    groupOpen_ = false;
}

void SvgPaintEngine::BeginElement(const Style& style) {
    SyncClip();
    ClosePath();
    UseGroup(style);
}

void SvgPaintEngine::BeginPath(const Style& style, bool merge) {
    SyncClip();
    if (pathOpen_ && merge && pathMerges_ && style == group_ &&
        Written() - pathStart_ < kMergedPathBytes) {
        return;
    }
    ClosePath();
    UseGroup(style);
    Put("<path d=\"");
    pathOpen_ = true;
    pathMerges_ = merge;
    pathStart_ = Written();
    // A relative move at the start of a path is absolute.
    current_ = subpathStart_ = {};
    command_ = 0;
    afterNumber_ = false;
}

void SvgPaintEngine::ClosePath() {
    if (pathOpen_) {
        Put("\"/>\n");
        pathOpen_ = false;
    }
}

// A command letter is left out where the previous one repeats, and after a
// move, whose further pairs are lines.
void SvgPaintEngine::Command(char command) {
    if (command == command_ && command != 'm' && command != 'z') {
        return;
    }
    Put(command);
    command_ = command == 'm' ? 'l' : command;
    afterNumber_ = false;
}

// Numbers need no separator before a minus sign, nor before a point when
// the previous number has one.
void SvgPaintEngine::Coordinate(std::int64_t value) {
    const Number number(value, kCoordinateDecimals);
    if (afterNumber_ && number.Text[0] != '-' && !(numberHadPoint_ && number.Text[0] == '.')) {
        Put(' ');
    }
    Put(number);
    afterNumber_ = true;
    numberHadPoint_ = number.HasPoint();
}

void SvgPaintEngine::MoveTo(const QPointF& point) {
    const Hundredths p = Round(point);
    Command('m');
    Coordinate(p.X - current_.X);
    Coordinate(p.Y - current_.Y);
    current_ = subpathStart_ = p;
}

void SvgPaintEngine::LineTo(const QPointF& point) {
    const Hundredths p = Round(point);
    const std::int64_t dx = p.X - current_.X;
    const std::int64_t dy = p.Y - current_.Y;
    if (dy == 0) {
        Command('h');
        Coordinate(dx);
    } else if (dx == 0) {
        Command('v');
        Coordinate(dy);
    } else {
        Command('l');
        Coordinate(dx);
        Coordinate(dy);
    }
    current_ = p;
}

void SvgPaintEngine::CurveTo(const QPointF& c1, const QPointF& c2, const QPointF& end) {
    Command('c');
    for (const QPointF& point : {c1, c2, end}) {
        const Hundredths p = Round(point);
        Coordinate(p.X - current_.X);
        Coordinate(p.Y - current_.Y);
    }
    current_ = Round(end);
}

void SvgPaintEngine::CloseSubpath() {
    Command('z');
    current_ = subpathStart_;
}

// Qt strokes a subpath that ends where it starts as closed, with a join
// there rather than two caps; "z" says so in SVG.
void SvgPaintEngine::WritePath(const QPainterPath& path) {
    const int count = path.elementCount();
    auto endsSubpath = [&](int i) {
        return i + 1 >= count || path.elementAt(i + 1).type == QPainterPath::MoveToElement;
    };
    for (int i = 0; i < count; ++i) {
        const QPainterPath::Element& e = path.elementAt(i);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            MoveTo(e);
            break;
        case QPainterPath::LineToElement:
            if (endsSubpath(i) && Round(e) == subpathStart_) {
                CloseSubpath();
            } else {
                LineTo(e);
            }
            break;
        case QPainterPath::CurveToElement:
            if (i + 2 < count) {
                CurveTo(e, path.elementAt(i + 1), path.elementAt(i + 2));
                i += 2;
                if (endsSubpath(i) && current_ == subpathStart_) {
                    CloseSubpath();
                }
            }
            break;
        case QPainterPath::CurveToDataElement:
            break; // consumed with its curve
        }
    }
}

void SvgPaintEngine::WritePolyline(const QPointF* points, int count, bool closed) {
    MoveTo(points[0]);
    for (int i = 1; i < count; ++i) {
        if (i == count - 1 && Round(points[i]) == subpathStart_) {
            closed = true;
        } else {
            LineTo(points[i]);
        }
    }
    if (closed) {
        CloseSubpath();
    }
}

void SvgPaintEngine::drawRects(const QRectF* rects, int count) {
    const Style style = ShapeStyle(true);
    if (!style.Fill && !style.Stroke) {
        return;
    }
    const bool merge = Mergeable(style, true);
    for (int i = 0; i < count; ++i) {
        const QRectF r = rects[i].normalized();
        if (!style.Stroke && r.isEmpty()) {
            continue;
        }
        BeginPath(style, merge);
        MoveTo(r.topLeft());
        LineTo(r.topRight());
        LineTo(r.bottomRight());
        LineTo(r.bottomLeft());
        CloseSubpath();
    }
}

void SvgPaintEngine::drawLines(const QLineF* lines, int count) {
    const Style style = ShapeStyle(false);
    if (!style.Stroke) {
        return;
    }
    const bool merge = Mergeable(style, false);
    for (int i = 0; i < count; ++i) {
        BeginPath(style, merge);
        MoveTo(lines[i].p1());
        LineTo(lines[i].p2());
    }
}

void SvgPaintEngine::drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) {
    const bool polyline = mode == PolylineMode;
    const Style style = ShapeStyle(!polyline, mode == OddEvenMode);
    if (count < 1 || (!style.Fill && !style.Stroke)) {
        return;
    }
    BeginPath(style, Mergeable(style, false));
    WritePolyline(points, count, !polyline);
}

void SvgPaintEngine::drawPath(const QPainterPath& path) {
    const Style style = ShapeStyle(true, path.fillRule() == Qt::OddEvenFill);
    if (path.isEmpty() || (!style.Fill && !style.Stroke)) {
        return;
    }
    BeginPath(style, Mergeable(style, false));
    WritePath(path);
}

void SvgPaintEngine::drawEllipse(const QRectF& rect) {
    const Style style = ShapeStyle(true);
    if (!style.Fill && !style.Stroke) {
        return;
    }
    BeginElement(style);
    const QRectF r = rect.normalized();
    const std::int64_t rx = Scaled(r.width() / 2.0, kCoordinateDecimals);
    const std::int64_t ry = Scaled(r.height() / 2.0, kCoordinateDecimals);
    Put(rx == ry ? "<circle" : "<ellipse");
    PutAttribute("cx", r.center().x());
    PutAttribute("cy", r.center().y());
    if (rx == ry) {
        Put(" r=\"");
        Put(Number(rx, kCoordinateDecimals));
    } else {
        Put(" rx=\"");
        Put(Number(rx, kCoordinateDecimals));
        Put("\" ry=\"");
        Put(Number(ry, kCoordinateDecimals));
    }
    Put("\"/>\n");
}

// Text in the pen's colour, as QPainter draws it. Qt hands over a run of
// text per font it falls back to, each at its own position; right-to-left
// runs are left to the reader's own layout.
void SvgPaintEngine::drawTextItem(const QPointF& position, const QTextItem& item) {
    if (pen_.style() == Qt::NoPen) {
        return;
    }
    const QFont font = item.font();
    Style style;
    style.Transform = transform_;
    style.FillColor = WithAlpha(pen_.color(), opacity_);
    style.Family = font.family();
    style.FontSize =
        font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * kUnitsPerInch / 72.0;
    style.Weight = font.weight();
    style.Italic = font.style() != QFont::StyleNormal;
    BeginElement(style);
    Put("<text");
    PutAttribute("x", position.x());
    PutAttribute("y", position.y());
    Put('>');
    PutText(item.text());
    Put("</text>\n");
}

SvgPaintDevice::SvgPaintDevice(QIODevice& output, QSize units, const QString& title,
                               const QString& description)
    : units_(units), engine_(std::make_unique<SvgPaintEngine>(output, units, title, description)) {}

SvgPaintDevice::~SvgPaintDevice() = default;

QPaintEngine* SvgPaintDevice::paintEngine() const {
    return engine_.get();
}

int SvgPaintDevice::metric(PaintDeviceMetric metric) const {
    switch (metric) {
    case PdmWidth:
        return units_.width();
    case PdmHeight:
        return units_.height();
    case PdmWidthMM:
        return qRound(units_.width() * kMillimetresPerInch / kUnitsPerInch);
    case PdmHeightMM:
        return qRound(units_.height() * kMillimetresPerInch / kUnitsPerInch);
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return kUnitsPerInch;
    case PdmNumColors:
        return 0x7FFFFFFF;
    case PdmDepth:
        return 32;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return static_cast<int>(devicePixelRatioFScale());
    }
    return QPaintDevice::metric(metric);
}
