#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>

#include <functional>

#include "image_format.h"
#include "plot_options.h"

class Canvas;
class QIODevice;

// Draws one picture on the canvas it is given: a plot pass, which catches its
// own FloatingPointFault so that the picture drawn up to the fault is kept.
using DrawOnCanvas = std::function<void(Canvas&)>;

// What every figure format takes besides the drawing.
struct FigureOptions {
    QSize Units{553, 529};   // the picture's size in raster pixels
    QString Title;           // the plot title; an empty one gives "Quorvex plot"
    bool FixedPitch = false; // the fixed-pitch state to start from, as the raster canvas's
};

// The name of a figure or a printout: its title, or "Quorvex plot" when the
// title is empty.
QString DocumentTitle(const QString& title);

// The title a figure of a plot carries as its name: the plot's, or none when
// its header leaves the title out.
QString FigureTitleOf(const PlotOptions& options);

// The scale factors of the high-resolution PNG; 1 is the raster itself.
constexpr int kMinFigureScale = 2;
constexpr int kMaxFigureScale = 8;

// Each renderer runs draw once on a fresh PainterCanvas. An exception from
// draw propagates.

// SVG 1.1 of Units wide and high and a viewBox of Units, one unit per raster
// pixel at 96 dpi, with the title and a description, written to out while it
// is drawn, so its memory does not grow with the picture. False when out is
// not open for writing or refused a write; what was written is then
// incomplete and must not replace a file.
bool RenderSvg(const FigureOptions& options, const DrawOnCanvas& draw, QIODevice& out);

// PDF of one page the size of the picture at 96 dpi, no margins, vector
// drawing with the texts as text; Title is the document title. Written to out
// as Qt's PDF writer makes it: the page's drawing is held in memory until
// the page ends. False as for RenderSvg.
bool RenderPdf(const FigureOptions& options, const DrawOnCanvas& draw, QIODevice& out);

// PNG of the same vector drawing, antialiased on white, scale times the size
// in both directions at 96 x scale dpi, with Title as its title text, as the
// whole file in memory. Empty for a scale outside
// kMinFigureScale..kMaxFigureScale or when the file could not be made.
QByteArray RenderPng(const FigureOptions& options, int scale, const DrawOnCanvas& draw);

// The figure of a vector format (SVG, PDF, or PNG with scale 2 to 8) written
// to out: the SVG while it is drawn, the PDF as Qt's writer makes it, the PNG
// once made. False when the format is none of these or the file could not be
// made or written.
bool RenderFigure(ImageFormat format, int scale, const FigureOptions& options,
                  const DrawOnCanvas& draw, QIODevice& out);
