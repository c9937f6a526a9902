#include <QFontDatabase>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "canvas.h"
#include "line_view.h"
#include "print_page.h"

namespace {

const PlotExtent kNetExtent{21, 477, 489};

struct LayoutCase {
    int Width;
    PlotExtent Extent;
    int Margin;
    int PictureWidth;
    int PictureHeight;
    int TextTop;
};

void PrintTo(const LayoutCase& c, std::ostream* out) {
    *out << "P " << c.Width << ", extent " << c.Extent.Left << " " << c.Extent.Right << " "
         << c.Extent.Bottom;
}

class PrintLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(PrintLayoutTest, MarginPictureAndTextTop) {
    const LayoutCase& c = GetParam();
    const PrintLayout layout = ComputePrintLayout(c.Width, c.Extent);
    EXPECT_EQ(layout.Margin, c.Margin);
    EXPECT_EQ(layout.PictureWidth, c.PictureWidth);
    EXPECT_EQ(layout.PictureHeight, c.PictureHeight);
    EXPECT_EQ(layout.TextTop, c.TextTop);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, PrintLayoutTest,
    ::testing::Values(
        // H = 489 / 456 * 3360 = 3603.157...; T = 560 + 3603 + 140.
        LayoutCase{4760, kNetExtent, 560, 3360, 3603, 4303},
        // M = 564.705... -> 565; W = 3388.235... -> 3388; M / 4 = 141.25 -> 141.
        LayoutCase{4800, kNetExtent, 565, 3388, 3633, 4339},
        // M = 562 exactly; M / 4 = 140.5 goes to the even 140.
        LayoutCase{4777, kNetExtent, 562, 3372, 3616, 4318},
        // H = 1 / 2 * 9 = 4.5 goes to the even 4.
        LayoutCase{13, PlotExtent{0, 2, 1}, 2, 9, 4, 6},
        // H = 1 / 2 * 7 = 3.5 goes to the even 4; M / 4 = 0.25 -> 0.
        LayoutCase{10, PlotExtent{0, 2, 1}, 1, 7, 4, 5},
        // Before any plot pass the extent is empty: no picture, no division.
        LayoutCase{4760, PlotExtent{}, 560, 3360, 0, 700}),
    [](const ::testing::TestParamInfo<LayoutCase>& row) {
        return "Width" + std::to_string(row.param.Width) + "_" + std::to_string(row.index);
    });

TEST(PrintModeLine, NamesTheProjectionAndTheFile) {
    struct Case {
        int PlotType;
        bool TiltCorrected;
        QString FileName;
        QString Expected;
        Projection Net = Projection::EqualArea;
    };
    const std::vector<Case> cases{
        {0, false, "/data/site.plt", "Local coords, eq. area, open=upper  File: /data/site.plt"},
        {1, false, "/data/site.plt",
         "North polar view, eq. area, open=upper  File: /data/site.plt"},
        {2, false, "/data/site.plt", "South polar view, eq.area, open=upper  File: /data/site.plt"},
        // After an edit the name is one space: "File:" and two spaces.
        {0, false, " ", "Local coords, eq. area, open=upper  File:  "},
        // Before the first activation it is empty: "File:" and one space.
        {2, false, "", "South polar view, eq.area, open=upper  File: "},
        // Tilt correction renames the local coordinates only.
        {0, true, "a.plt", "Tilt corrected, eq. area, open=upper  File: a.plt"},
        {2, true, "a.plt", "South polar view, eq.area, open=upper  File: a.plt"},
        // The equal-angle net names itself in every view.
        {0, true, "a.plt", "Tilt corrected, eq. angle, open=upper  File: a.plt",
         Projection::EqualAngle},
        {1, false, "a.plt", "North polar view, eq. angle, open=upper  File: a.plt",
         Projection::EqualAngle},
        {2, false, "a.plt", "South polar view, eq. angle, open=upper  File: a.plt",
         Projection::EqualAngle},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PrintModeLine(c.PlotType, c.TiltCorrected, c.FileName, c.Net), c.Expected)
            << c.PlotType;
}

TEST(PrintTextLines, TitleModeRuleThenEveryEditorLine) {
    const QString longLine(5000, u'x');
    const QStringList lines = PrintTextLines(
        "Site 4", 1, false, "a.plt", LineView("header\r\n\r\n12 34 tail\t5\n" + longLine + "\n"));
    ASSERT_EQ(lines.size(), 7);
    EXPECT_EQ(lines[0], "Site 4");
    EXPECT_EQ(lines[1], "North polar view, eq. area, open=upper  File: a.plt");
    EXPECT_EQ(lines[2], "--------------");
    // Header and blank lines print verbatim, like every other line.
    EXPECT_EQ(lines[3], "header");
    EXPECT_EQ(lines[4], "");
    EXPECT_EQ(lines[5], "12 34 tail\t5");
    EXPECT_EQ(lines[6], longLine.left(4096));
}

TEST(PrintTextLines, EmptyTitleAndEmptyEditorKeepTheFixedLines) {
    const QStringList lines = PrintTextLines("", 0, false, " ", LineView(""));
    EXPECT_EQ(lines,
              QStringList({"", "Local coords, eq. area, open=upper  File:  ", "--------------"}));
}

TEST(PlacePrintLines, LinesThatDoNotFitContinueFromTheTopMargin) {
    const PrintLayout layout = ComputePrintLayout(4760, kNetExtent);
    const int lineHeight = 67;
    const int pageHeight = 6800;
    const int count = 150;
    const std::vector<PlacedLine> placed = PlacePrintLines(layout, lineHeight, pageHeight, count);
    ASSERT_EQ(placed.size(), static_cast<size_t>(count));

    // Title at T + L, mode line T + 2L, rule T + 3L, editor line k at
    // T + (3 + k) L; (6800 - 4303) / 67 = 37.27, so cells 1..36 end within
    // the page and 37 would not.
    const int firstPageLines = 36;
    for (int i = 0; i < firstPageLines; ++i) {
        EXPECT_EQ(placed[i].Page, 0);
        EXPECT_EQ(placed[i].Top, 4303 + (i + 1) * lineHeight);
    }
    EXPECT_EQ(placed[firstPageLines].Page, 1);
    EXPECT_EQ(placed[firstPageLines].Top, 560);

    // Every line is placed once, in order, one line height apart on its page
    // and wholly inside it; a new page starts at M.
    int pages = 1;
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(placed[i].Index, i);
        EXPECT_LE(placed[i].Top + lineHeight, pageHeight);
        if (i == 0)
            continue;
        if (placed[i].Page == placed[i - 1].Page) {
            EXPECT_EQ(placed[i].Top, placed[i - 1].Top + lineHeight);
        } else {
            EXPECT_EQ(placed[i].Page, placed[i - 1].Page + 1);
            EXPECT_EQ(placed[i].Top, 560);
            ++pages;
        }
    }
    // (6800 - 560) / 67 = 93 lines on each further page: 36 + 93 + 21.
    EXPECT_EQ(pages, 3);
}

