#pragma once

#include <QFont>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

#include "equal_area.h"
#include "figure_render.h"
#include "plot_geometry.h"

class LineView;
class QPagedPaintDevice;
class QPainter;
class QPrinter;

// Where the picture and the text block go on the first page, in device
// pixels of the printable area; every value rounded half to even.
struct PrintLayout {
    int Margin = 0;        // M = P * 2/17: left margin, top of the picture
    int PictureWidth = 0;  // W = P * 12/17
    int PictureHeight = 0; // H = Bottom / (Right - Left) * W; 0 for an empty extent
    int TextTop = 0;       // T = M + H + M/4; the title sits one line below it
};

// printableWidth: P in device pixels (> 0); extent: the plot region of the raster.
PrintLayout ComputePrintLayout(int printableWidth, const PlotExtent& extent);

// The line under the title: projection text for plotType (0 local, 1 north
// polar, 2 south polar; others read as 0; tilt-corrected directions say so)
// in the projection's net, then "  File: " and the file name.
QString PrintModeLine(int plotType, bool tiltCorrected, const QString& currentFileName,
                      Projection projection = Projection::EqualArea);

// The text block in printing order: title, mode line, rule of 14 hyphens and
// the editor's lines 1..LineCount() (each already cut to 4,096 characters).
QStringList PrintTextLines(const QString& title, int plotType, bool tiltCorrected,
                           const QString& currentFileName, const LineView& editor,
                           Projection projection = Projection::EqualArea);

// One line of the text block placed on paper: 0-based page, top of its text
// cell in device pixels, and its index in the text block.
struct PlacedLine {
    int Page = 0;
    int Top = 0;
    int Index = 0;
};

// Places lineCount lines of height lineHeight: line i at T + (i + 1) L on the
// first page while its cell ends within pageHeight, the rest on further
// pages from the top margin M down, at least one line per page.
std::vector<PlacedLine> PlacePrintLines(const PrintLayout& layout, int lineHeight, int pageHeight,
                                        int lineCount);

// Everything a printout shows, taken from the window when printing starts.
struct PrintContent {
    // Draws the plot: a fresh pass over the window's current inputs.
    DrawOnCanvas Draw;
    QSize Units{553, 529};   // the raster's size, in whose pixels Extent is given
    bool FixedPitch = false; // the fixed-pitch state of the window's raster
    PlotExtent Extent;
    QFont WindowFont; // printed at 8 points, whatever its size on screen
    QStringList Lines;
    QString Title; // names the print job; an empty one gives "Quorvex plot"
};

// Paints the printout with an active painter on a page of pageWidth x
// pageHeight device pixels (the printable area); newPage starts each further
// page and returns false when it cannot. The picture is Draw on the vector
// canvas at the device's own resolution, mapped so that the extent's
// rectangle of the raster, (Left, 0) to (Right, Bottom), fills the destination
// rectangle and clipped to it; no image is drawn. Returns the number of pages
// painted.
int PaintPrintout(QPainter& painter, int pageWidth, int pageHeight,
                  const std::function<bool()>& newPage, const PrintContent& content);

// The system's default printer at its own resolution and default paper size;
// null with the error text when there is none, it cannot be used, or it is
// not accepting jobs.
std::unique_ptr<QPagedPaintDevice> OpenDefaultPrinter(QString& error);

// A printer for the print dialog to set up: the default printer at its own
// resolution and default paper, or Qt's first choice when there is none.
std::unique_ptr<QPrinter> DialogPrinter();

// Why a printer chosen in the print dialog cannot print now (as
// OpenDefaultPrinter words it); empty when it can, or when it writes a file.
QString PrinterRefusal(const QPrinter& printer);

// After the document has ended: why a job on a real printer did not reach
// the printer service (its refusal as CUPS words it), or an empty text when it
// did or the device is no printer.
QString PrintJobFailure(QPagedPaintDevice& device);

// Opens the device a printout goes to; null with the error text to show (an
// empty text reads as "Printer selected is not valid").
using PrintDeviceOpener = std::function<std::unique_ptr<QPagedPaintDevice>(QString& error)>;

// Prints content on the device that open opens (the default printer when
// open is empty), as a job named after content.Title (a printer's document
// name, a PDF writer's title), and hands the document to the printer.
// Returns the text to show when the printout did not reach the printer, else
// an empty text.
QString PrintPlot(const PrintDeviceOpener& open, const PrintContent& content);
