#pragma once

#include <QString>

#include "image_format.h"

class QImage;
struct PlotInputs;

// Turns image to black and white in place, keeping its size and format:
// exactly white pixels stay white, every other colour becomes black.
void MakeBlackAndWhite(QImage& image);

// The format of an export: the one the name's suffix asks for, else the one
// of the dialog's chosen filter entry (0 BMP, 1 PNG, 2 SVG, 3 PDF).
ImageFormat ExportFormat(const QString& path, int filterIndex);

// Writes the plot image to path through SafeWriteFile. BMP and PNG of scale 1
// hold the raster as the window shows it (a PNG with its pixels as png asks:
// black and white, or as drawn for the colours of several data sets), or, when
// inputs leave header parts out (which the window's raster never does), a
// fresh raster pass over inputs, its pixels likewise. SVG, PDF and PNG of scale
// 2 to 8 are drawn by a fresh pass over inputs on the vector canvas. Every
// fresh pass starts with the fixed-pitch state fixedPitch and leaves the
// raster alone. Returns the text to show: "Cannot create file <path>", the
// write's error, "Out of system resources" when no file could be made, or the
// fault that ended the fresh pass (the drawing is written as far as it got);
// empty when all went well.
QString ExportPlotImage(const QString& path, ImageFormat format, int scale, const QImage& raster,
                        const PlotInputs& inputs, bool fixedPitch, PngPixels png);
