#include "print_page.h"

#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>

#include <cups/cups.h>

#include "line_view.h"
#include "painter_canvas.h"
#include "plot_modes.h"
#include "rounding.h"

namespace {

constexpr int kPrintPointSize = 8;

const QString kNoDefaultPrinter = QStringLiteral("There is no default printer currently selected");
const QString kPrinterNotValid = QStringLiteral("Printer selected is not valid");

// Whether CUPS takes jobs for the printer now: Qt's print engine hands the
// finished document to CUPS and ignores the answer, so a printer that
// rejects jobs would otherwise swallow the printout without a word.
QString RefusalOf(const QPrinterInfo& info) {
    const QByteArray name = info.printerName().section(u'/', 0, 0).toLocal8Bit();
    const QByteArray instance = info.printerName().section(u'/', 1).toLocal8Bit();
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.constData(),
                                         instance.isEmpty() ? nullptr : instance.constData());
    if (dest == nullptr)
        return kPrinterNotValid;
    const char* accepting =
        cupsGetOption("printer-is-accepting-jobs", dest->num_options, dest->options);
    const bool refuses = accepting != nullptr && qstrcmp(accepting, "false") == 0;
    cupsFreeDests(1, dest);
    return refuses ? QStringLiteral("Printer %1 is not accepting jobs").arg(info.printerName())
                   : QString();
}

} // namespace

PrintLayout ComputePrintLayout(int printableWidth, const PlotExtent& extent) {
    PrintLayout layout;
    const double width = printableWidth;
    layout.Margin = RoundHalfEven(width * 2.0 / 17.0);
    layout.PictureWidth = RoundHalfEven(width * 12.0 / 17.0);
    const int sourceWidth = extent.Right - extent.Left;
    // Bottom * W is exact in a double, so a true half is seen as one.
    if (sourceWidth > 0)
        layout.PictureHeight =
            RoundHalfEven(static_cast<double>(extent.Bottom) * layout.PictureWidth / sourceWidth);
    layout.TextTop = layout.Margin + layout.PictureHeight + RoundHalfEven(layout.Margin / 4.0);
    return layout;
}

QString PrintModeLine(int plotType, bool tiltCorrected, const QString& currentFileName,
                      Projection projection) {
    return ModeText(PlotModeTextsOf(plotType, tiltCorrected, projection).PrintMode) +
           QStringLiteral("  File: ") + currentFileName;
}

QStringList PrintTextLines(const QString& title, int plotType, bool tiltCorrected,
                           const QString& currentFileName, const LineView& editor,
                           Projection projection) {
    QStringList lines{title, PrintModeLine(plotType, tiltCorrected, currentFileName, projection),
                      QString(14, u'-')};
    const int count = editor.LineCount();
    lines.reserve(3 + count);
    for (int k = 1; k <= count; ++k)
        lines.append(editor.Line(k));
    return lines;
}

std::vector<PlacedLine> PlacePrintLines(const PrintLayout& layout, int lineHeight, int pageHeight,
                                        int lineCount) {
    std::vector<PlacedLine> placed;
    placed.reserve(static_cast<std::size_t>(std::max(lineCount, 0)));
    int page = 0;
    int top = layout.TextTop + lineHeight;
    int linesOnPage = 0;
    for (int index = 0; index < lineCount; ++index) {
        // The first page may hold no text at all below its picture; a further
        // page always takes one line, however small, so the loop ends.
        const bool fits = top + lineHeight <= pageHeight;
        if (!fits && (page == 0 || linesOnPage > 0)) {
            ++page;
            top = layout.Margin;
            linesOnPage = 0;
        }
        placed.push_back({page, top, index});
        top += lineHeight;
        ++linesOnPage;
    }
    return placed;
}

