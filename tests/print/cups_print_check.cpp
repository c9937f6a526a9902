// Prints through the real handler to the default printer of the private CUPS
// server that cups_sandbox.sh runs, and checks the PDF that arrives there.
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPagedPaintDevice>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QThread>

#include <gtest/gtest.h>

#include <iostream>

#include <cups/cups.h>

#include "main_window.h"
#include "print_page.h"
#include "print_test_support.h"

namespace {

constexpr int kRenderDpi = 50;

// Waits until a finished PDF is in folder and the server has no pending job.
QString WaitForPdf(const QString& folder, int seconds);

// Prints through the handler into an emptied folder; the PDF that arrives.
QString PrintAndWait(TQVMainForm& window, const QString& folder) {
    QDir out(folder);
    for (const QString& old : out.entryList(QDir::Files))
        out.remove(old);
    QStringList errors;
    window.SetErrorSink([&](const QString& message) { errors.append(message); });
    window.PrintButtClick(window.Button2);
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    return errors.isEmpty() ? WaitForPdf(folder, 120) : QString();
}

QString WaitForPdf(const QString& folder, int seconds) {
    const QDeadlineTimer deadline(seconds * 1000);
    while (!deadline.hasExpired()) {
        const QStringList pdfs =
            QDir(folder).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Time);
        const std::optional<QByteArray> pending =
            RunTool(QStringLiteral("lpstat"), {QStringLiteral("-o")});
        if (!pdfs.isEmpty() && pending && pending->trimmed().isEmpty()) {
            const QString path = QDir(folder).filePath(pdfs.first());
            if (PdfPageCount(path) > 0)
                return path;
        }
        QThread::msleep(250);
    }
    return {};
}

// The titles of the jobs the printer service has completed.
QStringList CompletedJobTitles() {
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, nullptr, 0, CUPS_WHICHJOBS_COMPLETED);
    QStringList titles;
    for (int i = 0; i < count; ++i)
        titles.append(QString::fromUtf8(jobs[i].title));
    cupsFreeJobs(count, jobs);
    return titles;
}

int Ink(const QImage& page, const QRect& area) {
    const QRect clipped = area.intersected(page.rect());
    int count = 0;
    for (int y = clipped.top(); y <= clipped.bottom(); ++y)
        for (int x = clipped.left(); x <= clipped.right(); ++x)
            count += qGray(page.pixel(x, y)) < 128 ? 1 : 0;
    return count;
}

TEST(CupsPrint, RealHandlerPrintsOnePageOnTheDefaultPrinter) {
    const QString out = qEnvironmentVariable("QUORVEX_CUPS_OUT");
    ASSERT_FALSE(out.isEmpty()) << "run through cups_sandbox.sh";
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    ASSERT_FALSE(printer.isNull()) << "the sandbox has no default printer";

    TQVMainForm window;
    window.QuorvexStart(nullptr);
    window.TitleEdit->setText(QStringLiteral("Sandbox printout"));
    window.DataFileMemo->setPlainText(
        QStringLiteral("12 34\n200 -10\n355 60\n90 5\n180 -45\n270 20\n"));
    window.DoImage(nullptr);
    const int editorLines = 6;

    const QString pdf = PrintAndWait(window, out);
    ASSERT_FALSE(pdf.isEmpty()) << "no PDF arrived in " << out.toStdString();
    EXPECT_EQ(PdfPageCount(pdf), 1);
    // The picture reached the printer as vectors, not as an image of any
    // resolution, and the job is named after the title.
    EXPECT_EQ(PdfImageCount(pdf), 0);
    EXPECT_TRUE(CompletedJobTitles().contains(QStringLiteral("Sandbox printout")))
        << CompletedJobTitles().join(u',').toStdString();

    // Where the handler put things, in the device pixels of the same printer.
    QPrinter reference(printer, QPrinter::HighResolution);
    const double scale = double(kRenderDpi) / reference.resolution();
    const QRect paint = reference.pageLayout().paintRectPixels(reference.resolution());
    const PrintLayout layout = ComputePrintLayout(paint.width(), window.Extent);
    QFont font = window.font();
    font.setPointSize(8);
    const int lineHeight = QFontMetrics(font, &reference).height();
    const auto toPage = [&](int left, int top, int right, int bottom) {
        return QRect(
            QPoint(qRound((paint.left() + left) * scale), qRound((paint.top() + top) * scale)),
            QPoint(qRound((paint.left() + right) * scale) - 1,
                   qRound((paint.top() + bottom) * scale) - 1));
    };
    const QRect picture = toPage(layout.Margin, layout.Margin, layout.Margin + layout.PictureWidth,
                                 layout.Margin + layout.PictureHeight);
    const int blockTop = layout.TextTop + lineHeight;
    const int blockBottom = layout.TextTop + (4 + editorLines) * lineHeight;
    const QRect text = toPage(layout.Margin, blockTop, paint.width(), blockBottom);

    const QImage page = RenderPdfPage(pdf, 1, kRenderDpi);
    ASSERT_FALSE(page.isNull());
    const QImage paper = page.convertToFormat(QImage::Format_RGB32);
    std::cout << "printer " << reference.resolution() << " dpi, P " << paint.width() << ", L "
              << lineHeight << "; page " << paper.width() << " x " << paper.height() << " at "
              << kRenderDpi << " dpi; picture " << picture.x() << "," << picture.y() << " "
              << picture.width() << " x " << picture.height() << "; text " << text.x() << ","
              << text.y() << " " << text.width() << " x " << text.height() << "\n";

    const int all = Ink(paper, paper.rect());
    const int inPicture = Ink(paper, picture.adjusted(-1, -1, 1, 1));
    const int inText = Ink(paper, text.adjusted(-1, -1, 1, 1));
    EXPECT_GT(inPicture, 500) << "the net is in the destination rectangle";
    EXPECT_GT(inText, 100) << "the text block is below the picture";
    EXPECT_EQ(all, inPicture + inText) << "no ink elsewhere on the page";
    // The net's circle reaches both sides of the picture.
    const int midY = picture.center().y();
    EXPECT_GT(Ink(paper, QRect(picture.left(), midY - 20, picture.width() / 8, 40)), 0);
    EXPECT_GT(Ink(paper,
                  QRect(picture.right() - picture.width() / 4, midY - 20, picture.width() / 4, 40)),
              0);
}

