#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

#include "figure_render.h"
#include "line_view.h"
#include "painter_canvas.h"
#include "plot_geometry.h"
#include "plot_pass.h"
#include "raster_canvas.h"
#include "svg_paint_device.h"
#include "test_plot_inputs.h"

namespace {

constexpr int kW = 553;
constexpr int kH = 529;

struct Figure {
    int fileType = 1; // site means with their circles
    int plotType = 0;
    int errorCircleMode = 0;
    QString title = QStringLiteral("Site means, Fisher and fit");
    QString fileName = QStringLiteral("sites.txt");
    bool statistics = true; // the Fisher mean and the great-circle fit
};

// Passes the raster canvas's calls on and notes every text's cell: the
// vector output draws its glyphs from outlines, so the pixel comparisons
// leave the cells out.
class TextCellCanvas final : public Canvas {
public:
    explicit TextCellCanvas(Canvas& inner) : inner_(inner) {}
    std::vector<QRect> cells;

    int Width() const override { return inner_.Width(); }
    int Height() const override { return inner_.Height(); }
    void SetBrushColor(const QColor& c) override { inner_.SetBrushColor(c); }
    void SetPenWidth(int w) override { inner_.SetPenWidth(w); }
    void SetInkColor(const QColor& c) override { inner_.SetInkColor(c); }
    QColor InkColor() const override { return inner_.InkColor(); }
    void RequestFixedPitch() override { inner_.RequestFixedPitch(); }
    void Rectangle(int l, int t, int r, int b) override { inner_.Rectangle(l, t, r, b); }
    void Ellipse(int l, int t, int r, int b) override { inner_.Ellipse(l, t, r, b); }
    void MoveTo(int x, int y) override { inner_.MoveTo(x, y); }
    void LineTo(int x, int y) override { inner_.LineTo(x, y); }
    void SetPixel(int x, int y, const QColor& c) override { inner_.SetPixel(x, y, c); }
    void SetPixels(const QPoint* p, int n, const QColor& c) override { inner_.SetPixels(p, n, c); }
    void TextOut(int x, int y, const QString& text) override {
        cells.emplace_back(x, y, TextWidth(text), TextHeight(text));
        inner_.TextOut(x, y, text);
    }
    int TextHeight(const QString& t) const override { return inner_.TextHeight(t); }
    int TextWidth(const QString& t) const override { return inner_.TextWidth(t); }

private:
    Canvas& inner_;
};

// One figure, drawn on the raster as the window draws it, and the callback
// that draws it again for a renderer.
struct Drawn {
    explicit Drawn(const Figure& f)
        : lines(QStringLiteral("20 40 8\n35 55 12\n10 30 5\n350 60 15\n200 -30 10\n60 -10 20\n")),
          raster(kW, kH, QImage::Format_RGB32) {
        PlotOptions options;
        options.FileType = f.fileType;
        options.PlotType = f.plotType;
        options.ErrorCircles = static_cast<ErrorCircleMode>(f.errorCircleMode);
        options.FisherMean = f.statistics;
        options.GreatCircleFit = f.statistics;
        options.Title = f.title;
        options.FileName = f.fileName;
        inputs = TestPlotInputs(lines, options);
        raster.fill(Qt::white);
        RasterCanvas rasterCanvas(raster);
        TextCellCanvas recorder(rasterCanvas);
        Draw(recorder);
        cells = recorder.cells;
    }
    void Draw(Canvas& canvas) { DrawPlot(canvas, inputs, report); }
    DrawOnCanvas Callback() {
        return [this](Canvas& canvas) { Draw(canvas); };
    }
    FigureOptions Options() const {
        FigureOptions options;
        options.Title = inputs.Options.Title;
        return options;
    }

