// The plot as something to explore: the read-out texts, the search for the
// mark under a pixel, and the window's read-out, mark-to-line link and ring.

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPagedPaintDevice>
#include <QPdfWriter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <cmath>
#include <memory>
#include <numbers>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "analysis_menu.h"
#include "file_type.h"
#include "image_view.h"
#include "line_view.h"
#include "mark_finder.h"
#include "plot_explorer.h"
#include "pointer_readout.h"
#include "raster_canvas.h"
#include "results_window.h"
#include "test_plot_inputs.h"
#include "window_fixture.h"

namespace {

TEST(PointerReadout, TextsOfDirectionsPolesAndPlanes) {
    const struct {
        double dec;
        double inc;
        int plotType;
        int fileType;
        QChar separator;
        QString text;
    } cases[] = {
        {123.4, 45.6, 0, 0, u'.', "Dec 123.4  Inc 45.6"},
        {123.4, 45.6, 0, 0, u',', "Dec 123,4  Inc 45,6"},
        {123.4, 45.6, 1, 0, u'.', "Lon 123.4  Lat 45.6"},
        {123.4, -45.6, 2, 0, u'.', "Lon 123.4  Lat -45.6"},
        {123.4, 45.6, 0, 9, u'.', "Dec 123.4  Inc 45.6  plane: strike 213.4, dip 44.4"},
        {123.4, 45.6, 0, 10, u'.', "Dec 123.4  Inc 45.6  plane: dip direction 303.4, dip 44.4"},
        // A pole whose plane's azimuth passes north.
        {300.0, 10.0, 0, 9, u'.', "Dec 300.0  Inc 10.0  plane: strike 30.0, dip 80.0"},
        // In the polar views the values are a place, not a plane's pole.
        {123.4, 45.6, 2, 9, u'.', "Lon 123.4  Lat 45.6"},
        // Just short of north reads north; a tiny negative reads no minus.
        {359.96, -0.04, 0, 0, u'.', "Dec 0.0  Inc 0.0"},
        // A datum's own value past 360 is shown as its line holds it.
        {400.0, 45.0, 0, 0, u'.', "Dec 400.0  Inc 45.0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(DirectionReadout(c.dec, c.inc, c.plotType, c.fileType, c.separator), c.text);
    }
    EXPECT_EQ(MarkReadout(PlottedDatum{12, 0, 123.4, 45.6, 0.0}, 0, 10, u'.'),
              QStringLiteral("line 12: Dec 123.4  Inc 45.6  plane: dip direction 303.4, dip 44.4"));
}

// The plane read back from the pole the reader made of it is the line's own.
TEST(PointerReadout, PlaneOfPoleUndoesTheReadersTurn) {
    const struct {
        int fileType;
        const char* line;
        double azimuth;
        double dip;
    } cases[] = {
        {9, "213.4 44.4", 213.4, 44.4}, {9, "10 30", 10.0, 30.0},        {9, "350 0", 350.0, 0.0},
        {9, "0 90", 0.0, 90.0},         {10, "303.4 44.4", 303.4, 44.4}, {10, "90 60", 90.0, 60.0},
        {10, "170 5", 170.0, 5.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.line) + " as type " + std::to_string(c.fileType));
        const Direction pole = ReadDataLine(c.fileType, c.line);
        ASSERT_TRUE(pole.Success);
        const PlaneAttitude plane = PlaneOfPole(pole.Dec, pole.Inc, c.fileType);
        EXPECT_NEAR(plane.Azimuth, c.azimuth, 1e-9);
        EXPECT_NEAR(plane.Dip, c.dip, 1e-9);
    }
    // A pole above the horizon stands for the same plane as its lower end.
    const PlaneAttitude upper = PlaneOfPole(100.0, -30.0, 9);
    EXPECT_NEAR(upper.Azimuth, 10.0, 1e-9);
    EXPECT_NEAR(upper.Dip, 60.0, 1e-9);
}

// The nearest mark within reach by looking at every mark: what the grid
// must find by looking at few.
std::optional<std::size_t> ScanForMark(const std::vector<QPoint>& centres, QPoint pixel,
                                       int reach) {
    std::optional<std::size_t> best;
    long long bestSquared = 0;
    for (std::size_t i = 0; i < centres.size(); ++i) {
        const long long dx = centres[i].x() - pixel.x();
        const long long dy = centres[i].y() - pixel.y();
        const long long squared = dx * dx + dy * dy;
        if (squared <= static_cast<long long>(reach) * reach && (!best || squared < bestSquared)) {
            best = i;
            bestSquared = squared;
        }
    }
    return best;
}

TEST(MarkFinder, FindsWhatAScanOfEveryMarkFinds) {
    MarkFinder empty;
    EXPECT_EQ(empty.Find({0, 0}), std::nullopt);
    std::mt19937 random(20260102);
    for (const int reach : {1, 4, 7}) {
        SCOPED_TRACE(reach);
        // Clustered marks with repeats, on both sides of the origin, so that
        // pixels fall on bucket edges, outside the grid and on shared centres.
        std::uniform_int_distribution<int> coordinate(-40, 60);
        std::vector<QPoint> centres;
        for (int i = 0; i < 400; ++i)
            centres.emplace_back(coordinate(random), coordinate(random));
        for (int i = 0; i < 50; ++i)
            centres.push_back(centres[static_cast<std::size_t>(i) * 3]);
        MarkFinder finder;
        finder.Assign(centres, reach);
        int found = 0;
        for (int y = -50; y <= 70; ++y) {
            for (int x = -50; x <= 70; ++x) {
                const std::optional<std::size_t> expected = ScanForMark(centres, {x, y}, reach);
                ASSERT_EQ(finder.Find({x, y}), expected) << x << "," << y;
                found += expected ? 1 : 0;
            }
        }
        EXPECT_GT(found, 0);
    }
}

TEST(MarkFinder, ReachIsTheMarksHalfSizeAndAtLeastFourPixels) {
    PlotGeometry geometry;
    geometry.Radius = 200;
    const struct {
        double markSize;
        int reach;
    } cases[] = {{13.0 / 800.0, 4}, {0.0, 4}, {5.2 / 200.0, 6}, {6.0 / 200.0, 6}};
    for (const auto& c : cases) {
        geometry.MarkSize = c.markSize;
        EXPECT_EQ(MarkReach(geometry), c.reach) << c.markSize;
    }
}

// Lines 1, 2, 5 and 6 are data, all below the horizon (drawn as an X); line
// 3 is blank and line 4 is not read.
const QString kData = QStringLiteral("10 60\n123.4 45.6\n\nnot a datum\n250 20\n300 75\n");

class ExploredWindow : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        form->DataFileMemo->setPlainText(kData);
        form->DoImage(nullptr);
        passes = form->PlotPassCount();
        // The net as a pass places it on a raster of the window's size.
        QImage scratch(form->Raster().size(), QImage::Format_RGB32);
        RasterCanvas canvas(scratch);
        const LineView none{QString()};
        PlotReport report;
        RunPlotPass(canvas, TestPlotInputs(none), report);
        const PlotGeometry& net = report.Geometry;
        centre = {net.CentreX, net.CentreY};
        radius = net.Radius;
    }

    void MoveTo(QPoint pixel) {
        QMouseEvent move(QEvent::MouseMove, QPointF(pixel),
                         form->Image1->mapToGlobal(QPointF(pixel)), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(form->Image1, &move);
    }

    QString ReadoutAt(QPoint pixel) {
        MoveTo(pixel);
        return form->PointerReadout->text();
    }

    void PutCursorOnLine(int line) {
        form->DataFileMemo->setTextCursor(
            QTextCursor(form->DataFileMemo->document()->findBlockByNumber(line - 1)));
    }

    int CursorLine() const { return form->DataFileMemo->textCursor().blockNumber() + 1; }

    // The centre of the black pixels about a pixel: where a mark is drawn.
    QPointF InkCentre(QPoint around) const {
        const QImage& raster = form->Raster();
        double sumX = 0.0;
        double sumY = 0.0;
        int count = 0;
        for (int y = around.y() - 8; y <= around.y() + 8; ++y) {
            for (int x = around.x() - 8; x <= around.x() + 8; ++x) {
                if (raster.pixel(x, y) == qRgb(0, 0, 0)) {
                    sumX += x;
                    sumY += y;
                    ++count;
                }
            }
        }
        return count > 0 ? QPointF(sumX / count, sumY / count) : QPointF(-100.0, -100.0);
    }

    int passes = 0;
    QPoint centre;
    int radius = 0;
};

