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

// What a PNG of the plot raster holds. The window's Save Image writes the
// picture as black and white, 1 bit per pixel, like the BMP beside it in the
// same dialog, and leaves its raster as it is; quorvex-plot writes its fresh
// raster as drawn, 32 bits per pixel. Each front end's PNG has kept its
// bytes since it first wrote one, so both stay; the window's PNG of several
// data sets keeps their colours as drawn.
enum class PngPixels { BlackAndWhite, AsDrawn };

// The file of a raster in a raster format: the 1-bit BMP layout, or a PNG
// holding pixels as asked. Empty when the encoder fails or the format is
// not a raster format.
QByteArray EncodeRaster(const QImage& image, ImageFormat format, PngPixels pixels);
