#pragma once

#include <QByteArray>

class QImage;
class QString;

// The formats a plot image is written in; None for a name that asks for none.
enum class ImageFormat { None, Bmp, Png, Svg, Pdf };

// The format a file name asks for by its suffix, in any case: ".bmp", ".png",
// ".svg", ".pdf".
ImageFormat ImageFormatOf(const QString& path);

// The PNG file of an image, in memory; empty when the encoder fails.
QByteArray EncodePng(const QImage& image);