// The ring of a line's mark centres on the mark as the pass drew it, in
// every view; lines that are no datum have none.
TEST_F(ExploredWindow, TheCursorOnADataLineRingsItsMarkAndOnNoOtherLine) {
    for (const int plotType : {0, 1, 2}) {
        SCOPED_TRACE(plotType);
        form->SetItemIndex(form->PlotTypeRG, plotType);
        for (const int line : {1, 2, 5, 6}) {
            PutCursorOnLine(line);
            const std::optional<QPoint> ring = form->Image1->RingCentre();
            ASSERT_TRUE(ring.has_value()) << line;
            const QPointF ink = InkCentre(*ring);
            EXPECT_NEAR(ink.x(), ring->x(), 1.0) << line;
            EXPECT_NEAR(ink.y(), ring->y(), 1.0) << line;
        }
        for (const int line : {3, 4, 7}) {
            PutCursorOnLine(line);
            EXPECT_FALSE(form->Image1->RingCentre().has_value()) << line;
        }
    }
    // The north polar view mirrors the south one, and the ring follows.
    PutCursorOnLine(2);
    const QPoint south = *form->Image1->RingCentre();
    form->SetItemIndex(form->PlotTypeRG, 1);
    const QPoint north = *form->Image1->RingCentre();
    EXPECT_NEAR(north.x() - centre.x(), centre.x() - south.x(), 1);
    EXPECT_EQ(north.y(), south.y());
    EXPECT_EQ(form->PlotPassCount(), passes + 3); // the plot type changes only
}

