#include <gtest/gtest.h>

#include <QImage>

#include "line_view.h"
#include "plot_pass.h"
#include "raster_canvas.h"
#include "test_plot_inputs.h"

namespace {

constexpr QRgb kBlack = 0xFF000000u;
constexpr QRgb kWhite = 0xFFFFFFFFu;
constexpr QRgb kGrey = 0xFF808080u;

QImage Blank(int w = 60, int h = 60, QRgb fill = kWhite) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

bool IsBlack(const QImage& image, int x, int y) {
    return image.pixel(x, y) == kBlack;
}

int CountBlack(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            n += IsBlack(image, x, y) ? 1 : 0;
        }
    }
    return n;
}

TEST(RasterCanvasTest, LinesLeaveTheirEndPixelUnset) {
    struct Row {
        const char* name;
        int x0, y0, x1, y1;
    };
    const Row rows[] = {
        {"horizontal", 5, 10, 20, 10}, {"horizontal back", 20, 10, 5, 10},
        {"vertical", 7, 3, 7, 40},     {"vertical up", 7, 40, 7, 3},
        {"diagonal", 5, 5, 25, 25},    {"anti-diagonal", 25, 5, 5, 25},
        {"shallow", 2, 30, 40, 37},    {"steep", 30, 2, 34, 50},
        {"steep back", 34, 50, 30, 2},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        QImage image = Blank();
        RasterCanvas canvas(image);
        canvas.MoveTo(r.x0, r.y0);
        canvas.LineTo(r.x1, r.y1);
        EXPECT_TRUE(IsBlack(image, r.x0, r.y0));
        EXPECT_FALSE(IsBlack(image, r.x1, r.y1));
        // One pixel per step along the major axis, the end excluded.
        EXPECT_EQ(CountBlack(image), std::max(std::abs(r.x1 - r.x0), std::abs(r.y1 - r.y0)));
    }
}

TEST(RasterCanvasTest, LinesAreContinuousAndPolylinesSetCornersOnce) {
    QImage image = Blank();
    RasterCanvas canvas(image);
    canvas.MoveTo(10, 10);
    canvas.LineTo(30, 10);
    canvas.LineTo(30, 30);
    canvas.LineTo(10, 10);
    // The closing line stops short of the start, which the first line set.
    EXPECT_TRUE(IsBlack(image, 10, 10));
    EXPECT_TRUE(IsBlack(image, 30, 10));
    EXPECT_TRUE(IsBlack(image, 30, 30));
    EXPECT_EQ(CountBlack(image), 20 + 20 + 20);
    // A zero-length line draws nothing.
    QImage other = Blank();
    RasterCanvas second(other);
    second.MoveTo(5, 5);
    second.LineTo(5, 5);
    EXPECT_EQ(CountBlack(other), 0);
}

TEST(RasterCanvasTest, EllipseOutermostPixelsAreTheRectanglesEdges) {
    struct Row {
        int left, top, right, bottom;
    };
    // The frame's circle (odd square), an even square, a flat and a tall ellipse.
    const Row rows[] = {
        {10, 8, 10 + 2 * 20 + 1, 8 + 2 * 20 + 1}, {5, 5, 15, 15}, {3, 20, 55, 31}, {20, 2, 27, 58}};
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.left << " " << r.top);
        QImage image = Blank(60, 60, kGrey);
        RasterCanvas canvas(image);
        canvas.Ellipse(r.left, r.top, r.right, r.bottom);
        int minX = 1000, maxX = -1, minY = 1000, maxY = -1;
        for (int y = 0; y < 60; ++y) {
            for (int x = 0; x < 60; ++x) {
                if (IsBlack(image, x, y)) {
                    minX = std::min(minX, x);
                    maxX = std::max(maxX, x);
                    minY = std::min(minY, y);
                    maxY = std::max(maxY, y);
                }
            }
        }
        EXPECT_EQ(minX, r.left);
        EXPECT_EQ(maxX, r.right - 1);
        EXPECT_EQ(minY, r.top);
        EXPECT_EQ(maxY, r.bottom - 1);
        // Filled white inside, untouched outside.
        const int cx = (r.left + r.right - 1) / 2;
        const int cy = (r.top + r.bottom - 1) / 2;
        EXPECT_EQ(image.pixel(cx, cy), kWhite);
        EXPECT_EQ(image.pixel(r.left, r.top), kGrey); // the rectangle's corner
    }
}

TEST(RasterCanvasTest, CircleOutlineIsSymmetricAndClosed) {
    const int R = 214;
    QImage image = Blank(2 * R + 11, 2 * R + 11, kGrey);
    RasterCanvas canvas(image);
    const int c = R + 5;
    canvas.Ellipse(c - R, c - R, c + R + 1, c + R + 1);
    // The four extreme pixels on the axes, and mirror symmetry.
    EXPECT_TRUE(IsBlack(image, c, c - R));
    EXPECT_TRUE(IsBlack(image, c, c + R));
    EXPECT_TRUE(IsBlack(image, c - R, c));
    EXPECT_TRUE(IsBlack(image, c + R, c));
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            ASSERT_EQ(image.pixel(x, y), image.pixel(2 * c - x, y)) << x << "," << y;
            ASSERT_EQ(image.pixel(x, y), image.pixel(y, x)) << x << "," << y;
        }
    }
    // Each row of the interior is bounded by exactly one black run per side.
    for (int y = c - R + 1; y < c + R; ++y) {
        int runs = 0;
        for (int x = 1; x < image.width(); ++x) {
            runs += IsBlack(image, x, y) && !IsBlack(image, x - 1, y) ? 1 : 0;
        }
        ASSERT_EQ(runs, 2) << "row " << y;
    }
}

