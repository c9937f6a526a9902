// quorvex-plot: renders the plot of a data file without a display, for scripts
// and batch runs, through the same plot pass as the window.

#include <QByteArray>
#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QMessageLogContext>
#include <QSaveFile>

#include <cstdio>

#include "bmp_file.h"
#include "data_text.h"
#include "floating_point_fault.h"
#include "line_view.h"
#include "plot_command.h"
#include "plot_geometry.h"
#include "plot_pass.h"
#include "program_identity.h"
#include "raster_canvas.h"

namespace {

// The window's image and client area at its normal size.
constexpr int kImageWidth = 553;
constexpr int kImageHeight = 529;
constexpr int kClientWidth = 941;
constexpr int kClientHeight = 672;

constexpr int kExitFault = 1;
constexpr int kExitUsage = 2;

void printError(const QString& message) {
    std::fputs(("quorvex-plot: " + message + "\n").toUtf8().constData(), stderr);
}

bool readInput(const QString& path, QByteArray& bytes) {
    QFile file;
    const bool opened = path == u"-" ? file.open(stdin, QIODevice::ReadOnly)
                                     : (file.setFileName(path), file.open(QIODevice::ReadOnly));
    if (!opened) {
        printError(QStringLiteral("cannot read '%1': %2").arg(path, file.errorString()));
        return false;
    }
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        printError(QStringLiteral("cannot read '%1': %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}

// Replaces the file only once everything was written, so a failed run never
// leaves a half image where a good one stood.
bool writeImage(const QImage& image, const QString& path, ImageFormat format) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        printError(QStringLiteral("cannot write '%1': %2").arg(path, file.errorString()));
        return false;
    }
    bool written = false;
    if (format == ImageFormat::Bmp) {
        const QByteArray bytes = EncodeMonoBmp(image);
        written = file.write(bytes) == bytes.size();
    } else {
        written = image.save(&file, "PNG");
    }
    if (!written || !file.commit()) {
        printError(QStringLiteral("cannot write '%1': %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}

// The width of "N270" in the window's font, which the plot extent leaves for
// the right-hand label.
int windowFontWidthN270() {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    return QFontMetrics(font).horizontalAdvance(QStringLiteral("N270"));
}

// Standard error carries only this program's own messages, so scripts can
// read it; Qt's notes about the desktop session (no runtime folder, no
// display) mean nothing to a display-free run.
void quietMessageHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fputs(("quorvex-plot: " + message + "\n").toUtf8().constData(), stderr);
}

void printLines(const QStringList& lines) {
    for (const QString& line : lines)
        std::fputs((line + u'\n').toUtf8().constData(), stdout);
}

} // namespace

int main(int argc, char* argv[]) {
    // No display is ever needed; an explicit platform choice is still honoured.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietMessageHandler);
    QGuiApplication app(argc, argv);

    const PlotCommandParse parse = ParsePlotCommand(app.arguments().mid(1));
    if (parse.Command.Help) {
        std::fputs(PlotUsage().toUtf8().constData(), stdout);
        return 0;
    }
    if (parse.Command.Version) {
        std::printf("quorvex-plot %s\n", kQuorvexVersion);
        return 0;
    }
    if (!parse.Error.isEmpty()) {
        printError(parse.Error);
        printError(QStringLiteral("try 'quorvex-plot --help'"));
        return kExitUsage;
    }
    const PlotCommand& command = parse.Command;

    QByteArray bytes;
    if (!readInput(command.Input, bytes))
        return kExitUsage;
    const LineView lines(DecodeDataText(bytes));

    QImage image(kImageWidth, kImageHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    RasterCanvas canvas(image);

    PlotInputs inputs;
    inputs.Lines = &lines;
    inputs.FileType = command.FileType;
    inputs.PlotType = command.PlotType;
    inputs.ErrorCircleMode = command.ErrorCircles;
    inputs.AvIndex = command.Fisher ? 0 : 1;
    inputs.GCFitIndex = command.GreatCircleFit ? 0 : 1;
    inputs.Title = command.Title;
    inputs.FileName = command.FileName;
    inputs.Today = TodayShortDate();
    inputs.DecimalSeparator = LocaleDecimalSeparator();
    inputs.ClientWidth = kClientWidth;
    inputs.ClientHeight = kClientHeight;
    inputs.WindowFontWidthN270 = windowFontWidthN270();

    PlotExtent extent;
    PlotReport report;
    int status = 0;
    try {
        DrawPlot(canvas, inputs, extent, &report);
        printLines(report.FisherLines);
        printLines(report.GreatCircleLines);
    } catch (const FloatingPointFault& fault) {
        // The pass draws no result lines after a fault, so none are printed.
        printError(QString::fromLatin1(fault.what()));
        status = kExitFault;
    }
    std::fflush(stdout);

    if (!command.Output.isEmpty() && !writeImage(image, command.Output, command.Format))
        return kExitUsage;
    return status;
}
