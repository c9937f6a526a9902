#include "pass_report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis_json.h"
#include "file_name.h"
#include "line_view.h"
#include "plot_command.h"
#include "plot_pass.h"

namespace {

QString ReasonFor(const PlotInputs& inputs, int line) {
    return LineRejectionReason(
        inputs.Options.FileType, inputs.Lines->Line(line),
        PassReadingOptions(inputs.Options, inputs.Environment.DecimalSeparator));
}

// JSON has no infinity; the text lines write it "INF" too.
QJsonValue Number(double value) {
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    return value;
}

QJsonObject Axis(double dec, double inc) {
    return {{QStringLiteral("dec"), Number(dec)}, {QStringLiteral("inc"), Number(inc)}};
}

// JSON asks only the C0 controls to be escaped; a terminal acts on DEL and
// the C1 controls too. In UTF-8 they are the byte 0x7F and the pairs C2 80 to
// C2 9F, which no other character's bytes contain.
QByteArray EscapeDeleteAndC1(const QByteArray& json) {
    QByteArray escaped;
    escaped.reserve(json.size());
    for (qsizetype i = 0; i < json.size(); ++i) {
        const auto byte = static_cast<unsigned char>(json[i]);
        const bool c1 =
            byte == 0xC2 && i + 1 < json.size() && static_cast<unsigned char>(json[i + 1]) <= 0x9F;
        if (byte != 0x7F && !c1) {
            escaped.append(json[i]);
            continue;
        }
        const unsigned value = c1 ? static_cast<unsigned char>(json[++i]) : byte;
        escaped.append("\\u00").append(QByteArray::number(value, 16));
    }
    return escaped;
}

} // namespace

QStringList UnreadLineReports(const QString& file, const PlotInputs& inputs,
                              const PlotReport& report, int maxReports) {
    const std::vector<int>& rejected = report.RejectedLines;
    const QString name = InputName(file);
    QStringList reports;
    const auto shown = std::min<qsizetype>(static_cast<qsizetype>(rejected.size()), maxReports);
    reports.reserve(shown + 1);
    for (qsizetype i = 0; i < shown; ++i) {
        const int line = rejected[static_cast<std::size_t>(i)];
        reports.append(
            QStringLiteral("%1:%2: not read: %3").arg(name).arg(line).arg(ReasonFor(inputs, line)));
    }
    const auto rest = static_cast<qsizetype>(rejected.size()) - shown;
    if (rest > 0)
        reports.append(QStringLiteral("%1: %2 more lines not read").arg(name).arg(rest));
    return reports;
}

QByteArray ResultJson(const QString& file, const PlotInputs& inputs, const PlotReport& report,
                      int maxRejected) {
    const std::vector<int>& lines = report.RejectedLines;
    const auto listed = std::min<std::size_t>(lines.size(), static_cast<std::size_t>(maxRejected));
    QJsonArray rejected;
    for (std::size_t i = 0; i < listed; ++i)
        rejected.append(QJsonObject{{QStringLiteral("line"), lines[i]},
                                    {QStringLiteral("reason"), ReasonFor(inputs, lines[i])}});
    QJsonObject result{
        {QStringLiteral("file"), FileNameText(file)},
        {QStringLiteral("file_type"), inputs.Options.FileType},
        {QStringLiteral("plot_type"), inputs.Options.PlotType},
        {QStringLiteral("data"), report.DataCount},
        {QStringLiteral("rejected"), rejected},
    };
    if (lines.size() > listed)
        result.insert(QStringLiteral("rejected_more"), static_cast<qint64>(lines.size() - listed));
    if (report.Fisher) {
        QJsonObject fisher = Axis(report.Fisher->MeanDec, report.Fisher->MeanInc);
        fisher.insert(QStringLiteral("R"), Number(report.Fisher->R));
        fisher.insert(QStringLiteral("k"), Number(report.Fisher->K));
        fisher.insert(QStringLiteral("a95"), Number(report.Fisher->A95));
        result.insert(QStringLiteral("fisher"), fisher);
    }
    if (report.GreatCircle) {
        const GreatCircleReport& fit = *report.GreatCircle;
        QJsonObject circle = Axis(fit.Pole.PoleDec, fit.Pole.PoleInc);
        circle.insert(QStringLiteral("eigenvalue"), Number(fit.Pole.Eigenvalue));
        QJsonArray axes;
        for (const EigenAxis& axis : fit.Axes) {
            QJsonObject entry = Axis(axis.Dec, axis.Inc);
            entry.insert(QStringLiteral("value"), Number(axis.Value));
            axes.append(entry);
        }
        circle.insert(QStringLiteral("axes"), axes);
        result.insert(QStringLiteral("great_circle"), circle);
    }
    if (!report.Fault.isEmpty())
        result.insert(QStringLiteral("fault"), report.Fault);
    AddAnalysisJson(result, inputs, report);
    return EscapeDeleteAndC1(QJsonDocument(result).toJson(QJsonDocument::Indented));
}
