#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTemporaryDir>

#include <algorithm>
#include <functional>
#include <vector>

#include "figure_render.h"
#include "floating_point_fault.h"
#include "line_view.h"
#include "painter_canvas.h"
#include "plot_pass.h"
#include "raster_canvas.h"

namespace {

constexpr int kW = 553;
constexpr int kH = 529;

// Site means in both hemispheres, small and large circles.
const QString kSites = QStringLiteral("20 40 8\r\n35 55 12\r\n10 30 5\r\n350 60 15\r\n"
                                      "200 -30 10\r\n60 -10 20\r\n");

struct Figure {
    QString text = kSites;
    int fileType = 1;
    int plotType = 0;
    int errorCircleMode = 0;
    int clientWidth = 941;
    int clientHeight = 672;
};

PlotInputs InputsFor(const LineView& lines, const Figure& f) {
    PlotInputs in;
    in.Lines = &lines;
    in.FileType = f.fileType;
    in.PlotType = f.plotType;
    in.ErrorCircleMode = f.errorCircleMode;
    in.AvIndex = 0;
    in.GCFitIndex = 0;
    in.Title = QStringLiteral("Site means, Fisher and fit");
    in.FileName = QStringLiteral("sites.txt");
    in.Today = QStringLiteral("1/2/26");
    in.ClientWidth = f.clientWidth;
    in.ClientHeight = f.clientHeight;
    in.WindowFontWidthN270 = 27;
    return in;
}

// Passes a canvas's calls on and notes the cell of every text, which the
// vector output draws with outlines of its own and so is left out of the
// pixel comparisons.
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

// One figure drawn both ways: the raster as the window has it, and the
// drawing callback for the renderers.
struct Drawn {
    explicit Drawn(const Figure& figure) : lines(figure.text), inputs(InputsFor(lines, figure)) {
        raster = QImage(kW, kH, QImage::Format_RGB32);
        raster.fill(Qt::white);
        RasterCanvas rasterCanvas(raster);
        TextCellCanvas recorder(rasterCanvas);
        try {
            Draw(recorder);
        } catch (const FloatingPointFault&) {
            rasterFaulted = true;
        }
        cells = recorder.cells;
    }
    void Draw(Canvas& canvas) {
        PlotExtent extent;
        DrawPlot(canvas, inputs, extent, &report);
    }
    DrawOnCanvas Callback() {
        return [this](Canvas& canvas) { Draw(canvas); };
    }
    FigureOptions Options() const {
        FigureOptions options;
        options.Title = inputs.Title;
        return options;
    }

