#include "print_test_support.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>

std::optional<QByteArray> RunTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return std::nullopt;
    return process.readAllStandardOutput();
}

int PdfPageCount(const QString& pdfPath) {
    const std::optional<QByteArray> info = RunTool(QStringLiteral("pdfinfo"), {pdfPath});
    if (!info)
        return -1;
    const QRegularExpression pages(QStringLiteral("^Pages:\\s+(\\d+)\\s*$"),
                                   QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = pages.match(QString::fromUtf8(*info));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QString PdfPageSize(const QString& pdfPath) {
    const std::optional<QByteArray> info = RunTool(QStringLiteral("pdfinfo"), {pdfPath});
    if (!info)
        return {};
    const QRegularExpression size(QStringLiteral("^Page size:\\s+(.*\\S)\\s*$"),
                                  QRegularExpression::MultilineOption);
    return size.match(QString::fromUtf8(*info)).captured(1);
}

QString PdfTitle(const QString& pdfPath) {
    const std::optional<QByteArray> info = RunTool(QStringLiteral("pdfinfo"), {pdfPath});
    if (!info)
        return {};
    const QRegularExpression title(QStringLiteral("^Title:[ \\t]+([^\\n]*\\S)[ \\t]*$"),
                                   QRegularExpression::MultilineOption);
    return title.match(QString::fromUtf8(*info)).captured(1);
}

int PdfImageCount(const QString& pdfPath) {
    const std::optional<QByteArray> list =
        RunTool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdfPath});
    if (!list)
        return -1;
    // Two heading lines, then one line per image.
    return std::max<int>(0, static_cast<int>(NonEmptyLines(QString::fromUtf8(*list)).size()) - 2);
}

QString PdfPageText(const QString& pdfPath, int page) {
    const QString number = QString::number(page);
    const std::optional<QByteArray> text = RunTool(
        QStringLiteral("pdftotext"), {QStringLiteral("-raw"), QStringLiteral("-f"), number,
                                      QStringLiteral("-l"), number, pdfPath, QStringLiteral("-")});
    return text ? QString::fromUtf8(*text) : QString();
}

QImage RenderPdfPage(const QString& pdfPath, int page, int dpi) {
    QTemporaryDir dir;
    const QString number = QString::number(page);
    const QString prefix = dir.filePath(QStringLiteral("page"));
    if (!RunTool(QStringLiteral("pdftoppm"),
                 {QStringLiteral("-gray"), QStringLiteral("-r"), QString::number(dpi),
                  QStringLiteral("-f"), number, QStringLiteral("-l"), number,
                  QStringLiteral("-singlefile"), pdfPath, prefix}))
        return {};
    return QImage(prefix + QStringLiteral(".pgm"));
}

QStringList NonEmptyLines(const QString& text) {
    QStringList lines;
    for (const QString& line : text.split(QRegularExpression(QStringLiteral("[\\r\\n\\f]+")))) {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty())
            lines.append(trimmed);
    }
    return lines;
}