    LineView lines;
    PlotInputs inputs;
    PlotReport report;
    QImage raster;
    std::vector<QRect> cells;
};

bool IsBlack(QRgb p) {
    return (p & 0xFFFFFFu) == 0;
}
// Antialiased output: at least half covered.
bool IsInk(QRgb p) {
    return qGray(p) < 128;
}

QByteArray SvgOf(const FigureOptions& options, const DrawOnCanvas& draw) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(RenderSvg(options, draw, buffer));
    return buffer.data();
}

QByteArray PdfOf(const FigureOptions& options, const DrawOnCanvas& draw) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(RenderPdf(options, draw, buffer));
    return buffer.data();
}

// What an XML reader finds in an SVG file.
struct SvgContent {
    QString error;
    QString title;
    QStringList texts;
    QStringList elements;
};

SvgContent ReadSvg(const QByteArray& svg) {
    SvgContent content;
    QXmlStreamReader xml(svg);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        content.elements << xml.name().toString();
        if (xml.name() == u"title") {
            content.title = xml.readElementText();
        } else if (xml.name() == u"text") {
            content.texts << xml.readElementText();
        }
    }
    if (xml.hasError()) {
        content.error = xml.errorString();
    }
    return content;
}

// A picture drawn scale times the raster's size against the raster, text
// cells aside: each raster pixel stands for its scale x scale block, and
// "near" is at most margin picture pixels from it.
struct Comparison {
    const QImage& raster;
    const QImage& picture;
    int scale = 1;
    int margin = 0;
    std::vector<QRect> cells;
    // What counts as drawn in the raster: black, or ink where it is itself
    // an antialiased picture.
    bool (*RasterInk)(QRgb) = IsBlack;

    bool InText(int rx, int ry) const {
        return std::any_of(cells.begin(), cells.end(),
                           [&](const QRect& c) { return c.contains(rx, ry); });
    }
    // Ink of the picture near no black raster pixel.
    int StrayInk() const {
        int stray = 0;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                if (!IsInk(picture.pixel(x, y)) || InText(x / scale, y / scale)) {
                    continue;
                }
                bool near = false;
                for (int ry = std::max(0, (y - margin) / scale);
                     ry <= std::min(raster.height() - 1, (y + margin) / scale) && !near; ++ry) {
                    for (int rx = std::max(0, (x - margin) / scale);
                         rx <= std::min(raster.width() - 1, (x + margin) / scale) && !near; ++rx) {
                        near = RasterInk(raster.pixel(rx, ry));
                    }
                }
                stray += near ? 0 : 1;
            }
        }
        return stray;
    }
    // Black raster pixels with no ink of the picture near.
    int Uncovered() const {
        int uncovered = 0;
        for (int ry = 0; ry < raster.height(); ++ry) {
            for (int rx = 0; rx < raster.width(); ++rx) {
                if (!RasterInk(raster.pixel(rx, ry)) || InText(rx, ry)) {
                    continue;
                }
                bool near = false;
                for (int y = std::max(0, ry * scale - margin);
                     y <= std::min(picture.height() - 1, ry * scale + scale - 1 + margin) && !near;
                     ++y) {
                    for (int x = std::max(0, rx * scale - margin);
                         x <= std::min(picture.width() - 1, rx * scale + scale - 1 + margin) &&
                         !near;
                         ++x) {
                        near = IsInk(picture.pixel(x, y));
                    }
                }
                uncovered += near ? 0 : 1;
            }
        }
        return uncovered;
    }
};

// The SVG as a renderer draws it back at its own size on white; a null
// image when the renderer is not installed.
QImage QtDrawsBack(const QByteArray& svg, QSize size = QSize(kW, kH)) {
    QSvgRenderer renderer(svg);
    EXPECT_TRUE(renderer.isValid());
    QImage back(size, QImage::Format_RGB32);
    back.fill(Qt::white);
    QPainter painter(&back);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(QPointF(0, 0), size));
    return back;
}