// Analysis > Projection > Equal angle redraws once, and the read-out and the
// ring follow the stereographic net, where a direction at angle t from the
// centre lies at tan(t/2) of the radius.
TEST_F(ExploredWindow, TheEqualAngleNetRedrawsOnceAndTheExplorerFollowsIt) {
    AnalysisMenu& menu = *form->AnalysisMenu1;
    QStringList captions;
    for (const QAction* action : menu.Projection1->actions())
        captions.append(action->text());
    EXPECT_EQ(captions, QStringList({QStringLiteral("Equal area"), QStringLiteral("Equal angle")}));
    EXPECT_TRUE(menu.ProjectionEqualArea1->isChecked());

    menu.ProjectionEqualAngle1->trigger();
    EXPECT_EQ(form->PlotPassCount(), passes + 1);
    EXPECT_FALSE(menu.ProjectionEqualArea1->isChecked());

    // Half the radius east of the centre: 90 - 2 atan(1/2) = 36.87 degrees
    // (the equal-area net shows 48.59 there).
    const QString east = ReadoutAt(centre + QPoint(radius / 2, 0));
    ASSERT_TRUE(east.startsWith(QStringLiteral("Dec 90.0  Inc "))) << east.toStdString();
    EXPECT_NEAR(east.mid(14).toDouble(), 36.87, 0.5) << east.toStdString();

    // Line 2 holds (123.4, 45.6): its ring sits on its mark, tan(22.2) of the
    // radius from the centre.
    PutCursorOnLine(2);
    const std::optional<QPoint> ring = form->Image1->RingCentre();
    ASSERT_TRUE(ring.has_value());
    const QPoint offset = *ring - centre;
    EXPECT_NEAR(std::hypot(offset.x(), offset.y()),
                radius * std::tan(22.2 * std::numbers::pi / 180.0), 1.0);
    const QPointF ink = InkCentre(*ring);
    EXPECT_NEAR(ink.x(), ring->x(), 1.0);
    EXPECT_NEAR(ink.y(), ring->y(), 1.0);
    EXPECT_EQ(ReadoutAt(*ring), QStringLiteral("line 2: Dec 123.4  Inc 45.6"));

    menu.Results1->trigger();
    ASSERT_NE(form->Results(), nullptr);
    EXPECT_TRUE(form->Results()->Text().contains(
        QStringLiteral("\nProjection: equal angle (stereographic)\n")));
}

