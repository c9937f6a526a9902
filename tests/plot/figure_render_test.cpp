#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QSvgRenderer>

#include <algorithm>
#include <functional>
#include <vector>

#include "figure_render.h"
#include "line_view.h"
#include "painter_canvas.h"
#include "plot_pass.h"
#include "raster_canvas.h"
#include "test_plot_inputs.h"

namespace {

constexpr int kW = 553;
constexpr int kH = 529;

struct Figure {
    int fileType = 1; // site means with their circles
    int plotType = 0;
    int errorCircleMode = 0;
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
        options.FisherMean = true;
        options.GreatCircleFit = true;
        options.Title = QStringLiteral("Site means, Fisher and fit");
        options.FileName = QStringLiteral("sites.txt");
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

// A picture drawn scale times the raster's size against the raster, text
// cells aside: each raster pixel stands for its scale x scale block, and
// "near" is at most margin picture pixels from it.
struct Comparison {
    const QImage& raster;
    const QImage& picture;
    int scale = 1;
    int margin = 0;
    std::vector<QRect> cells;

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
                        near = IsBlack(raster.pixel(rx, ry));
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
                if (!IsBlack(raster.pixel(rx, ry)) || InText(rx, ry)) {
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

TEST(FigureRenderTest, SvgDrawnBackShowsTheRastersPicture) {
    const Figure figures[] = {
        {}, {.fileType = 0, .plotType = 1}, {.plotType = 2, .errorCircleMode = 2}};
    for (const Figure& figure : figures) {
        SCOPED_TRACE(testing::Message()
                     << "file type " << figure.fileType << ", plot type " << figure.plotType);
        Drawn drawn(figure);
        QSvgRenderer renderer(RenderSvg(drawn.Options(), drawn.Callback()));
        ASSERT_TRUE(renderer.isValid());
        QImage back(kW, kH, QImage::Format_RGB32);
        back.fill(Qt::white);
        QPainter painter(&back);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter, QRectF(0, 0, kW, kH));
        painter.end();
        // At most one pixel apart, either way.
        const Comparison c{drawn.raster, back, 1, 1, drawn.cells};
        EXPECT_EQ(c.Uncovered(), 0);
        EXPECT_EQ(c.StrayInk(), 0);
    }
}

TEST(FigureRenderTest, SvgHasTheViewBoxTitleAndRealText) {
    Drawn drawn({});
    FigureOptions options = drawn.Options();
    const QString svg = QString::fromUtf8(RenderSvg(options, drawn.Callback()));
    EXPECT_TRUE(svg.contains(QStringLiteral("viewBox=\"0 0 553 529\"")));
    EXPECT_TRUE(svg.contains(QStringLiteral("<title>Site means, Fisher and fit</title>")));
    EXPECT_EQ(svg.count(QStringLiteral("<text")), static_cast<qsizetype>(drawn.cells.size()));
    EXPECT_TRUE(svg.contains(drawn.report.GreatCircleLines.at(0) + QStringLiteral("</text>")));
    options.Title.clear();
    EXPECT_TRUE(QString::fromUtf8(RenderSvg(options, drawn.Callback()))
                    .contains(QStringLiteral("<title>Quorvex plot</title>")));
}

TEST(FigureRenderTest, PdfTextLayerHoldsTitleModeAndResultLines) {
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty()) {
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    }
    Drawn drawn({});
    const QByteArray pdf = RenderPdf(drawn.Options(), drawn.Callback());
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

TEST(FigureRenderTest, ScaledPngLiesOnTheRastersPixelBlocks) {
    Drawn drawn({});
    const QImage png = QImage::fromData(RenderPng(drawn.Options(), 4, drawn.Callback()), "PNG");
    ASSERT_EQ(png.size(), QSize(2212, 2116));
    EXPECT_EQ(png.dotsPerMeterX(), qRound(4 * 96 / 0.0254));
    // A raster line or circle steps to the pixel nearest the ideal curve, up
    // to half a pixel off it, and a one-unit stroke at 45 degrees reaches
    // 0.21 of a pixel (sqrt(2) / 2 - 1 / 2) past the corners of a diagonal
    // staircase of pixels: 0.71 of a raster pixel, three pixels here.
    const Comparison c{drawn.raster, png, 4, 3, drawn.cells};
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
