#include "image_export.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QSaveFile>

#include "bmp_file.h"
#include "image_view.h"
#include "main_window.h"

namespace {

constexpr QRgb kBlack = 0xFF000000u;
constexpr QRgb kWhite = 0xFFFFFFFFu;

bool isExactWhite(QRgb colour) {
    return (colour & 0xFFFFFFu) == 0xFFFFFFu;
}

bool writeAll(QFileDevice& file, const QByteArray& bytes) {
    return file.write(bytes) == bytes.size() && file.flush();
}

} // namespace

void MakeBlackAndWhite(QImage& image) {
    switch (image.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        // The same rule as the file writer's conversion: white is 255, 255, 255.
        for (int y = 0; y < image.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                row[x] = isExactWhite(row[x]) ? kWhite : kBlack;
        }
        return;
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
    case QImage::Format_Indexed8: {
        QList<QRgb> table = image.colorTable();
        for (QRgb& colour : table)
            colour = isExactWhite(colour) ? kWhite : kBlack;
        image.setColorTable(table);
        return;
    }
    default: {
        const QImage mono = ToBlackAndWhite(image);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixelColor(x, y, mono.pixelIndex(x, y) ? Qt::white : Qt::black);
        return;
    }
    }
}

bool IsPngFileName(const QString& path) {
    return path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive);
}

QByteArray EncodePlotImage(const QImage& image, bool png) {
    if (!png)
        return EncodeMonoBmp(image);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(ToBlackAndWhite(image)))
        return {};
    return bytes;
}

ImageWriteResult WriteImageFile(const QString& path, const QByteArray& bytes) {
    const QFileInfo info(path);
    if (info.exists() && !info.isFile() && !info.isDir()) {
        // A temporary file renamed over a device or pipe would replace it.
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return ImageWriteResult::CannotCreate;
        return writeAll(file, bytes) ? ImageWriteResult::Written : ImageWriteResult::WriteError;
    }

    QSaveFile file(path);
    // In a folder that takes no new files, an existing file is written in place.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return ImageWriteResult::CannotCreate;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return ImageWriteResult::WriteError;
    }
    return file.commit() ? ImageWriteResult::Written : ImageWriteResult::WriteError;
}

void TQVMainForm::Save2Click(QObject*) {
    const std::optional<QString> path = RunDialog(SaveDialog2);
    if (!path)
        return;

    // The raster turns black and white before the file is made, and stays so
    // even when the file cannot be written.
    MakeBlackAndWhite(Raster());
    rasterBlackAndWhite_ = true;
    Image1->update();

    const QByteArray bytes = EncodePlotImage(Raster(), IsPngFileName(*path));
    if (bytes.isEmpty()) {
        ShowError(QStringLiteral("Out of system resources"));
        return;
    }
    switch (WriteImageFile(*path, bytes)) {
    case ImageWriteResult::Written:
        break;
    case ImageWriteResult::CannotCreate:
        ShowError(QStringLiteral("Cannot create file %1").arg(*path));
        break;
    case ImageWriteResult::WriteError:
        ShowError(QStringLiteral("Stream write error"));
        break;
    }
}
