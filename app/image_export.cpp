#include "image_export.h"

#include <QImage>

#include "bmp_file.h"
#include "canvas.h"
#include "figure_render.h"
#include "plot_pass.h"
#include "raster_canvas.h"
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
    constexpr ImageFormat kByEntry[] = {ImageFormat::Bmp, ImageFormat::Png, ImageFormat::Svg,
                                        ImageFormat::Pdf};
    return filterIndex >= 0 && filterIndex < 4 ? kByEntry[filterIndex] : ImageFormat::Bmp;
}

QString ExportPlotImage(const QString& path, ImageFormat format, int scale, const QImage& raster,
                        const PlotInputs& inputs, bool fixedPitch, PngPixels png) {
    QString fault;
    const auto draw = [&](Canvas& canvas) {
        PlotReport report;
        RunPlotPass(canvas, inputs, report);
        fault = report.Fault;
    };
    WriteOutcome outcome;
    const bool vector = format == ImageFormat::Svg || format == ImageFormat::Pdf ||
                        (format == ImageFormat::Png && scale > 1);
    if (vector) {
        FigureOptions figure;
        figure.Units = raster.size();
        figure.Title = FigureTitleOf(inputs.Options);
        // The fresh pass measures its texts as the window's raster does now.
        figure.FixedPitch = fixedPitch;
        // The drawing goes into the file as it is made, however large.
        outcome = SafeWriteStream(
            path, [&](QIODevice& out) { return RenderFigure(format, scale, figure, draw, out); });
    } else {
        QImage fresh;
        if (inputs.Options.Omit.Any()) {
            fresh = QImage(raster.size(), QImage::Format_RGB32);
            fresh.fill(Qt::white);
            RasterCanvas canvas(fresh, fixedPitch);
            draw(canvas);
        }
        const QByteArray bytes = EncodeRaster(fresh.isNull() ? raster : fresh, format, png);
        if (bytes.isEmpty())
            return QStringLiteral("Out of system resources");
        outcome = SafeWriteFile(path, bytes);
    }
    switch (outcome.Failed) {
    case WriteOutcome::Step::None:
        return fault; // the drawing was written as far as the pass got
    case WriteOutcome::Step::Create:
        return QStringLiteral("Cannot create file %1").arg(path);
    case WriteOutcome::Step::Write:
        return SaveErrorMessage(outcome.Errno);
    case WriteOutcome::Step::Produce:
        break;
    }
    return QStringLiteral("Out of system resources");
}