TEST(PlacePrintLines, PageTooShortForALineStillEndsWithOneLinePerPage) {
    const PrintLayout layout = ComputePrintLayout(4760, kNetExtent);
    const std::vector<PlacedLine> placed = PlacePrintLines(layout, 500, 600, 4);
    ASSERT_EQ(placed.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(placed[i].Page, i + 1);
        EXPECT_EQ(placed[i].Top, 560);
    }
}

// Pages painted on images at 150 pixels per inch, so 8-point text is about
// 17 pixels high and the page geometry is that of a real printer.
class PaintedPages {
public:
    PaintedPages(int width, int height) : width_(width), height_(height) {
        pages_.push_back(blank());
    }

    int Paint(const PrintContent& content, int maxPages = 100) {
        QPainter painter(&pages_.back());
        return PaintPrintout(
            painter, width_, height_,
            [&] {
                if (static_cast<int>(pages_.size()) >= maxPages)
                    return false;
                // A printer keeps the painter's state across pages; an image
                // needs a new painter, given the same font and pen.
                const QFont font = painter.font();
                const QPen pen = painter.pen();
                painter.end();
                pages_.push_back(blank());
                if (!painter.begin(&pages_.back()))
                    return false;
                painter.setFont(font);
                painter.setPen(pen);
                return true;
            },
            content);
    }

    const QImage& Page(int i) const { return pages_.at(i); }
    int Count() const { return static_cast<int>(pages_.size()); }

    // Dark pixels of page i in rows [top, bottom) and columns [left, right).
    int Ink(int i, int left, int top, int right, int bottom) const {
        const QImage& page = pages_.at(i);
        int count = 0;
        for (int y = std::max(top, 0); y < std::min(bottom, page.height()); ++y)
            for (int x = std::max(left, 0); x < std::min(right, page.width()); ++x)
                count += qGray(page.pixel(x, y)) < 128 ? 1 : 0;
        return count;
    }

private:
    QImage blank() const {
        QImage page(width_, height_, QImage::Format_RGB32);
        page.setDotsPerMeterX(5906); // 150 pixels per inch
        page.setDotsPerMeterY(5906);
        page.fill(Qt::white);
        return page;
    }

    int width_;
    int height_;
    std::vector<QImage> pages_;
};

QFont TestFont() {
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont);
}

int LineHeightAt150(const QFont& font) {
    QImage probe(8, 8, QImage::Format_RGB32);
    probe.setDotsPerMeterX(5906);
    probe.setDotsPerMeterY(5906);
    QFont printed = font;
    printed.setPointSize(8);
    return QFontMetrics(printed, &probe).height();
}

// A picture that is black in every unit of the raster.
DrawOnCanvas BlackPicture() {
    return [](Canvas& canvas) {
        canvas.SetBrushColor(Qt::black);
        canvas.Rectangle(0, 0, canvas.Width(), canvas.Height());
    };
}