TEST_F(ExploredWindow, AnEditUntiesTheMarksUntilTheNextPass) {
    PutCursorOnLine(2);
    ASSERT_TRUE(form->Image1->RingCentre().has_value());
    const QPoint mark = *form->Image1->RingCentre();
    // A line inserted above moves the datum to line 3: the ring and the
    // mark's line would now be wrong, so there are none.
    QTextCursor top(form->DataFileMemo->document());
    top.insertText(QStringLiteral("5 5\n"));
    EXPECT_FALSE(form->Image1->RingCentre().has_value());
    EXPECT_EQ(ReadoutAt(mark).left(4), QStringLiteral("Dec "));
    EXPECT_EQ(form->PlotPassCount(), passes);

    form->DoImage(nullptr);
    PutCursorOnLine(3);
    EXPECT_EQ(form->Image1->RingCentre(), mark);
    EXPECT_EQ(ReadoutAt(mark), QStringLiteral("line 3: Dec 123.4  Inc 45.6"));
    // A line that is no longer a datum loses its ring with the pass.
    QTextCursor line3(form->DataFileMemo->document()->findBlockByNumber(2));
    line3.insertText(QStringLiteral("x"));
    form->DoImage(nullptr);
    PutCursorOnLine(3);
    EXPECT_FALSE(form->Image1->RingCentre().has_value());
}

TEST_F(ExploredWindow, TheReadoutFollowsThePointerWithoutARedraw) {
    EXPECT_TRUE(form->PointerReadout->text().isEmpty());
    EXPECT_EQ(form->PointerReadout->font(), form->font());
    PutCursorOnLine(2);
    const QPoint mark = *form->Image1->RingCentre();
    PutCursorOnLine(3);
    const QPoint east = centre + QPoint(radius / 2, 0);
    const struct {
        QPoint pixel;
        QString text;
    } cases[] = {
        {centre, "Dec 0.0  Inc 90.0"},
        {mark, "line 2: Dec 123.4  Inc 45.6"},
        {mark + QPoint(3, -2), "line 2: Dec 123.4  Inc 45.6"},
        {{2, 2}, ""},                                     // beside the net
        {centre - QPoint(0, radius + 2), ""},             // above the primitive circle
        {centre - QPoint(0, radius), "Dec 0.0  Inc 0.0"}, // on it
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadoutAt(c.pixel), c.text) << c.pixel.x() << "," << c.pixel.y();
    // Due east and north of the centre, and the mirrored east of the north
    // polar view.
    EXPECT_TRUE(ReadoutAt(east).startsWith(QStringLiteral("Dec 90.0  Inc ")));
    EXPECT_TRUE(
        ReadoutAt(centre - QPoint(0, radius / 2)).startsWith(QStringLiteral("Dec 0.0  Inc ")));
    form->SetItemIndex(form->PlotTypeRG, 1);
    EXPECT_TRUE(ReadoutAt(east).startsWith(QStringLiteral("Lon 270.0  Lat ")));
    // Planes: the strike of the plane whose pole the pointer is on.
    form->SetItemIndex(form->PlotTypeRG, 0);
    form->SetItemIndex(form->FileTypeRG, 9);
    EXPECT_TRUE(ReadoutAt(east).contains(QStringLiteral("  plane: strike 180.0, dip ")));
    EXPECT_EQ(form->PlotPassCount(), passes + 3); // the selectors' changes only

    // Leaving the view empties it; a new pass under a still pointer renews it.
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(form->Image1, &leave);
    EXPECT_TRUE(form->PointerReadout->text().isEmpty());
    MoveTo(east);
    form->SetItemIndex(form->FileTypeRG, 10);
    EXPECT_TRUE(
        form->PointerReadout->text().contains(QStringLiteral("plane: dip direction 270.0")));
}