int PaintPrintout(QPainter& painter, int pageWidth, int pageHeight,
                  const std::function<bool()>& newPage, const PrintContent& content) {
    const PrintLayout layout = ComputePrintLayout(pageWidth, content.Extent);
    const PlotExtent& extent = content.Extent;

    if (layout.PictureHeight > 0 && extent.Bottom > 0 && content.Draw) {
        painter.save();
        // Where the stretched raster went: its extent fills the destination.
        painter.setClipRect(
            QRect(layout.Margin, layout.Margin, layout.PictureWidth, layout.PictureHeight));
        painter.translate(layout.Margin, layout.Margin);
        painter.scale(static_cast<double>(layout.PictureWidth) / (extent.Right - extent.Left),
                      static_cast<double>(layout.PictureHeight) / extent.Bottom);
        painter.translate(-extent.Left, 0);
        painter.setRenderHint(QPainter::Antialiasing);
        {
            PainterCanvas canvas(painter, content.Units, content.FixedPitch);
            content.Draw(canvas);
        }
        painter.restore();
    }

    // A point size, unlike the window's pixel size, scales with the device.
    QFont font = content.WindowFont;
    font.setPointSize(kPrintPointSize);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QFontMetrics metrics = painter.fontMetrics();
    const int lineHeight = metrics.height();

    const std::vector<PlacedLine> placed =
        PlacePrintLines(layout, lineHeight, pageHeight, static_cast<int>(content.Lines.size()));
    int page = 0;
    for (const PlacedLine& line : placed) {
        while (page < line.Page) {
            if (!newPage())
                return page + 1;
            ++page;
        }
        // A tab prints as one blank character cell, not as a jump to a column.
        QString text = content.Lines.at(line.Index);
        text.replace(u'\t', u' ');
        painter.drawText(QPoint(layout.Margin, line.Top + metrics.ascent()), text);
    }
    return page + 1;
}

std::unique_ptr<QPagedPaintDevice> OpenDefaultPrinter(QString& error) {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        error = kNoDefaultPrinter;
        return nullptr;
    }
    // HighResolution gives the printer's real device pixels instead of
    // screen-sized ones.
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    if (!printer->isValid()) {
        error = kPrinterNotValid;
        return nullptr;
    }
    error = RefusalOf(info);
    if (!error.isEmpty())
        return nullptr;
    // A new QPrinter starts on A4 whatever the printer holds; the page and
    // its text block are laid out for the printer's own default paper.
    if (const QPageSize paper = info.defaultPageSize(); paper.isValid())
        printer->setPageSize(paper);
    return printer;
}

std::unique_ptr<QPrinter> DialogPrinter() {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (!info.isNull()) {
        printer->setPrinterName(info.printerName());
        if (const QPageSize paper = info.defaultPageSize(); paper.isValid())
            printer->setPageSize(paper);
    }
    return printer;
}

QString PrinterRefusal(const QPrinter& printer) {
    if (printer.outputFormat() != QPrinter::NativeFormat)
        return {};
    if (!printer.isValid())
        return kPrinterNotValid;
    return RefusalOf(QPrinterInfo::printerInfo(printer.printerName()));
}

QString PrintJobFailure(QPagedPaintDevice& device) {
    auto* printer = dynamic_cast<QPrinter*>(&device);
    if (printer == nullptr || printer->outputFormat() != QPrinter::NativeFormat)
        return {};
    if (printer->printerState() == QPrinter::Error || printer->printerState() == QPrinter::Aborted)
        return kPrinterNotValid;
    // The engine submitted the job on this thread just now; CUPS keeps the
    // answer to that request as its last error.
    if (cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE)
        return QString::fromUtf8(cupsLastErrorString());
    return {};
}

QString PrintPlot(const PrintDeviceOpener& open, const PrintContent& content) {
    QString error;
    std::unique_ptr<QPagedPaintDevice> device = open ? open(error) : OpenDefaultPrinter(error);
    if (!device)
        return error.isEmpty() ? kPrinterNotValid : error;
    const QString name = DocumentTitle(content.Title);
    if (auto* printer = dynamic_cast<QPrinter*>(device.get()))
        printer->setDocName(name);
    else if (auto* writer = dynamic_cast<QPdfWriter*>(device.get()))
        writer->setTitle(name);
    QPainter painter;
    if (!painter.begin(device.get()))
        return kPrinterNotValid;
    PaintPrintout(
        painter, device->width(), device->height(), [&device] { return device->newPage(); },
        content);
    // Ending the painter ends the document and hands it to the printer.
    if (!painter.end())
        return kPrinterNotValid;
    return PrintJobFailure(*device);
}
