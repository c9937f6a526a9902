#pragma once

#include <QChar>
#include <QSize>
#include <QString>

// What is drawn around each datum, as the error-circle selector's items.
enum class ErrorCircleMode {
    Circles = 0, // its confidence circle (a point for the generic type)
    None = 1,
    Planes = 2, // the lower half of the great circle whose pole it is
};

// The parts of a figure's header left out of it; none by default. The window's
// own raster never leaves any out.
struct HeaderOmission {
    bool Date = false;  // the date after the title
    bool File = false;  // the file line under the net
    bool Mode = false;  // the mode line under the net
    bool Title = false; // the title before the date (and as the figure's name)

    bool Any() const { return Date || File || Mode || Title; }
    bool operator==(const HeaderOmission&) const = default;
};

// What the user chose for a plot, as typed values. Each field's default gives
// the window's start-up picture; every option added later keeps that rule.
struct PlotOptions {
    int FileType = 0; // 0..10
    int PlotType = 0; // 0 directions, 1 VGPs north polar view, 2 south polar view
    ErrorCircleMode ErrorCircles = ErrorCircleMode::None;
    bool FisherMean = false;
    bool GreatCircleFit = false;
    QString Title;
    QString FileName; // the plot's file line: CurrentFileName in the window
    HeaderOmission Omit;
};

// What the machine supplies to a plot: the date and the number format of its
// locale, and the sizes and the font metric of the window it stands for.
struct PlotEnvironment {
    QString Today;                 // today's date in the user's short date format
    QChar DecimalSeparator = u'.'; // the locale's, for reading and writing numbers
    QSize RasterSize{553, 529};    // the plot image
    QSize ClientSize{941, 672};    // the window's client area: the clearing rectangle
    int WindowFontWidthN270 = 27;  // width of "N270" in the window's font
};

// This machine's date and separator, with the window's normal sizes and the
// metric of its font (Arial, or its metric twin, at 11 pixels).
PlotEnvironment LocalPlotEnvironment();