TEST(RasterCanvasTest, RectangleOutlineInsideWithBrushFill) {
    QImage image = Blank(20, 20, kGrey);
    RasterCanvas canvas(image);
    canvas.SetBrushColor(QColor(255, 255, 255));
    canvas.Rectangle(2, 3, 10, 8);
    EXPECT_TRUE(IsBlack(image, 2, 3));
    EXPECT_TRUE(IsBlack(image, 9, 7));
    EXPECT_EQ(image.pixel(10, 8), kGrey);
    EXPECT_EQ(image.pixel(5, 5), kWhite);
    // Reaching past the image: only the top row and left column show black.
    QImage clear = Blank(20, 20, kGrey);
    RasterCanvas clearing(clear);
    clearing.Rectangle(0, 0, 21, 21);
    EXPECT_EQ(CountBlack(clear), 20 + 19);
    EXPECT_EQ(clear.pixel(19, 19), kWhite);
}

TEST(RasterCanvasTest, PixelsAreClippedAndWrittenExactly) {
    QImage image = Blank(10, 10);
    RasterCanvas canvas(image);
    canvas.SetPixel(-1, 0, Qt::black);
    canvas.SetPixel(0, 10, Qt::black);
    canvas.SetPixel(10, 5, Qt::black);
    EXPECT_EQ(CountBlack(image), 0);
    canvas.SetPixel(3, 4, QColor(1, 2, 3));
    EXPECT_EQ(image.pixel(3, 4), qRgb(1, 2, 3));
    // Lines running off the image are clipped, not wrapped.
    canvas.MoveTo(-5, 2);
    canvas.LineTo(15, 2);
    EXPECT_EQ(CountBlack(image), 10);
}

TEST(RasterCanvasTest, FontMetricsOfTheCanvasFonts) {
    QImage image = Blank();
    RasterCanvas canvas(image);
    EXPECT_EQ(canvas.TextHeight(QStringLiteral("N")), 13);
    EXPECT_EQ(canvas.TextWidth(QStringLiteral("N")), 8);
    EXPECT_FALSE(canvas.FixedPitchRequested());
    canvas.RequestFixedPitch();
    EXPECT_TRUE(canvas.FixedPitchRequested());
    EXPECT_EQ(canvas.TextHeight(QStringLiteral("N")), 13);
    EXPECT_EQ(canvas.TextWidth(QStringLiteral("i")), canvas.TextWidth(QStringLiteral("W")));
    // A canvas made for an image whose font already has fixed pitch.
    RasterCanvas later(image, true);
    EXPECT_EQ(later.TextWidth(QStringLiteral("N")), canvas.TextWidth(QStringLiteral("N")));
}

TEST(RasterCanvasTest, TextIsBlackOnAnOpaqueBrushCell) {
    QImage image = Blank(80, 30, kBlack);
    RasterCanvas canvas(image);
    canvas.SetBrushColor(QColor(255, 255, 255));
    canvas.TextOut(4, 6, QStringLiteral("N270"));
    const int w = canvas.TextWidth(QStringLiteral("N270"));
    const int h = canvas.TextHeight(QStringLiteral("N270"));
    int white = 0;
    int black = 0;
    for (int y = 6; y < 6 + h; ++y) {
        for (int x = 4; x < 4 + w; ++x) {
            const QRgb p = image.pixel(x, y);
            ASSERT_TRUE(p == kWhite || p == kBlack) << "antialiased pixel at " << x << "," << y;
            (p == kWhite ? white : black) += 1;
        }
    }
    EXPECT_GT(white, black); // the cell is painted, the glyphs are thin
    EXPECT_GT(black, 10);
    // Outside the cell the old content stays.
    EXPECT_EQ(image.pixel(3, 6), kBlack);
    EXPECT_EQ(image.pixel(4, 5), kBlack);
    EXPECT_EQ(image.pixel(4 + w, 6 + h), kBlack);
}

TEST(RasterCanvasTest, DrawsOnTheOneBitExportRaster) {
    QImage mono(40, 20, QImage::Format_Mono);
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    mono.fill(1);
    RasterCanvas canvas(mono);
    canvas.MoveTo(2, 2);
    canvas.LineTo(12, 2);
    canvas.TextOut(2, 5, QStringLiteral("N"));
    EXPECT_EQ(mono.format(), QImage::Format_Mono);
    EXPECT_EQ(mono.pixelIndex(2, 2), 0);
    EXPECT_EQ(mono.pixelIndex(11, 2), 0);
    EXPECT_EQ(mono.pixelIndex(12, 2), 1);
    int black = 0;
    for (int y = 5; y < 18; ++y) {
        for (int x = 2; x < 10; ++x) {
            black += mono.pixelIndex(x, y) == 0 ? 1 : 0;
        }
    }
    EXPECT_GT(black, 10);
}

