// quorvex-plot: renders the plot of a data file without a display, for scripts
// and batch runs, through the same plot pass as the window.

#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QMessageLogContext>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#include "broken_pipes.h"
#include "canvas.h"
#include "data_file.h"
#include "figure_render.h"
#include "file_name.h"
#include "line_view.h"
#include "pass_report.h"
#include "plot_command.h"
#include "plot_geometry.h"
#include "plot_pass.h"
#include "program_identity.h"
#include "raster_canvas.h"
#include "safe_write.h"
#include "terminal_text.h"

namespace {

constexpr int kExitFault = 1;
constexpr int kExitUsage = 2;

// Every line this program writes on standard error: names and data may hold
// bytes that would act on the user's terminal.
void printMessage(const QString& line) {
    std::fputs((EscapeControls(line) + '\n').constData(), stderr);
}

void printError(const QString& message) {
    printMessage("quorvex-plot: " + message);
}

QString systemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// The input as an open descriptor: standard input for "-", else the file.
int openInput(const QString& path) {
    if (path == u"-")
        return STDIN_FILENO;
    const int fd = ::open(EncodeFileName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        printError(QStringLiteral("cannot read '%1': %2").arg(path, systemReason(errno)));
    return fd;
}

// The same limit and messages as the window's load.
std::optional<DataFileText> readInput(int fd, const QString& path) {
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        printError(
            QStringLiteral("cannot read '%1': %2").arg(InputName(path), systemReason(EISDIR)));
        return std::nullopt;
    }
    QString error;
    std::optional<DataFileText> text = ReadDataStream(fd, InputName(path), error);
    if (!text)
        printError(error);
    return text;
}

// Why the image could not be written to path, as printed.
void printWriteFailure(const QString& path, const WriteOutcome& outcome) {
    if (outcome.Failed == WriteOutcome::Step::Produce)
        printError(QStringLiteral("cannot write '%1': the image could not be encoded").arg(path));
    else
        printError(
            QStringLiteral("cannot write '%1': %2").arg(path, SaveErrorMessage(outcome.Errno)));
}

// Draws the one pass onto the canvas the output asks for and writes the
// image, if one is asked for: a vector drawing or scaled PNG goes into its
// file while the pass runs; the raster (BMP, PNG of scale 1, or no image at
// all) is encoded once drawn. False, with the message printed, when the
// image could not be written.
bool drawAndWrite(const PlotCommand& command, const PlotInputs& inputs, PlotReport& report) {
    const auto draw = [&](Canvas& canvas) { RunPlotPass(canvas, inputs, report); };
    const bool vector = command.Format == ImageFormat::Svg || command.Format == ImageFormat::Pdf ||
                        (command.Format == ImageFormat::Png && command.Scale > 1);
    WriteOutcome outcome;
    if (vector) {
        FigureOptions figure;
        figure.Units = inputs.Environment.RasterSize;
        figure.Title = FigureTitleOf(inputs.Options);
        outcome = SafeWriteStream(command.Output, [&](QIODevice& out) {
            return RenderFigure(command.Format, command.Scale, figure, draw, out);
        });
    } else {
        QImage image(inputs.Environment.RasterSize, QImage::Format_RGB32);
        image.fill(Qt::white);
        RasterCanvas canvas(image);
        draw(canvas);
        if (command.Format == ImageFormat::None)
            return true;
        const QByteArray bytes = EncodeRaster(image, command.Format, PngPixels::AsDrawn);
        outcome = bytes.isEmpty() ? WriteOutcome{WriteOutcome::Step::Produce, 0}
                                  : SafeWriteFile(command.Output, bytes);
    }
    if (!outcome.Ok())
        printWriteFailure(command.Output, outcome);
    return outcome.Ok();
}

// Standard error carries only this program's own messages, so scripts can
// read it; Qt's notes about the desktop session (no runtime folder, no
// display) mean nothing to a display-free run.
void quietMessageHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        printError(message);
}

void printLines(const QStringList& lines) {
    for (const QString& line : lines)
        std::fputs((line + u'\n').toUtf8().constData(), stdout);
}

// With standard output closed, the next file opened would take its number
// and receive the result lines; /dev/null takes the place instead, and the
// closed output is reported as the failed write it is.
bool guardStandardOutput() {
    if (::fcntl(STDOUT_FILENO, F_GETFD) != -1)
        return true;
    const int fd = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (fd >= 0 && fd != STDOUT_FILENO) {
        ::dup2(fd, STDOUT_FILENO);
        ::close(fd);
    }
    return false;
}

// The arguments after the program name, as their bytes: Qt's own reading
// would replace a name's bytes that are not UTF-8, and the image would go to
// another file.
QStringList argumentsOf(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(DecodeFileName(QByteArray(argv[i])));
    return arguments;
}

int run(const QStringList& arguments, bool standardOutputOpen) {
    const PlotCommandParse parse = ParsePlotCommand(arguments);
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

    const int inputFd = openInput(command.Input);
    if (inputFd < 0)
        return kExitUsage;
    // Writing the image over the data it was drawn from would lose the data.
    if (!command.Output.isEmpty() && IsSameFile(inputFd, command.Output)) {
        printError(QStringLiteral("the image '%1' would replace the data file it is drawn from")
                       .arg(command.Output));
        return kExitUsage;
    }
    const std::optional<DataFileText> text = readInput(inputFd, command.Input);
    if (inputFd != STDIN_FILENO)
        ::close(inputFd);
    if (!text)
        return kExitUsage;
    const LineView lines(text->Text);

    PlotInputs inputs;
    inputs.Lines = &lines;
    inputs.Options = command.Options;
    inputs.Environment = LocalPlotEnvironment();

    PlotReport report;
    const bool imageWritten = drawAndWrite(command, inputs, report);
    if (!command.Quiet) {
        for (const QString& line : UnreadLineReports(command.Input, inputs, report))
            printMessage(line);
    }
    int status = 0;
    bool printed = false;
    if (!report.Fault.isEmpty()) {
        printError(report.Fault);
        status = kExitFault;
    }
    if (command.Json) {
        std::fputs(ResultJson(command.Input, inputs, report).constData(), stdout);
        printed = true;
    } else if (report.Fault.isEmpty()) {
        // The pass draws no result lines after a fault, so none are printed.
        printLines(report.FisherLines);
        printLines(report.GreatCircleLines);
        printed = !report.FisherLines.isEmpty() || !report.GreatCircleLines.isEmpty();
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0 || (printed && !standardOutputOpen)) {
        const int error = standardOutputOpen ? errno : EBADF;
        printError(QStringLiteral("cannot write the result lines: %1").arg(systemReason(error)));
        status = kExitUsage;
    }

    return imageWritten ? status : kExitUsage;
}

} // namespace

int main(int argc, char* argv[]) {
    IgnoreBrokenPipes();
    const bool standardOutputOpen = guardStandardOutput();
    // No display is ever needed; an explicit platform choice is still honoured.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietMessageHandler);
    QGuiApplication app(argc, argv);
    // Qt has taken its own options out of argv by now.
    try {
        return run(argumentsOf(argc, argv), standardOutputOpen);
    } catch (const std::bad_alloc&) {
        // Whatever the run held is freed by now; the message needs no memory.
        std::fputs("quorvex-plot: Out of system resources\n", stderr);
        return kExitUsage;
    }
}
