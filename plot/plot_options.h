#pragma once

#include <QChar>
#include <QSize>
#include <QString>

#include <optional>
#include <vector>

#include "equal_area.h"

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

// Where the bedding of a tilt correction comes from.
enum class BeddingSource {
    None,      // no tilt correction
    OneForAll, // PlotOptions' one bedding, for file types 0, 1, 9 and 10
    PerLine,   // the two numbers after each datum's own, for file types 0 and 1
};

// The density whose contours are drawn beneath the marks.
enum class ContourMethod {
    None,
    Kamb,            // Kamb (1959) counting circles, in sigma
    ExponentialKamb, // Vollmer (1995) smoothed counts, in sigma
    OnePercentArea,  // Schmidt's 1% area counts, in % of the data
};

// A site on the globe, in degrees: latitude -90...90, longitude east.
struct SiteLocation {
    double Latitude = 0.0;
    double Longitude = 0.0;
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
    // Tilt correction: each datum rotated about its bed's strike until the
    // bed is level. The one bedding's dip direction is any finite angle, its
    // dip 0...90 (degrees).
    BeddingSource Bedding = BeddingSource::None;
    double BeddingDipDirection = 0.0;
    double BeddingDip = 0.0;
    // The data split into normal and reversed modes; the Fisher mean then
    // becomes the combined mean, the reversed mode turned round.
    bool SeparatePolarities = false;
    // Watson's V_w between the normal mode and the reversed mode turned round.
    bool ReversalTest = false;
    // The site whose virtual geomagnetic pole the mean direction gives.
    std::optional<SiteLocation> Site;
    // Density contours of the plotted data (axes: a datum and its antipode
    // alike): sigma for the Kamb methods (finite, > 0), and the levels in the
    // method's unit, none for the method's own.
    ContourMethod Contours = ContourMethod::None;
    double ContourSigma = 3.0;
    std::vector<double> ContourLevels;
    // Watson's V_w between the first two data sets.
    bool CommonMeanTest = false;
    // The net everything is drawn on.
    Projection NetProjection = Projection::EqualArea;
    // Header parts left out of a figure.
    HeaderOmission Omit;
};

// Whether the pass tilt-corrects under these options: only directions (plot
// type 0) are corrected; one bedding applies to file types 0, 1, 9 and 10, a
// bedding on each line to types 0 and 1.
inline bool TiltCorrectionApplies(const PlotOptions& options) {
    const int type = options.FileType;
    switch (options.Bedding) {
    case BeddingSource::OneForAll:
        return options.PlotType == 0 && (type == 0 || type == 1 || type == 9 || type == 10);
    case BeddingSource::PerLine:
        return options.PlotType == 0 && (type == 0 || type == 1);
    case BeddingSource::None:
        break;
    }
    return false;
}

// Whether the pass gives the pole of the site: a site, and directions (plot
// type 0) to take the pole of.
inline bool SitePoleApplies(const PlotOptions& options) {
    return options.Site.has_value() && options.PlotType == 0;
}

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