    LineView lines;
    PlotInputs inputs;
    PlotReport report;
    QImage raster;
    std::vector<QRect> cells;
    bool rasterFaulted = false;
};

// A pixel mask, row by row.
struct Mask {
    int w = 0;
    int h = 0;
    std::vector<char> on;
    Mask(int width, int height)
        : w(width), h(height), on(static_cast<std::size_t>(width) * height, 0) {}
    char& at(int x, int y) { return on[static_cast<std::size_t>(y) * w + x]; }
    char at(int x, int y) const { return on[static_cast<std::size_t>(y) * w + x]; }
};

// Exactly black for the raster; at least half covered for antialiased output.
Mask Ink(const QImage& image, bool exactBlack) {
    Mask m(image.width(), image.height());
    for (int y = 0; y < m.h; ++y) {
        for (int x = 0; x < m.w; ++x) {
            const QRgb p = image.pixel(x, y);
            m.at(x, y) = exactBlack ? (p & 0xFFFFFFu) == 0 : qGray(p) < 128;
        }
    }
    return m;
}

// Each pixel becomes a scale x scale block.
Mask Blocks(const Mask& m, int scale) {
    Mask out(m.w * scale, m.h * scale);
    for (int y = 0; y < out.h; ++y) {
        for (int x = 0; x < out.w; ++x) {
            out.at(x, y) = m.at(x / scale, y / scale);
        }
    }
    return out;
}

// Grown by r pixels in every direction, diagonals included.
Mask Grown(const Mask& m, int r) {
    Mask rows(m.w, m.h);
    for (int y = 0; y < m.h; ++y) {
        for (int x = 0; x < m.w; ++x) {
            for (int d = std::max(0, x - r); d <= std::min(m.w - 1, x + r) && !rows.at(x, y); ++d) {
                rows.at(x, y) = m.at(d, y);
            }
        }
    }
    Mask out(m.w, m.h);
    for (int y = 0; y < m.h; ++y) {
        for (int x = 0; x < m.w; ++x) {
            for (int d = std::max(0, y - r); d <= std::min(m.h - 1, y + r) && !out.at(x, y); ++d) {
                out.at(x, y) = rows.at(x, d);
            }
        }
    }
    return out;
}

Mask TextCells(const std::vector<QRect>& cells, int w, int h, int scale) {
    Mask m(w * scale, h * scale);
    for (const QRect& c : cells) {
        const QRect r = QRect(c.topLeft() * scale, c.size() * scale) & QRect(0, 0, m.w, m.h);
        for (int y = r.top(); y <= r.bottom(); ++y) {
            for (int x = r.left(); x <= r.right(); ++x) {
                m.at(x, y) = 1;
            }
        }
    }
    return m;
}

// The ink pixels of `ink`, outside `ignored`, that `allowed` does not hold;
// the first is named in the failure message.
int Stray(const Mask& ink, const Mask& allowed, const Mask& ignored, QPoint& first) {
    int count = 0;
    for (int y = 0; y < ink.h; ++y) {
        for (int x = 0; x < ink.w; ++x) {
            if (ink.at(x, y) && !ignored.at(x, y) && !allowed.at(x, y)) {
                if (count++ == 0) {
                    first = QPoint(x, y);
                }
            }
        }
    }
    return count;
}

int Count(const Mask& m) {
    return static_cast<int>(std::count(m.on.begin(), m.on.end(), 1));
}

QImage DrawnBack(const QByteArray& svg) {
    QSvgRenderer renderer(svg);
    QImage image(kW, kH, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, kW, kH));
    return image;
}

struct FigureRow {
    const char* name;
    Figure figure;
};

const FigureRow kFigures[] = {
    {"site means, circles, Fisher and fit", {}},
    {"north polar view, generic data", {.fileType = 0, .plotType = 1}},
    {"south polar view, planes", {.plotType = 2, .errorCircleMode = 2}},
};

