#include "image_export.h"

#include <QImage>

#include "bmp_file.h"
#include "canvas.h"
#include "figure_render.h"
#include "image_view.h"
#include "line_view.h"
#include "main_window.h"
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

QByteArray EncodePlotImage(const QImage& image, ImageFormat format) {
    return format == ImageFormat::Bmp ? EncodeMonoBmp(image) : EncodePng(ToBlackAndWhite(image));
}

QByteArray TQVMainForm::RenderFigure(ImageFormat format, QString& fault) const {
    const LineView lines(EditorText());
    const PlotInputs inputs = CurrentPlotInputs(lines);
    FigureOptions figure;
    figure.Units = raster_.size();
    figure.Title = inputs.Options.Title;
    // The fresh pass measures its texts as the window's raster does now.
    figure.FixedPitch = canvas_->FixedPitchRequested();
    const auto draw = [&](Canvas& canvas) {
        PlotReport report;
        RunPlotPass(canvas, inputs, report);
        fault = report.Fault;
    };
    return format == ImageFormat::Svg ? RenderSvg(figure, draw) : RenderPdf(figure, draw);
}

void TQVMainForm::Save2Click(QObject*) {
    const std::optional<QString> path = RunDialog(SaveDialog2);
    if (!path)
        return;
    const ImageFormat format = ExportFormat(*path, SaveDialog2.FilterIndex());

    QByteArray bytes;
    QString fault;
    if (format == ImageFormat::Svg || format == ImageFormat::Pdf) {
        // A drawing is made by a fresh pass on the vector device; the raster
        // stays as it is.
        bytes = RenderFigure(format, fault);
    } else {
        // The BMP raster turns black and white before the file is made, and
        // stays so even when the file cannot be written.
        if (format == ImageFormat::Bmp) {
            MakeBlackAndWhite(Raster());
            rasterBlackAndWhite_ = true;
            Image1->update();
        }
        bytes = EncodePlotImage(Raster(), format);
    }
    if (bytes.isEmpty()) {
        ShowError(QStringLiteral("Out of system resources"));
        return;
    }
    const WriteOutcome outcome = SafeWriteFile(*path, bytes);
    if (outcome.Failed == WriteOutcome::Step::Create)
        ShowError(QStringLiteral("Cannot create file %1").arg(*path));
    else if (outcome.Failed == WriteOutcome::Step::Write)
        ShowError(SaveErrorMessage(outcome.Errno));
    else if (!fault.isEmpty())
        ShowError(fault); // the drawing was written as far as the pass got
}
