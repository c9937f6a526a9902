#include "image_export.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include "bmp_file.h"
#include "image_view.h"
#include "main_window.h"
#include "safe_write.h"

namespace {

constexpr QRgb kBlack = 0xFF000000u;
constexpr QRgb kWhite = 0xFFFFFFFFu;

bool isExactWhite(QRgb colour) {
    return (colour & 0xFFFFFFu) == 0xFFFFFFu;
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

ImageFormat ExportFormat(const QString& path, int filterIndex) {
    const ImageFormat named = ImageFormatOf(path);
    if (named != ImageFormat::None)
        return named;
    return filterIndex == 1 ? ImageFormat::Png : ImageFormat::Bmp;
}

QByteArray EncodePlotImage(const QImage& image, ImageFormat format) {
    if (format != ImageFormat::Png)
        return EncodeMonoBmp(image);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(ToBlackAndWhite(image)))
        return {};
    return bytes;
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

    const QByteArray bytes =
        EncodePlotImage(Raster(), ExportFormat(*path, SaveDialog2.FilterIndex()));
    if (bytes.isEmpty()) {
        ShowError(QStringLiteral("Out of system resources"));
        return;
    }
    const WriteOutcome outcome = SafeWriteFile(*path, bytes);
    if (outcome.Failed == WriteOutcome::Step::Create)
        ShowError(QStringLiteral("Cannot create file %1").arg(*path));
    else if (outcome.Failed == WriteOutcome::Step::Write)
        ShowError(SaveErrorMessage(outcome.Errno));
}
