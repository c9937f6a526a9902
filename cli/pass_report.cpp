#include "pass_report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

#include "analysis_json.h"
#include "line_view.h"
#include "plot_pass.h"

namespace {

QString ReportedName(const QString& file) {
    return file == u"-" ? QStringLiteral("<stdin>") : file;
}

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

} // namespace

QStringList UnreadLineReports(const QString& file, const PlotInputs& inputs,
                              const PlotReport& report, int maxReports) {
    const std::vector<int>& rejected = report.RejectedLines;
    const QString name = ReportedName(file);
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

QByteArray ResultJson(const QString& file, const PlotInputs& inputs, const PlotReport& report) {
    QJsonArray rejected;
    for (const int line : report.RejectedLines)
        rejected.append(QJsonObject{{QStringLiteral("line"), line},
                                    {QStringLiteral("reason"), ReasonFor(inputs, line)}});
    QJsonObject result{
        {QStringLiteral("file"), file},
        {QStringLiteral("file_type"), inputs.Options.FileType},
        {QStringLiteral("plot_type"), inputs.Options.PlotType},
        {QStringLiteral("data"), report.DataCount},
        {QStringLiteral("rejected"), rejected},
    };
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
    return QJsonDocument(result).toJson(QJsonDocument::Indented);
}