TEST(CupsPrint, LongEditorContinuesOnASecondSheet) {
    const QString out = qEnvironmentVariable("QUORVEX_CUPS_OUT");
    ASSERT_FALSE(out.isEmpty()) << "run through cups_sandbox.sh";
    TQVMainForm window;
    window.QuorvexStart(nullptr);
    QString text;
    for (int k = 1; k <= 60; ++k)
        text += QStringLiteral("%1 %2 line %3\n").arg(k * 6).arg(k - 30).arg(k);
    window.DataFileMemo->setPlainText(text);

    const QString pdf = PrintAndWait(window, out);
    ASSERT_FALSE(pdf.isEmpty()) << "no PDF arrived in " << out.toStdString();
    EXPECT_EQ(PdfPageCount(pdf), 2);
    // The second sheet holds text only, from the top margin down.
    const QImage second = RenderPdfPage(pdf, 2, kRenderDpi).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(second.isNull());
    EXPECT_GT(Ink(second, second.rect()), 100);
    EXPECT_EQ(Ink(second, QRect(0, 0, second.width(), second.height() / 20)), 0);
}

// Runs a CUPS administration command on the sandbox's printer.
void Administer(const QString& tool, const QStringList& arguments) {
    ASSERT_TRUE(RunTool(tool, arguments).has_value()) << tool.toStdString();
}

// A refusing printer is reported, both when it refuses before the document
// is made and when it starts refusing while the page is drawn; nothing prints.
TEST(CupsPrint, APrinterThatRejectsJobsIsReported) {
    const QString out = qEnvironmentVariable("QUORVEX_CUPS_OUT");
    ASSERT_FALSE(out.isEmpty()) << "run through cups_sandbox.sh";
    const QString printer = QPrinterInfo::defaultPrinter().printerName();
    for (const QString& old : QDir(out).entryList(QDir::Files))
        QDir(out).remove(old);
    TQVMainForm window;
    window.QuorvexStart(nullptr);
    QStringList errors;
    window.SetErrorSink([&](const QString& message) { errors.append(message); });

    Administer(QStringLiteral("cupsreject"), {printer});
    window.PrintButtClick(window.Button2);
    EXPECT_EQ(errors, QStringList{"Printer " + printer + " is not accepting jobs."});

    // Accepting when the printer is opened, refusing by the time the job is
    // handed over: only the job's own answer can tell.
    Administer(QStringLiteral("cupsaccept"), {printer});
    errors.clear();
    window.SetPrintDeviceOpener([&](QString& error) {
        std::unique_ptr<QPagedPaintDevice> device = OpenDefaultPrinter(error);
        Administer(QStringLiteral("cupsreject"), {printer});
        return device;
    });
    window.PrintButtClick(window.Button2);
    window.SetPrintDeviceOpener({});
    Administer(QStringLiteral("cupsaccept"), {printer});
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.first().contains(QStringLiteral("not accepting jobs")))
        << errors.first().toStdString();
    QThread::msleep(1000);
    EXPECT_TRUE(QDir(out).entryList({QStringLiteral("*.pdf")}, QDir::Files).isEmpty());
}

// The page is the printer's default paper, not A4 whatever the printer holds.
TEST(CupsPrint, TheJobUsesThePrintersDefaultPaper) {
    const QString out = qEnvironmentVariable("QUORVEX_CUPS_OUT");
    ASSERT_FALSE(out.isEmpty()) << "run through cups_sandbox.sh";
    const QString printer = QPrinterInfo::defaultPrinter().printerName();
    Administer(QStringLiteral("lpadmin"), {"-p", printer, "-o", "PageSize=Letter"});
    TQVMainForm window;
    window.QuorvexStart(nullptr);
    const QString pdf = PrintAndWait(window, out);
    Administer(QStringLiteral("lpadmin"), {"-p", printer, "-o", "PageSize=A4"});
    ASSERT_FALSE(pdf.isEmpty()) << "no PDF arrived in " << out.toStdString();
    EXPECT_EQ(PdfPageSize(pdf), QStringLiteral("612 x 792 pts (letter)"));
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
