#include <QAction>
#include <QGroupBox>
#include <QLineEdit>
#include <QPdfWriter>
#include <QPlainTextEdit>
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
    EXPECT_EQ(
        NonEmptyLines(PdfPageText(pdf, 1)),
        QStringList({"Site 17 demag",
                     "South polar view, eq.area, open=upper File: /data/sites/s17.plt",
                     "--------------", "Declination Inclination", "12.5 45 3", "200 -30 first"}));

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
    EXPECT_EQ(printed, expected);
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