QImage RsvgDrawsBack(const QByteArray& svg) {
    const QString rsvg = QStandardPaths::findExecutable(QStringLiteral("rsvg-convert"));
    if (rsvg.isEmpty()) {
        return {};
    }
    QProcess process;
    process.start(rsvg, {QStringLiteral("--background-color=white")});
    process.write(svg);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return QImage::fromData(process.readAllStandardOutput(), "PNG")
        .convertToFormat(QImage::Format_RGB32);
}

// What the vector canvas paints on an image at the picture's own size.
QImage Painted(Drawn& drawn) {
    QImage image(kW, kH, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    PainterCanvas canvas(painter, image.size());
    drawn.Draw(canvas);
    return image;
}

TEST(FigureRenderTest, SvgDrawnBackShowsThePaintedPicture) {
    const Figure figures[] = {
        {}, {.fileType = 0, .plotType = 1}, {.plotType = 2, .errorCircleMode = 2}};
    for (const Figure& figure : figures) {
        Drawn drawn(figure);
        const QImage painted = Painted(drawn);
        const QByteArray svg = SvgOf(drawn.Options(), drawn.Callback());
        const struct {
            const char* renderer;
            QImage back;
        } renderings[] = {{"QSvgRenderer", QtDrawsBack(svg)}, {"rsvg", RsvgDrawsBack(svg)}};
        for (const auto& rendering : renderings) {
            SCOPED_TRACE(testing::Message()
                         << rendering.renderer << ", file type " << figure.fileType
                         << ", plot type " << figure.plotType);
            if (rendering.back.isNull()) {
                continue; // rsvg-convert is not installed
            }
            ASSERT_EQ(rendering.back.size(), QSize(kW, kH));
            // At most one pixel apart, either way; glyphs aside.
            const Comparison c{painted, rendering.back, 1, 1, drawn.cells, IsInk};
            EXPECT_EQ(c.Uncovered(), 0);
            EXPECT_EQ(c.StrayInk(), 0);
        }
    }
}

// Shapes beyond the canvas's, as a painter sends them: through the SVG
// device and back they cover what the same painting covers on an image -
// scaled, clipped, an odd-even star with an empty middle, a curve, and a
// line of many small steps (whose numbers run together in the path data).
TEST(FigureRenderTest, SvgDeviceDrawsWhatThePainterDraws) {
    const QSize size(160, 120);
    const auto paint = [](QPainter& p) {
        p.scale(2, 2);
        p.setClipRect(QRectF(4, 4, 72, 52));
        p.fillRect(QRectF(0, 0, 80, 8), Qt::black);
        QPolygonF star;
        for (int k = 0; k < 5; ++k) {
            const double a = (-90.0 + 144.0 * k) * std::numbers::pi / 180.0;
            star << QPointF(20.0 + 14.0 * std::cos(a), 32.0 + 14.0 * std::sin(a));
        }
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawPolygon(star, Qt::OddEvenFill);
        QPainterPath wave(QPointF(40.0, 45.0));
        for (int i = 1; i <= 60; ++i) {
            wave.lineTo(40.0 + 0.5 * i, 45.0 + 4.0 * std::sin(i / 5.0));
        }
        p.strokePath(wave, QPen(Qt::black, 1.0));
        QPainterPath curve(QPointF(40.25, 20.5));
        curve.cubicTo(50.75, 8.25, 60.5, 40.75, 70.25, 20.5);
        p.strokePath(curve, QPen(Qt::black, 1.5));
        p.setPen(QPen(Qt::black, 1.0));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(44.0, 28.0, 20.0, 10.0));
    };
    QImage painted(size, QImage::Format_RGB32);
    painted.fill(Qt::white);
    {
        QPainter painter(&painted);
        paint(painter);
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        SvgPaintDevice device(buffer, size, QStringLiteral("Shapes"), QString());
        QPainter painter(&device);
        paint(painter);
        EXPECT_TRUE(painter.end());
    }
    // Qt's renderer knows no clipping (SVG Tiny): its picture counts only
    // inside the clip.
    QImage qtBack = QtDrawsBack(buffer.data(), size);
    {
        QPainter painter(&qtBack);
        painter.setClipRegion(QRegion(qtBack.rect()).subtracted(QRegion(8, 8, 144, 104)));
        painter.fillRect(qtBack.rect(), Qt::white);
    }
    const struct {
        const char* renderer;
        QImage back;
    } renderings[] = {{"QSvgRenderer", qtBack}, {"rsvg", RsvgDrawsBack(buffer.data())}};
    for (const auto& rendering : renderings) {
        SCOPED_TRACE(rendering.renderer);
        if (rendering.back.isNull()) {
            continue;
        }
        ASSERT_EQ(rendering.back.size(), size);
        const Comparison c{painted, rendering.back, 1, 1, {}};
        EXPECT_EQ(c.Uncovered(), 0);
        EXPECT_EQ(c.StrayInk(), 0);
    }
}

