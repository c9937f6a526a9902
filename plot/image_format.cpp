#include "image_format.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QString>

#include "bmp_file.h"

ImageFormat ImageFormatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"bmp")
        return ImageFormat::Bmp;
    if (suffix == u"png")
        return ImageFormat::Png;
    if (suffix == u"svg")
        return ImageFormat::Svg;
    if (suffix == u"pdf")
        return ImageFormat::Pdf;
    return ImageFormat::None;
}

QByteArray EncodePng(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    return image.save(&buffer, "PNG") ? bytes : QByteArray();
}

QByteArray EncodeRaster(const QImage& image, ImageFormat format, PngPixels pixels) {
    switch (format) {
    case ImageFormat::Bmp:
        return EncodeMonoBmp(image);
    case ImageFormat::Png:
        return EncodePng(pixels == PngPixels::BlackAndWhite ? ToBlackAndWhite(image) : image);
    case ImageFormat::None:
    case ImageFormat::Svg:
    case ImageFormat::Pdf:
        break;
    }
    return {};
}
