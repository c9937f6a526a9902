#include "frame.h"

#include <QStringBuilder>

#include "canvas.h"
#include "marks.h"
#include "plot_geometry.h"
#include "plot_modes.h"
#include "rounding.h"

namespace {

QString TitleLine(const QString& title, const QString& today, const HeaderOmission& omit) {
    if (omit.Title) {
        return omit.Date ? QString() : today;
    }
    return omit.Date ? title : title + QStringLiteral("   ") + today;
}

} // namespace

void DrawFrame(Canvas& canvas, const PlotGeometry& geometry, const PlotModeTexts& texts,
               const QString& title, const QString& fileName, const QString& today,
               const HeaderOmission& omit) {
    const int r = geometry.Radius;
    const int cx = geometry.CentreX;
    const int cy = geometry.CentreY;
    const int h = geometry.TextHeight;
    const int w = geometry.TextWidthN;

    const QString titleLine = TitleLine(title, today, omit);
    if (!titleLine.isEmpty() || !omit.Any()) {
        canvas.TextOut(cx - r, cy - r - 3 * h, titleLine);
    }
    if (!omit.Mode) {
        // Built in one piece: the line is drawn on every pass.
        const QString modeLine = QStringView(u"     ") % QStringView(texts.NetName) %
                                 QStringView(u", ") % QStringView(texts.ModeName) %
                                 QStringView(u", Open=upper hemi");
        canvas.TextOut(cx - r, cy + r + h, modeLine);
    }
    if (!omit.File) {
        canvas.TextOut(cx - r, cy + r + 2 * h, QStringLiteral("     File: ") + fileName);
    }
    canvas.Ellipse(cx - r, cy - r, cx + r + 1, cy + r + 1);
    // The width of "N" centres every top label, "0" included.
    canvas.TextOut(cx - RoundHalfEven(w / 2.0), cy - r - RoundHalfEven(1.5 * h),
                   ModeText(texts.TopLabel));
    canvas.TextOut(cx + r + 1 + w, cy - RoundHalfEven(h / 2.0), ModeText(texts.RightLabel));
}

void DrawCentreCross(Canvas& canvas, const PlotGeometry& geometry) {
    const double t = geometry.CrossSize;
    DrawUnitLine(canvas, geometry, -t, 0.0, t, 0.0);
    DrawUnitLine(canvas, geometry, 0.0, -t, 0.0, t);
}

void DrawTicks(Canvas& canvas, const PlotGeometry& geometry) {
    const double t = geometry.CrossSize;
    DrawUnitLine(canvas, geometry, -1.0, 0.0, t - 1.0, 0.0);
    DrawUnitLine(canvas, geometry, 1.0, 0.0, 1.0 - t, 0.0);
    DrawUnitLine(canvas, geometry, 0.0, -1.0, 0.0, t - 1.0);
    DrawUnitLine(canvas, geometry, 0.0, 1.0, 0.0, 1.0 - t);
}