TEST(FigureRenderTest, SvgDrawnBackShowsTheRastersPicture) {
    for (const FigureRow& row : kFigures) {
        SCOPED_TRACE(row.name);
        Drawn drawn(row.figure);
        const QByteArray svg = RenderSvg(drawn.Options(), drawn.Callback());
        ASSERT_FALSE(svg.isEmpty());
        const Mask raster = Ink(drawn.raster, true);
        const Mask back = Ink(DrawnBack(svg), false);
        const Mask text = TextCells(drawn.cells, kW, kH, 1);
        ASSERT_GT(Count(raster), 3000); // the net, its circles and marks
        QPoint at;
        // Every raster pixel has ink at most one pixel away, and the other way round.
        EXPECT_EQ(Stray(raster, Grown(back, 1), text, at), 0)
            << "raster " << at.x() << "," << at.y();
        EXPECT_EQ(Stray(back, Grown(raster, 1), text, at), 0) << "svg " << at.x() << "," << at.y();
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
    ASSERT_TRUE(pdf.startsWith("%PDF-"));
    // One page the picture's size at 96 dpi, in whole points.
    const QRegularExpression mediaBox(QStringLiteral(R"(/MediaBox \[0 0 415(\.0*)? 397(\.0*)?\])"));
    EXPECT_TRUE(mediaBox.match(QString::fromLatin1(pdf)).hasMatch());

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile file(dir.filePath(QStringLiteral("plot.pdf")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(pdf);
    file.close();
    QProcess process;
    process.start(pdftotext, {QStringLiteral("-raw"), file.fileName(), QStringLiteral("-")});
    ASSERT_TRUE(process.waitForFinished(30000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    // pdftotext folds runs of spaces; the texts are compared the same way.
    QStringList found;
    for (const QString& line : QString::fromUtf8(process.readAllStandardOutput()).split(u'\n')) {
        found << line.simplified();
    }
    QStringList expected = {drawn.inputs.Title + QStringLiteral("   ") + drawn.inputs.Today,
                            QStringLiteral("Equal area, Local coords, Open=upper hemi")};
    expected << drawn.report.FisherLines << drawn.report.GreatCircleLines;
    ASSERT_EQ(expected.size(), 8);
    for (const QString& text : expected) {
        EXPECT_TRUE(found.contains(text.simplified())) << text.toStdString();
    }
}

TEST(FigureRenderTest, ScaledPngLiesOnTheRastersPixelBlocks) {
    constexpr int kScale = 4;
    Drawn drawn({});
    const QImage png =
        QImage::fromData(RenderPng(drawn.Options(), kScale, drawn.Callback()), "PNG");
    ASSERT_EQ(png.size(), QSize(2212, 2116));
    EXPECT_EQ(png.dotsPerMeterX(), qRound(96 * kScale / 0.0254));
    EXPECT_EQ(png.text(QStringLiteral("Title")), drawn.inputs.Title);
    const Mask blocks = Blocks(Ink(drawn.raster, true), kScale);
    const Mask ink = Ink(png, false);
    const Mask text = TextCells(drawn.cells, kW, kH, kScale);
    // A raster line or circle steps to the pixel nearest the ideal curve, up
    // to half a pixel off it, and a one-unit stroke at 45 degrees reaches
    // 0.21 of a pixel (sqrt(2) / 2 - 1 / 2) past the corners of a diagonal
    // staircase of pixels: 0.71 of a raster pixel, three pixels here.
    constexpr int kMargin = 3;
    QPoint at;
    EXPECT_EQ(Stray(ink, Grown(blocks, kMargin), text, at), 0) << at.x() << "," << at.y();
    // And every raster pixel's block is inked (its own, or one beside it).
    EXPECT_EQ(Stray(blocks, Grown(ink, kMargin), text, at), 0) << at.x() << "," << at.y();
}

QRect Bounds(const Mask& m) {
    QRect box;
    for (int y = 0; y < m.h; ++y) {
        for (int x = 0; x < m.w; ++x) {
            if (m.at(x, y)) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

TEST(FigureRenderTest, PrimitivesInkTheRastersPixels) {
    constexpr int kScale = 4;
    const QSize units(32, 24);
    struct Row {
        const char* name;
        std::function<void(Canvas&)> draw;
        bool exact; // else only the extent must agree
    };
    const QPoint dots[] = {{2, 2}, {3, 2}, {3, 2}, {4, 3}, {9, 9}, {-1, 4}, {40, 4}, {9, 10}};
    const Row rows[] = {
        {"line right", [](Canvas& c) { c.MoveTo(3, 5), c.LineTo(20, 5); }, true},
        {"line left", [](Canvas& c) { c.MoveTo(20, 7), c.LineTo(3, 7); }, true},
        {"line down", [](Canvas& c) { c.MoveTo(4, 2), c.LineTo(4, 22); }, true},
        {"line up", [](Canvas& c) { c.MoveTo(6, 22), c.LineTo(6, 2); }, true},
        {"one step", [](Canvas& c) { c.MoveTo(10, 10), c.LineTo(10, 11); }, true},
        {"pen width 2",
         [](Canvas& c) { c.SetPenWidth(2), c.MoveTo(3, 12), c.LineTo(20, 12), c.LineTo(20, 2); },
         true},
        {"pen width 3", [](Canvas& c) { c.SetPenWidth(3), c.MoveTo(3, 12), c.LineTo(20, 12); },
         true},
        {"rectangle", [](Canvas& c) { c.Rectangle(2, 3, 30, 20); }, true},
        {"rectangle past the picture", [](Canvas& c) { c.Rectangle(-5, 4, 50, 40); }, true},
        {"dots", [&](Canvas& c) { c.SetPixels(dots, 8, Qt::black), c.SetPixel(0, 23, Qt::black); },
         true},
        {"circle", [](Canvas& c) { c.Ellipse(5, 2, 5 + 2 * 10 + 1, 2 + 2 * 10 + 1); }, false},
        {"flat ellipse", [](Canvas& c) { c.Ellipse(1, 8, 31, 17); }, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QImage raster(units, QImage::Format_RGB32);
        raster.fill(Qt::white);
        RasterCanvas rasterCanvas(raster);
        row.draw(rasterCanvas);
        QImage vector(units * kScale, QImage::Format_RGB32);
        vector.fill(Qt::white);
        {
            QPainter painter(&vector);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.scale(kScale, kScale);
            PainterCanvas canvas(painter, units);
            row.draw(canvas);
        }
        const Mask blocks = Blocks(Ink(raster, true), kScale);
        const Mask ink = Ink(vector, false);
        ASSERT_GT(Count(blocks), 0);
        if (row.exact) {
            EXPECT_TRUE(ink.on == blocks.on);
        } else {
            EXPECT_EQ(Bounds(ink), Bounds(blocks));
        }
    }
}

TEST(FigureRenderTest, TextIsBlackOnAnOpaqueCellOfTheBrush) {
    QImage image(60, 30, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    PainterCanvas canvas(painter, image.size());
    canvas.SetBrushColor(Qt::white);
    const QString text = QStringLiteral("N270");
    canvas.TextOut(4, 6, text);
    const QRect cell(4, 6, canvas.TextWidth(text), canvas.TextHeight(text));
    int white = 0;
    int dark = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int grey = qGray(image.pixel(x, y));
            if (!cell.contains(x, y)) {
                ASSERT_EQ(grey, 0) << x << "," << y;
            } else {
                white += grey == 255 ? 1 : 0;
                dark += grey < 128 ? 1 : 0;
            }
        }
    }
    // Mostly background, with the glyphs' strokes on it.
    EXPECT_GT(white, cell.width() * cell.height() / 2);
    EXPECT_GT(dark, 20);
}

TEST(FigureRenderTest, PngScaleOutsideTwoToEightGivesNothing) {
    Drawn drawn({});
    for (int scale : {-1, 0, 1, 9}) {
        EXPECT_TRUE(RenderPng(drawn.Options(), scale, drawn.Callback()).isEmpty()) << scale;
    }
    EXPECT_EQ(QImage::fromData(RenderPng(drawn.Options(), 2, drawn.Callback())).size(),
              QSize(2 * kW, 2 * kH));
}

TEST(FigureRenderTest, PainterCanvasMeasuresAsTheRaster) {
    const QString texts[] = {QStringLiteral("N"), QStringLiteral("Mean Dec, Inc: 359.4, 45.3"),
                             QStringLiteral("Wij"), QString()};
    QImage device(10, 10, QImage::Format_RGB32);
    for (bool fixedPitch : {false, true}) {
        QPainter painter(&device);
        PainterCanvas vector(painter, QSize(kW, kH), fixedPitch);
        RasterCanvas raster(device, fixedPitch);
        for (int step = 0; step < 2; ++step) {
            for (const QString& text : texts) {
                SCOPED_TRACE(testing::Message() << fixedPitch << step << text.toStdString());
                EXPECT_EQ(vector.TextWidth(text), raster.TextWidth(text));
                EXPECT_EQ(vector.TextHeight(text), raster.TextHeight(text));
            }
            vector.RequestFixedPitch();
            raster.RequestFixedPitch();
        }
        EXPECT_TRUE(vector.FixedPitchRequested());
    }
}

TEST(FigureRenderTest, FaultKeepsThePictureDrawnSoFar) {
    // Six directions along the axes: three equal eigenvalues make the
    // great-circle fit fault after the marks, the circles and the Fisher mean.
    Figure figure;
    figure.text = QStringLiteral("0 0 5\n180 0 5\n90 0 5\n270 0 5\n0 90 5\n0 -90 5\n");
    Drawn drawn(figure);
    ASSERT_TRUE(drawn.rasterFaulted);
    bool faulted = false;
    const QByteArray svg = RenderSvg(drawn.Options(), [&](Canvas& canvas) {
        try {
            drawn.Draw(canvas);
        } catch (const FloatingPointFault&) {
            faulted = true;
        }
    });
    EXPECT_TRUE(faulted);
    // The frame's texts and the circle are there, no result line is.
    EXPECT_EQ(QString::fromUtf8(svg).count(QStringLiteral("<text")), 5);
    EXPECT_TRUE(svg.contains("</svg>"));
}

} // namespace