// Titles and file names are the user's text: in the SVG they are text, never
// markup, and what XML cannot hold (control characters) is U+FFFD.
TEST(FigureRenderTest, SvgTextsAreEscapedAndControlCharactersReplaced) {
    const QString r(QChar(0xFFFD));
    const struct {
        QString title;
        QString fileName;
        QString shownTitle;    // in <title>; null: the title itself
        QString drawnTitle;    // in the drawn texts; null: as shown
        QString drawnFileName; // null: the file name itself
    } rows[] = {
        {QStringLiteral("Sites A & B"), QStringLiteral("a&b <1>.txt"), {}, {}, {}},
        {QStringLiteral("</title><script>alert(1)</script><title>"),
         QStringLiteral("\"><script>x</script>.txt"),
         {},
         {},
         {}},
        // Qt lays a tab or a line break out as a gap between two runs of text.
        {QStringLiteral("Ti\x01tle\x1f\x7f\t\n"), QStringLiteral("fi\x02le\r\u0085.txt"),
         QStringLiteral("Ti") + r + QStringLiteral("tle") + r + r + r + r,
         QStringLiteral("Ti") + r + QStringLiteral("tle") + r + r,
         QStringLiteral("fi") + r + QStringLiteral("le") + r + r + QStringLiteral(".txt")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.title.toStdString());
        Drawn drawn({.title = row.title, .fileName = row.fileName});
        const QByteArray svg = SvgOf(drawn.Options(), drawn.Callback());
        const SvgContent content = ReadSvg(svg);
        EXPECT_TRUE(content.error.isEmpty()) << content.error.toStdString();
        EXPECT_FALSE(content.elements.contains(QStringLiteral("script")));
        const QString title = row.shownTitle.isNull() ? row.title : row.shownTitle;
        EXPECT_EQ(content.title.toStdString(), title.toStdString());
        // The title line and the file line drawn on the plot.
        const QString texts = content.texts.join(QString());
        EXPECT_TRUE(texts.contains(row.drawnTitle.isNull() ? title : row.drawnTitle))
            << texts.toStdString();
        EXPECT_TRUE(texts.contains(row.drawnFileName.isNull() ? row.fileName : row.drawnFileName))
            << texts.toStdString();
        // Line breaks between elements are the only control characters.
        for (const char c : svg) {
            ASSERT_TRUE(static_cast<unsigned char>(c) >= 0x20 || c == '\n') << int(c);
        }
        EXPECT_FALSE(svg.contains("\xC2\x85"));
    }
}

// 1,000 site means with their circles, the Fisher mean and the fit.
struct ThousandSiteMeans {
    ThousandSiteMeans() : lines(Text()) {
        PlotOptions options;
        options.FileType = 1;
        options.ErrorCircles = ErrorCircleMode::Circles;
        options.FisherMean = true;
        options.GreatCircleFit = true;
        inputs = TestPlotInputs(lines, options);
    }
    static QString Text() {
        QString text;
        for (int i = 0; i < 1000; ++i) {
            text += QStringLiteral("%1 %2 %3\n")
                        .arg(i * 37 % 360)
                        .arg(i * 53 % 170 - 85)
                        .arg(1 + i % 25);
        }
        return text;
    }
    LineView lines;
    PlotInputs inputs;
};