// Lines, outlines and the circles' dots take the ink; texts stay black; on
// the 1-bit raster any ink but white is black, even one nearer to white.
TEST(RasterCanvasTest, InkColoursLinesOutlinesAndDotsButNotText) {
    constexpr QRgb kRed = 0xFFFF0000u;
    QImage image = Blank(80, 40);
    RasterCanvas canvas(image);
    EXPECT_EQ(canvas.InkColor(), QColor(Qt::black));
    canvas.SetInkColor(Qt::red);
    canvas.MoveTo(2, 2);
    canvas.LineTo(20, 2);
    canvas.Rectangle(2, 5, 12, 12);
    canvas.Ellipse(20, 5, 30, 15);
    canvas.TextOut(40, 5, QStringLiteral("N"));
    EXPECT_EQ(image.pixel(10, 2), kRed);
    EXPECT_EQ(image.pixel(2, 5), kRed);
    EXPECT_EQ(image.pixel(11, 11), kRed);
    EXPECT_EQ(image.pixel(20, 10), kRed);
    EXPECT_EQ(image.pixel(5, 8), kWhite);
    int red = 0;
    int black = 0;
    for (int y = 5; y < 18; ++y) {
        for (int x = 40; x < 48; ++x) {
            red += image.pixel(x, y) == kRed ? 1 : 0;
            black += image.pixel(x, y) == kBlack ? 1 : 0;
        }
    }
    EXPECT_EQ(red, 0);
    EXPECT_GT(black, 10);

    QImage mono(20, 10, QImage::Format_Mono);
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    mono.fill(1);
    RasterCanvas oneBit(mono);
    oneBit.SetInkColor(QColor(250, 250, 200));
    oneBit.MoveTo(2, 2);
    oneBit.LineTo(12, 2);
    EXPECT_EQ(mono.pixelIndex(5, 2), 0);
}

PlotInputs WindowInputs(const LineView& lines) {
    PlotOptions options;
    options.Title = QStringLiteral("Test");
    options.FileName = QStringLiteral(" ");
    return TestPlotInputs(lines, options);
}

TEST(RasterCanvasPassTest, NormalSizeShowsTheBlackTopRowAndLeftColumn) {
    QImage image(553, 529, QImage::Format_RGB32);
    image.fill(kGrey);
    RasterCanvas canvas(image);
    const LineView lines(QString{});
    PlotReport report;
    DrawPlot(canvas, WindowInputs(lines), report);
    for (int x = 0; x < 553; ++x) {
        ASSERT_TRUE(IsBlack(image, x, 0)) << x;
    }
    for (int y = 0; y < 529; ++y) {
        ASSERT_TRUE(IsBlack(image, 0, y)) << y;
    }
    EXPECT_EQ(image.pixel(552, 300), kWhite);
    EXPECT_EQ(image.pixel(300, 528), kWhite);
    // The primitive circle's extremes and the untouched corner of its square.
    EXPECT_TRUE(IsBlack(image, 21, 274));
    EXPECT_TRUE(IsBlack(image, 449, 274));
    EXPECT_TRUE(IsBlack(image, 235, 60));
    EXPECT_TRUE(IsBlack(image, 235, 488));
    EXPECT_EQ(image.pixel(20, 274), kWhite);
    EXPECT_EQ(image.pixel(235, 489), kWhite);
    // The centre cross is 13 pixels wide (229..241), its end pixel unset.
    EXPECT_TRUE(IsBlack(image, 229, 274));
    EXPECT_TRUE(IsBlack(image, 240, 274));
    EXPECT_FALSE(IsBlack(image, 241, 274));
    // No grey survives anywhere.
    for (int y = 0; y < 529; ++y) {
        for (int x = 0; x < 553; ++x) {
            ASSERT_NE(image.pixel(x, y), kGrey) << x << "," << y;
        }
    }
}

TEST(RasterCanvasPassTest, SmallWindowStillClearsTheWholeImage) {
    QImage image(553, 529, QImage::Format_RGB32);
    image.fill(kBlack);
    RasterCanvas canvas(image);
    const LineView lines(QString{});
    PlotInputs in = WindowInputs(lines);
    in.Environment.ClientSize = QSize(300, 200);
    PlotReport report;
    DrawPlot(canvas, in, report);
    // Right of the net and below the header lines nothing is drawn.
    for (int y = 1; y < 529; ++y) {
        for (int x = 480; x < 553; ++x) {
            ASSERT_EQ(image.pixel(x, y), kWhite) << x << "," << y;
        }
    }
    EXPECT_EQ(image.pixel(300, 200), kWhite);
    EXPECT_EQ(image.pixel(552, 528), kWhite);
}

} // namespace
