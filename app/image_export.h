#pragma once

#include <QByteArray>
#include <QString>

class QImage;

// Turns image to black and white in place, keeping its size and format:
// exactly white pixels stay white, every other colour becomes black.
void MakeBlackAndWhite(QImage& image);

// Whether a chosen file name asks for a PNG file: it ends in ".png", any case.
bool IsPngFileName(const QString& path);

// The file bytes of a black-and-white image: a 1-bit PNG when png is true,
// otherwise the 1-bit BMP layout. Empty when the encoder fails.
QByteArray EncodePlotImage(const QImage& image, bool png);

enum class ImageWriteResult { Written, CannotCreate, WriteError };

// Creates or overwrites the file at path with bytes. A regular file is
// replaced only once every byte is on disk, so a failed write leaves the old
// file as it was; a device or pipe is written directly.
ImageWriteResult WriteImageFile(const QString& path, const QByteArray& bytes);