TEST_F(ExploredWindow, ClickingAMarkPutsTheCursorOnItsLineAndChangesNothingElse) {
    // Enough lines that the datum's line starts out of view.
    QString text = kData;
    for (int i = 0; i < 300; ++i)
        text += QStringLiteral("\n");
    text += QStringLiteral("200 50\n");
    form->DataFileMemo->setPlainText(text);
    form->DataFileMemo->document()->setModified(false);
    QTest::keyClicks(form->DataFileMemo, QStringLiteral(" ")); // an undo step
    form->DoImage(nullptr);
    const int line = 307;
    PutCursorOnLine(line);
    const QPoint mark = *form->Image1->RingCentre();
    PutCursorOnLine(1);
    form->DataFileMemo->verticalScrollBar()->setValue(0);
    const int undoSteps = form->DataFileMemo->document()->availableUndoSteps();
    const bool modified = form->DataFileMemo->document()->isModified();
    const QString before = form->EditorText();
    const int passesBefore = form->PlotPassCount();

    // Off every mark the click does nothing new.
    QTest::mouseClick(form->Image1, Qt::LeftButton, {}, centre);
    EXPECT_EQ(CursorLine(), 1);

    QTest::mouseClick(form->Image1, Qt::LeftButton, {}, mark + QPoint(1, 1));
    EXPECT_EQ(CursorLine(), line);
    EXPECT_EQ(form->DataFileMemo->textCursor().positionInBlock(), 0);
    EXPECT_TRUE(
        form->DataFileMemo->viewport()->rect().contains(form->DataFileMemo->cursorRect().center()));
    EXPECT_EQ(form->Image1->RingCentre(), mark);
    EXPECT_EQ(form->EditorText(), before);
    EXPECT_EQ(form->DataFileMemo->document()->availableUndoSteps(), undoSteps);
    EXPECT_EQ(form->DataFileMemo->document()->isModified(), modified);
    EXPECT_EQ(form->PlotPassCount(), passesBefore);
}

// A PDF without the line that says when it was made.
QByteArray WithoutDate(const QByteArray& pdf) {
    QList<QByteArray> lines = pdf.split('\n');
    lines.removeIf([](const QByteArray& line) { return line.contains("/CreationDate"); });
    return lines.join('\n');
}

// The ring is the view's alone: the raster, the image file and the printout
// are the same with it and without it.
TEST_F(ExploredWindow, TheRingIsOnTheScreenButNotInTheRasterExportOrPrint) {
    QTemporaryDir folder;
    const auto exportAndPrint = [&](const QString& name) {
        Answer(folder.filePath(name + QStringLiteral(".png")));
        form->Save2Click(nullptr);
        const QString pdf = folder.filePath(name + QStringLiteral(".pdf"));
        form->SetPrintDeviceOpener([pdf](QString&) {
            auto writer = std::make_unique<QPdfWriter>(pdf);
            writer->setCreator(QStringLiteral("test"));
            return std::unique_ptr<QPagedPaintDevice>(std::move(writer));
        });
        form->PrintButtClick(nullptr);
        QFile png(folder.filePath(name + QStringLiteral(".png")));
        QFile printed(pdf);
        EXPECT_TRUE(png.open(QIODevice::ReadOnly) && printed.open(QIODevice::ReadOnly));
        return std::pair(png.readAll(), printed.readAll());
    };
    PutCursorOnLine(3);
    const QImage without = form->Raster().copy();
    const auto [pngWithout, pdfWithout] = exportAndPrint(QStringLiteral("without"));

    PutCursorOnLine(2);
    ASSERT_TRUE(form->Image1->RingCentre().has_value());
    const QPoint ring = *form->Image1->RingCentre();
    const QImage shown = form->Image1->grab().toImage();
    int ringPixels = 0;
    for (int y = ring.y() - 12; y <= ring.y() + 12; ++y) {
        for (int x = ring.x() - 12; x <= ring.x() + 12; ++x) {
            const QColor pixel = shown.pixelColor(x, y);
            ringPixels += pixel.red() > 200 && pixel.green() < 100 && pixel.blue() > 200 ? 1 : 0;
        }
    }
    EXPECT_GT(ringPixels, 20);
    EXPECT_EQ(form->Raster(), without);
    const auto [pngWith, pdfWith] = exportAndPrint(QStringLiteral("with"));
    EXPECT_FALSE(pngWith.isEmpty());
    EXPECT_EQ(pngWith, pngWithout);
    EXPECT_EQ(WithoutDate(pdfWith), WithoutDate(pdfWithout));
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
}

} // namespace
