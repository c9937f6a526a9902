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

// Writes the plot image to path through SafeWriteFile. BMP and PNG hold the
// raster as the window shows it, in black and white; SVG and PDF are drawn by
// a fresh pass over inputs on the vector device, starting with the fixed-pitch
// state fixedPitch, and leave the raster alone. Returns the text to show:
// "Cannot create file <path>", the write's error, "Out of system resources"
// when no file could be made, or the fault that ended the fresh pass (the
// drawing is written as far as it got); empty when all went well.
QString ExportPlotImage(const QString& path, ImageFormat format, const QImage& raster,
                        const PlotInputs& inputs, bool fixedPitch);
