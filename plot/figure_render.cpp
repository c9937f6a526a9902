#include "figure_render.h"

#include <QBuffer>
#include <QImage>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include "painter_canvas.h"
#include "svg_paint_device.h"

namespace {

// The raster is 96 pixels per inch on screen; one unit keeps that size.
constexpr int kUnitsPerInch = 96;
constexpr double kMetresPerInch = 0.0254;

void Paint(QPainter& painter, const FigureOptions& options, const DrawOnCanvas& draw) {
    PainterCanvas canvas(painter, options.Units, options.FixedPitch);
    draw(canvas);
}

} // namespace

QString DocumentTitle(const QString& title) {
    return title.isEmpty() ? QStringLiteral("Quorvex plot") : title;
}

QString FigureTitleOf(const PlotOptions& options) {
    return options.Omit.Title ? QString() : options.Title;
}

bool RenderSvg(const FigureOptions& options, const DrawOnCanvas& draw, QIODevice& out) {
    SvgPaintDevice device(out, options.Units, DocumentTitle(options.Title),
                          QStringLiteral("Equal-area net drawn by Quorvex"));
    QPainter painter;
    if (!painter.begin(&device)) {
        return false;
    }
    Paint(painter, options, draw);
    return painter.end();
}

bool RenderPdf(const FigureOptions& options, const DrawOnCanvas& draw, QIODevice& out) {
    if (!out.isWritable()) {
        return false;
    }
    QPdfWriter writer(&out);
    writer.setResolution(kUnitsPerInch);
    // An exact size: a fuzzy match would round the page to a standard paper.
    const QSizeF inches(static_cast<double>(options.Units.width()) / kUnitsPerInch,
                        static_cast<double>(options.Units.height()) / kUnitsPerInch);
    writer.setPageLayout(
        QPageLayout(QPageSize(inches, QPageSize::Inch, QString(), QPageSize::ExactMatch),
                    QPageLayout::Portrait, QMarginsF()));
    writer.setTitle(DocumentTitle(options.Title));
    writer.setCreator(QStringLiteral("Quorvex"));
    QPainter painter;
    if (!painter.begin(&writer)) {
        return false;
    }
    Paint(painter, options, draw);
    return painter.end();
}

QByteArray RenderPng(const FigureOptions& options, int scale, const DrawOnCanvas& draw) {
    if (scale < kMinFigureScale || scale > kMaxFigureScale) {
        return {};
    }
    QImage image(options.Units * scale, QImage::Format_RGB32);
    if (image.isNull()) {
        return {};
    }
    image.fill(Qt::white);
    const int dotsPerMetre = qRound(kUnitsPerInch * scale / kMetresPerInch);
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    image.setText(QStringLiteral("Title"), DocumentTitle(options.Title));
    {
        QPainter painter(&image);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
        painter.scale(scale, scale);
        Paint(painter, options, draw);
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        return {};
    }
    return buffer.data();
}

bool RenderFigure(ImageFormat format, int scale, const FigureOptions& options,
                  const DrawOnCanvas& draw, QIODevice& out) {
    QByteArray bytes;
    switch (format) {
    case ImageFormat::Svg:
        return RenderSvg(options, draw, out);
    case ImageFormat::Pdf:
        return RenderPdf(options, draw, out);
    case ImageFormat::Png:
        bytes = RenderPng(options, scale, draw);
        break;
    case ImageFormat::None:
    case ImageFormat::Bmp:
        break;
    }
    return !bytes.isEmpty() && out.write(bytes) == bytes.size();
}
