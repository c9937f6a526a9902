#pragma once

#include <QByteArray>

#include "image_format.h"

class QImage;

// Turns image to black and white in place, keeping its size and format:
// exactly white pixels stay white, every other colour becomes black.
void MakeBlackAndWhite(QImage& image);

// The format of an export: the one the name's suffix asks for, else the one
// of the dialog's chosen filter entry (0 BMP, 1 PNG, 2 SVG, 3 PDF).
ImageFormat ExportFormat(const QString& path, int filterIndex);

// The file bytes of a black-and-white image: a 1-bit PNG or the 1-bit BMP
// layout. Empty when the encoder fails.
QByteArray EncodePlotImage(const QImage& image, ImageFormat format);
