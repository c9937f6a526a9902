#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPdfWriter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "main_window.h"
#include "print_test_support.h"

namespace {

// The real print handler, with Qt's own PDF output in place of the printer.
class PrintHandlerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        window_.SetErrorSink([this](const QString& message) { errors_.append(message); });
        window_.QuorvexStart(nullptr);
    }

    void PrintToPdf(const QString& path) {
        window_.SetPrintDeviceOpener([path](QString&) {
            auto writer = std::make_unique<QPdfWriter>(path);
            writer->setResolution(600);
            writer->setPageSize(QPageSize(QPageSize::A4));
            return std::unique_ptr<QPagedPaintDevice>(std::move(writer));
        });
        window_.PrintButtClick(window_.Button2);
    }

    QString Pdf(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

    // Sets the editor and then the file name, since an edit resets the name.
    void SetData(const QString& text, const QString& fileName) {
        window_.DataFileMemo->setPlainText(text);
        window_.CurrentFileName = fileName;
    }

    QTemporaryDir dir_;
    TQVMainForm window_;
    QStringList errors_;
};

TEST_F(PrintHandlerTest, PrintsTitleModeLineRuleAndEditorLinesInOrder) {
    window_.TitleEdit->setText(QStringLiteral("Site 17 demag"));
    window_.SetItemIndex(window_.PlotTypeRG, 2);
    SetData(QStringLiteral("Declination Inclination\n12.5 45 3\n\n200 -30 first\n"),
            QStringLiteral("/data/sites/s17.plt"));
    const int passes = window_.PlotPassCount();
    const QImage rasterBefore = window_.Raster().copy();

    const QString pdf = Pdf("order.pdf");
    PrintToPdf(pdf);
    ASSERT_TRUE(errors_.isEmpty()) << errors_.join('\n').toStdString();
    EXPECT_EQ(PdfPageCount(pdf), 1);
    const QStringList block = {
        "Site 17 demag",  "South polar view, eq.area, open=upper File: /data/sites/s17.plt",
        "--------------", "Declination Inclination",
        "12.5 45 3",      "200 -30 first"};
    const QStringList lines = NonEmptyLines(PdfPageText(pdf, 1));
    ASSERT_GT(lines.size(), block.size());
    EXPECT_EQ(lines.mid(lines.size() - block.size()), block);
    // Before it the picture's own texts, drawn as text: its title line and
    // the labels, but not the lines under the net, outside the plot region.
    EXPECT_TRUE(lines.first().startsWith(QStringLiteral("Site 17 demag ")))
        << lines.first().toStdString();
    EXPECT_EQ(lines.mid(1, lines.size() - block.size() - 1), QStringList({"0", "90"}));

    // Printing changes nothing and does not redraw.
    EXPECT_EQ(window_.PlotPassCount(), passes);
    EXPECT_EQ(window_.Raster(), rasterBefore);
    EXPECT_EQ(window_.CurrentFileName, QStringLiteral("/data/sites/s17.plt"));
    EXPECT_EQ(window_.TitleEdit->text(), QStringLiteral("Site 17 demag"));
}

TEST_F(PrintHandlerTest, PrintingTwiceGivesTheSamePage) {
    window_.TitleEdit->setText(QStringLiteral("Twice"));
    SetData(QStringLiteral("10 20\n30 40\n"), QStringLiteral(" "));
    PrintToPdf(Pdf("first.pdf"));
    PrintToPdf(Pdf("second.pdf"));
    ASSERT_TRUE(errors_.isEmpty());
    const QImage first = RenderPdfPage(Pdf("first.pdf"), 1, 50);
    ASSERT_FALSE(first.isNull());
    EXPECT_EQ(first, RenderPdfPage(Pdf("second.pdf"), 1, 50));
}

TEST_F(PrintHandlerTest, LongEditorContinuesOnFurtherPagesWithoutLosingALine) {
    QString text;
    QStringList expected{"Long", "Local coords, eq. area, open=upper File:", "--------------"};
    for (int k = 1; k <= 150; ++k) {
        const QString line = QStringLiteral("%1 %2 line%3").arg(k % 360).arg(k % 90).arg(k);
        text += line + '\n';
        expected.append(line);
    }
    window_.TitleEdit->setText(QStringLiteral("Long"));
    SetData(text, QStringLiteral(" "));

    const QString pdf = Pdf("long.pdf");
    PrintToPdf(pdf);
    ASSERT_TRUE(errors_.isEmpty());
    const int pages = PdfPageCount(pdf);
    // A4 at 600 dpi holds about 25 lines under the picture and about 80 on a
    // further page, so 153 lines take three pages.
    EXPECT_EQ(pages, 3);
    QStringList printed;
    for (int page = 1; page <= pages; ++page) {
        const QStringList onPage = NonEmptyLines(PdfPageText(pdf, page));
        EXPECT_FALSE(onPage.isEmpty()) << "page " << page;
        printed += onPage;
    }
    // The picture's texts come first: its title line and labels.
    printed = printed.mid(printed.indexOf(QStringLiteral("Long")));
    EXPECT_EQ(printed, expected);
}