// The file goes to its output while it is drawn, not at the end, and a
// refused write is reported.
TEST(FigureRenderTest, SvgIsStreamedToItsOutput) {
    const ThousandSiteMeans sites;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    qint64 writtenWhileDrawing = 0;
    const DrawOnCanvas draw = [&](Canvas& canvas) {
        PlotReport report;
        DrawPlot(canvas, sites.inputs, report);
        writtenWhileDrawing = buffer.size();
    };
    ASSERT_TRUE(RenderSvg(FigureOptions(), draw, buffer));
    EXPECT_GT(writtenWhileDrawing, 0);
    EXPECT_GT(buffer.size(), writtenWhileDrawing);
    EXPECT_TRUE(ReadSvg(buffer.data()).error.isEmpty());

    // A full disk: the first write fails.
    class RefusingDevice final : public QIODevice {
    protected:
        qint64 readData(char*, qint64) override { return -1; }
        qint64 writeData(const char*, qint64) override { return -1; }
    } refusing;
    refusing.open(QIODevice::WriteOnly);
    EXPECT_FALSE(RenderSvg(FigureOptions(), draw, refusing));
    QBuffer closed;
    EXPECT_FALSE(RenderSvg(FigureOptions(), draw, closed));
    EXPECT_FALSE(RenderPdf(FigureOptions(), draw, closed));
}

// A journal's limits: the figure of 1,000 site means with circles, the
// Fisher mean and the fit in at most 1 MB of SVG and 250 KB of PDF. Smooth
// curves of as many pieces as they need make it so; 360 squares per circle
// took 1.29 MB and 402 KB.
TEST(FigureRenderTest, FiguresOfAThousandSiteMeansAreSmall) {
    const ThousandSiteMeans sites;
    const DrawOnCanvas draw = [&](Canvas& canvas) {
        PlotReport report;
        DrawPlot(canvas, sites.inputs, report);
    };
    const QByteArray svg = SvgOf(FigureOptions(), draw);
    const QByteArray pdf = PdfOf(FigureOptions(), draw);
    EXPECT_LE(svg.size(), 1000 * 1000);
    EXPECT_LE(pdf.size(), 250 * 1000);
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_TRUE(ReadSvg(svg).error.isEmpty());
}

TEST(FigureRenderTest, SvgHasTheViewBoxTitleAndRealText) {
    Drawn drawn({});
    FigureOptions options = drawn.Options();
    const QString svg = QString::fromUtf8(SvgOf(options, drawn.Callback()));
    EXPECT_TRUE(svg.contains(QStringLiteral("viewBox=\"0 0 553 529\"")));
    EXPECT_TRUE(svg.contains(QStringLiteral("<title>Site means, Fisher and fit</title>")));
    EXPECT_EQ(svg.count(QStringLiteral("<text")), static_cast<qsizetype>(drawn.cells.size()));
    EXPECT_TRUE(svg.contains(drawn.report.GreatCircleLines.at(0) + QStringLiteral("</text>")));
    options.Title.clear();
    EXPECT_TRUE(QString::fromUtf8(SvgOf(options, drawn.Callback()))
                    .contains(QStringLiteral("<title>Quorvex plot</title>")));
}