TEST(PaintPrintout, DrawsThePlotsExtentIntoTheDestinationAndNothingElse) {
    // Black everywhere, then a white rectangle one unit inside the extent
    // with its outline: the extent's edges must land on the destination's.
    PrintContent content;
    content.Units = QSize(60, 50);
    content.Extent = PlotExtent{10, 50, 40};
    content.WindowFont = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    content.Draw = [](Canvas& canvas) {
        BlackPicture()(canvas);
        canvas.SetBrushColor(Qt::white);
        canvas.Rectangle(11, 1, 49, 39);
    };
    // P = 1190: M = 140, W = 840, H = 40 / 40 x 840 = 840; a unit is 21 pixels.
    PaintedPages pages(1190, 1684);
    EXPECT_EQ(pages.Paint(content), 1);
    const QImage& page = pages.Page(0);
    auto black = [&](int x, int y) { return qGray(page.pixel(x, y)) < 128; };
    // Unit u of the raster lands at 140 + 21 (u - 10): black from 140 to 182
    // (the extent's first unit and the outline), white to 938, black to 980.
    for (int i = 0; i < 840; i += 7) {
        SCOPED_TRACE(i);
        const int along = 150 + i * 820 / 840;
        for (const int edge : {141, 179, 941, 978}) {
            EXPECT_TRUE(black(edge, along));
            EXPECT_TRUE(black(along, edge));
        }
        for (const int inside : {185, 935}) {
            EXPECT_FALSE(black(inside, 190 + i * 740 / 840));
            EXPECT_FALSE(black(190 + i * 740 / 840, inside));
        }
        // Nothing around the destination rectangle.
        EXPECT_FALSE(black(139, 140 + i));
        EXPECT_FALSE(black(980, 140 + i));
        EXPECT_FALSE(black(140 + i, 139));
        EXPECT_FALSE(black(140 + i, 980));
    }
}

TEST(PaintPrintout, EachTextLineInkLiesInItsOwnCell) {
    const PlotExtent extent{10, 50, 40};
    const QFont font = TestFont();
    const int lineHeight = LineHeightAt150(font);
    ASSERT_GT(lineHeight, 10);

    // Title, mode line, rule and two editor lines; empty cells must stay empty.
    const QStringList lines{"Title", "", "--------------", "", "Wq 12 34"};
    PaintedPages pages(1190, 1684);
    PrintContent content;
    content.Units = QSize(60, 50);
    content.Extent = extent;
    content.WindowFont = font;
    content.Lines = lines;
    EXPECT_EQ(pages.Paint(content), 1);

    const int margin = 140;
    const int textTop = 140 + 840 + 35; // T = M + H + M / 4
    // The gap from the picture to the title cell is M / 4 plus one line.
    EXPECT_EQ(pages.Ink(0, 0, 980, 1190, textTop + lineHeight), 0);
    for (int i = 0; i < lines.size(); ++i) {
        const int top = textTop + (i + 1) * lineHeight;
        const int ink = pages.Ink(0, margin, top, 1190, top + lineHeight);
        if (lines[i].isEmpty())
            EXPECT_EQ(ink, 0) << "line " << i;
        else
            EXPECT_GT(ink, 0) << "line " << i;
    }
    const int blockBottom = textTop + (lines.size() + 1) * lineHeight;
    EXPECT_EQ(pages.Ink(0, 0, blockBottom, 1190, 1684), 0);
    EXPECT_EQ(pages.Ink(0, 0, textTop, margin, blockBottom), 0);
}

TEST(PaintPrintout, LongTextContinuesOnFurtherPagesFromTheTopMargin) {
    const PlotExtent extent{10, 50, 40};
    const QFont font = TestFont();
    const int lineHeight = LineHeightAt150(font);
    QStringList lines{"Title", "mode", "--------------"};
    for (int k = 1; k <= 60; ++k)
        lines.append(QStringLiteral("line %1").arg(k));

    PaintedPages pages(1190, 1684);
    PrintContent content;
    content.Draw = BlackPicture();
    content.Units = QSize(60, 50);
    content.Extent = extent;
    content.WindowFont = font;
    content.Lines = lines;
    const int count = pages.Paint(content);
    const std::vector<PlacedLine> placed =
        PlacePrintLines(ComputePrintLayout(1190, extent), lineHeight, 1684, lines.size());
    ASSERT_EQ(count, placed.back().Page + 1);
    ASSERT_GE(count, 2);
    EXPECT_EQ(pages.Count(), count);

    // The picture is on the first page only; text on a further page starts
    // in the cell at M and nothing is above it.
    EXPECT_GT(pages.Ink(0, 140, 140, 980, 980), 0);
    EXPECT_EQ(pages.Ink(1, 0, 0, 1190, 140), 0);
    EXPECT_GT(pages.Ink(1, 140, 140, 1190, 140 + lineHeight), 0);
}

} // namespace