// The picture is drawn on the device at its own resolution: no image at all
// in the document, whatever the raster; the job carries the title as its
// name, or "Quorvex plot" without one.
TEST_F(PrintHandlerTest, ThePictureIsVectorAndTheJobIsNamedAfterTheTitle) {
    SetData(QStringLiteral("12 34 5\n200 -10 8\n355 60 12\n"), QStringLiteral(" "));
    window_.SetItemIndex(window_.FileTypeRG, 1);
    window_.SetItemIndex(window_.PlotErrorRG, 0);
    for (const QString& title : {QStringLiteral("Site 17 demag"), QString()}) {
        window_.TitleEdit->setText(title);
        window_.DoImage(nullptr);
        const QString pdf = Pdf(title.isEmpty() ? "untitled.pdf" : "titled.pdf");
        PrintToPdf(pdf);
        ASSERT_TRUE(errors_.isEmpty()) << errors_.join('\n').toStdString();
        EXPECT_EQ(PdfImageCount(pdf), 0);
        EXPECT_EQ(PdfTitle(pdf), title.isEmpty() ? QStringLiteral("Quorvex plot") : title);
        // The net is on the page: the picture's ink, drawn from curves.
        const QImage page = RenderPdfPage(pdf, 1, 50);
        ASSERT_FALSE(page.isNull());
        int ink = 0;
        for (int y = 0; y < page.height() / 2; ++y)
            for (int x = 0; x < page.width(); ++x)
                ink += qGray(page.pixel(x, y)) < 128 ? 1 : 0;
        EXPECT_GT(ink, 300);
    }
}

// Print... asks the system's dialog first and prints the same page on what it
// chose; a cancelled dialog prints nothing.
TEST_F(PrintHandlerTest, ThePrintDialogChoosesThePrinterOfTheSamePage) {
    window_.TitleEdit->setText(QStringLiteral("Dialog"));
    SetData(QStringLiteral("10 20\n30 40\n"), QStringLiteral("/data/d.plt"));
    const QString direct = Pdf("direct.pdf");
    PrintToPdf(direct);

    const QString chosen = Pdf("chosen.pdf");
    int asked = 0;
    bool accept = false;
    window_.SetPrintDialogRunner([&](QPrinter& printer) {
        ++asked;
        // The dialog gets the printer's own resolution to offer.
        EXPECT_GE(printer.resolution(), 300);
        printer.setOutputFileName(chosen);
        return accept;
    });
    window_.PrintDialog1->trigger();
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(QFile::exists(chosen));
    accept = true;
    const int passes = window_.PlotPassCount();
    window_.PrintDialogClick(window_.PrintDialog1);
    EXPECT_EQ(asked, 2);
    ASSERT_TRUE(errors_.isEmpty()) << errors_.join('\n').toStdString();
    EXPECT_EQ(PdfPageCount(chosen), 1);
    EXPECT_EQ(NonEmptyLines(PdfPageText(chosen, 1)), NonEmptyLines(PdfPageText(direct, 1)));
    EXPECT_EQ(PdfTitle(chosen), QStringLiteral("Dialog"));
    EXPECT_EQ(PdfImageCount(chosen), 0);
    EXPECT_EQ(window_.PlotPassCount(), passes);
}

TEST_F(PrintHandlerTest, NoDefaultPrinterIsReported) {
    // The tests' printer service is unreachable, so there is no default printer.
    window_.PrintButtClick(window_.PrintImage1);
    EXPECT_EQ(errors_, QStringList{"There is no default printer currently selected."});
}

TEST_F(PrintHandlerTest, PrinterThatCannotBeOpenedIsNotValid) {
    window_.SetPrintDeviceOpener([](QString&) {
        return std::unique_ptr<QPagedPaintDevice>(
            std::make_unique<QPdfWriter>(QStringLiteral("/nonexistent-folder/out.pdf")));
    });
    window_.PrintButtClick(window_.Button2);
    EXPECT_EQ(errors_, QStringList{"Printer selected is not valid."});
}

} // namespace