TEST(FigureRenderTest, PdfTextLayerHoldsTitleModeAndResultLines) {
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty()) {
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    }
    Drawn drawn({});
    const QByteArray pdf = PdfOf(drawn.Options(), drawn.Callback());
    // One page the picture's size at 96 dpi, in whole points.
    EXPECT_TRUE(pdf.contains("/MediaBox [0 0 415.000000 397.000000]"));
    QProcess process;
    process.start(pdftotext, {QStringLiteral("-raw"), QStringLiteral("-"), QStringLiteral("-")});
    process.write(pdf);
    process.closeWriteChannel();
    ASSERT_TRUE(process.waitForFinished(30000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    // pdftotext folds runs of spaces; the expected texts are folded alike.
    QStringList found;
    for (const QString& line : QString::fromUtf8(process.readAllStandardOutput()).split(u'\n')) {
        found << line.simplified();
    }
    QStringList expected = {drawn.inputs.Options.Title + QStringLiteral("   ") +
                                drawn.inputs.Environment.Today,
                            QStringLiteral("Equal area, Local coords, Open=upper hemi")};
    expected << drawn.report.FisherLines << drawn.report.GreatCircleLines;
    ASSERT_EQ(expected.size(), 8);
    for (const QString& text : expected) {
        EXPECT_TRUE(found.contains(text.simplified())) << text.toStdString();
    }
}

// Marks, cross, ticks, frame and text cells keep the raster's places: the
// scaled drawing of a figure without circles lies on the raster's pixels.
TEST(FigureRenderTest, ScaledPngLiesOnTheRastersPixelBlocks) {
    Drawn drawn({.errorCircleMode = 1, .statistics = false});
    const QImage png = QImage::fromData(RenderPng(drawn.Options(), 4, drawn.Callback()), "PNG");
    ASSERT_EQ(png.size(), QSize(2212, 2116));
    EXPECT_EQ(png.dotsPerMeterX(), qRound(4 * 96 / 0.0254));
    // The exact stroke of a mark's line reaches its end, whose pixel the
    // raster leaves unset, and its square cap half a unit beyond: 1.5 raster
    // pixels, six here.
    const Comparison c{drawn.raster, png, 4, 6, drawn.cells};
    EXPECT_EQ(c.StrayInk(), 0);
    EXPECT_EQ(c.Uncovered(), 0);
    for (int scale : {0, 1, 9}) {
        EXPECT_TRUE(RenderPng(drawn.Options(), scale, drawn.Callback()).isEmpty()) << scale;
    }
}

// Where the raster's pixels line up with the vector shapes, the scaled
// drawing inks exactly their blocks: end pixels left out, pen centres,
// rectangle edges, merged dots.
TEST(FigureRenderTest, AxisAlignedPrimitivesInkExactlyTheRastersPixels) {
    const QSize units(32, 24);
    const QPoint dots[] = {{2, 2}, {3, 2}, {3, 2}, {4, 3}, {9, 9}, {-1, 4}, {40, 4}, {9, 10}};
    const std::function<void(Canvas&)> rows[] = {
        [](Canvas& c) { c.MoveTo(3, 5), c.LineTo(20, 5), c.MoveTo(20, 7), c.LineTo(3, 7); },
        [](Canvas& c) { c.MoveTo(4, 2), c.LineTo(4, 22), c.MoveTo(6, 22), c.LineTo(6, 2); },
        [](Canvas& c) { c.MoveTo(10, 10), c.LineTo(10, 11); },
        [](Canvas& c) { c.SetPenWidth(2), c.MoveTo(3, 12), c.LineTo(20, 12), c.LineTo(20, 2); },
        [](Canvas& c) { c.SetPenWidth(3), c.MoveTo(3, 12), c.LineTo(20, 12); },
        [](Canvas& c) { c.Rectangle(2, 3, 30, 20); },
        [](Canvas& c) { c.Rectangle(-5, 4, 50, 40); },
        [&](Canvas& c) { c.SetPixels(dots, 8, Qt::black), c.SetPixel(0, 23, Qt::black); },
    };
    int row = 0;
    for (const auto& draw : rows) {
        SCOPED_TRACE(row++);
        QImage raster(units, QImage::Format_RGB32);
        raster.fill(Qt::white);
        RasterCanvas rasterCanvas(raster);
        draw(rasterCanvas);
        QImage vector(units * 4, QImage::Format_RGB32);
        vector.fill(Qt::white);
        QPainter painter(&vector);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(4, 4);
        PainterCanvas canvas(painter, units);
        draw(canvas);
        painter.end();
        const Comparison c{raster, vector, 4, 0, {}};
        EXPECT_EQ(c.StrayInk(), 0);
        EXPECT_EQ(c.Uncovered(), 0);
    }
}

TEST(FigureRenderTest, TextIsBlackOnAnOpaqueCellOfTheBrush) {
    QImage image(60, 30, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    PainterCanvas canvas(painter, image.size());
    canvas.SetBrushColor(Qt::white);
    canvas.TextOut(4, 6, QStringLiteral("N270"));
    const QRect cell(4, 6, canvas.TextWidth(QStringLiteral("N270")), canvas.TextHeight({}));
    int white = 0;
    int ink = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            ASSERT_TRUE(cell.contains(x, y) || IsBlack(p)) << x << "," << y;
            white += cell.contains(x, y) && qGray(p) == 255 ? 1 : 0;
            ink += cell.contains(x, y) && IsInk(p) ? 1 : 0;
        }
    }
    EXPECT_GT(white, cell.width() * cell.height() / 2);
    EXPECT_GT(ink, 20); // the glyphs' strokes
}

// The ink reaches the vector file too: a red circle and red marks are red
// strokes, the text stays black.
TEST(FigureRenderTest, InkColoursTheSvgsStrokes) {
    const PlotGeometry g = ComputePlotGeometry(kW, kH, 13, 8);
    const DrawOnCanvas draw = [&](Canvas& canvas) {
        canvas.SetInkColor(Qt::red);
        TraceCircle(canvas, g, 0, 30.0, 50.0, 12.0, false);
        canvas.NetLine(g, -0.5, 0.0, 0.5, 0.0);
        canvas.SetBrushColor(Qt::white);
        canvas.TextOut(10, 10, QStringLiteral("N"));
    };
    const QString svg = QString::fromUtf8(SvgOf(FigureOptions(), draw));
    EXPECT_TRUE(svg.contains(QStringLiteral("stroke=\"#f00\""))) << svg.toStdString();
    EXPECT_FALSE(svg.contains(QStringLiteral("stroke=\"#000\""))) << svg.toStdString();
    // The circle is one path of cubic pieces.
    const qsizetype group = svg.indexOf(QStringLiteral("stroke=\"#f00\""));
    const qsizetype path = svg.indexOf(QStringLiteral("<path d=\""), group);
    ASSERT_GT(path, group);
    EXPECT_TRUE(svg.mid(path, svg.indexOf(u'"', path + 9) - path).contains(u'c'));
    const qsizetype text = svg.indexOf(QStringLiteral("<text"));
    ASSERT_GT(text, 0);
    const qsizetype textGroup = svg.lastIndexOf(QStringLiteral("<g"), text);
    EXPECT_FALSE(svg.mid(textGroup, text - textGroup).contains(QStringLiteral("fill=\"#f00\"")));
}

TEST(FigureRenderTest, PainterCanvasMeasuresAsTheRaster) {
    QImage device(10, 10, QImage::Format_RGB32);
    for (bool fixedPitch : {false, true}) {
        QPainter painter(&device);
        PainterCanvas vector(painter, QSize(kW, kH), fixedPitch);
        RasterCanvas raster(device, fixedPitch);
        for (int step = 0; step < 2; ++step) {
            for (const QString& text :
                 {QStringLiteral("N"), QStringLiteral("Mean Dec, Inc: 359.4, 45.3"),
                  QStringLiteral("Wij")}) {
                SCOPED_TRACE(testing::Message()
                             << fixedPitch << " " << step << " " << text.toStdString());
                EXPECT_EQ(vector.TextWidth(text), raster.TextWidth(text));
                EXPECT_EQ(vector.TextHeight(text), raster.TextHeight(text));
            }
            vector.RequestFixedPitch();
            raster.RequestFixedPitch();
        }
    }
}

} // namespace
