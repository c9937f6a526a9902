#include "analysis_json.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <cmath>
#include <optional>
#include <string_view>

#include "plot_pass.h"

namespace {

// JSON has no infinity; the "fisher" member writes it "INF" too.
QJsonValue Number(double value) {
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    return value;
}

QJsonValue Number(const std::optional<double>& value) {
    return value ? Number(*value) : QJsonValue(QJsonValue::Null);
}

QString Latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QJsonArray Points(const PlotReport& report) {
    QJsonArray points;
    for (const PlottedDatum& datum : report.Points)
        points.append(QJsonObject{{QStringLiteral("line"), datum.Line},
                                  {QStringLiteral("dec"), Number(datum.Dec)},
                                  {QStringLiteral("inc"), Number(datum.Inc)}});
    return points;
}

QJsonObject TiltCorrection(const PlotOptions& options) {
    if (options.Bedding == BeddingSource::PerLine)
        return {{QStringLiteral("source"), QStringLiteral("per_line")}};
    return {{QStringLiteral("source"), QStringLiteral("single")},
            {QStringLiteral("dip_direction"), Number(options.BeddingDipDirection)},
            {QStringLiteral("dip"), Number(options.BeddingDip)}};
}

QJsonObject Mode(const FisherSummary& mode) {
    return {{QStringLiteral("n"), mode.N},
            {QStringLiteral("dec"), Number(mode.MeanDec)},
            {QStringLiteral("inc"), Number(mode.MeanInc)},
            {QStringLiteral("R"), Number(mode.R)},
            {QStringLiteral("k"), Number(mode.K)},
            {QStringLiteral("a95"), Number(mode.A95)}};
}

QJsonObject Polarity(const PolarityReport& polarity) {
    return {{QStringLiteral("normal"), Mode(polarity.Normal)},
            {QStringLiteral("reversed"), Mode(polarity.Reversed)},
            {QStringLiteral("combined"), Mode(polarity.Combined)}};
}

QJsonObject NotAvailable(std::string_view reason) {
    return {{QStringLiteral("available"), false}, {QStringLiteral("reason"), Latin1(reason)}};
}

QJsonObject ReversalTest(const WatsonVTestResult& test) {
    if (!test.Available)
        return NotAvailable(test.Reason);
    return {{QStringLiteral("available"), true},
            {QStringLiteral("V_w"), Number(test.Vw)},
            {QStringLiteral("V_critical"), Number(test.Critical.Value)},
            {QStringLiteral("gamma"), Number(test.Gamma)},
            {QStringLiteral("gamma_critical"), Number(test.GammaCritical)},
            {QStringLiteral("classification"), Latin1(ReversalClassName(test.Class))},
            {QStringLiteral("simulations"), test.Critical.Simulations}};
}

QJsonObject SitePole(const SitePoleReport& site) {
    if (!site.Pole)
        return NotAvailable(site.Reason);
    const VirtualGeomagneticPole& pole = *site.Pole;
    return {{QStringLiteral("available"), true},
            {QStringLiteral("lat"), Number(pole.PoleLat)},
            {QStringLiteral("lon"), Number(pole.PoleLon)},
            {QStringLiteral("dp"), Number(pole.Dp)},
            {QStringLiteral("dm"), Number(pole.Dm)},
            {QStringLiteral("paleolatitude"), Number(pole.Paleolatitude)}};
}

} // namespace

void AddAnalysisJson(QJsonObject& result, const PlotInputs& inputs, const PlotReport& report) {
    result.insert(QStringLiteral("points"), Points(report));
    if (TiltCorrectionApplies(inputs.Options))
        result.insert(QStringLiteral("tilt_correction"), TiltCorrection(inputs.Options));
    if (report.Polarity)
        result.insert(QStringLiteral("polarity"), Polarity(*report.Polarity));
    if (report.ReversalTest)
        result.insert(QStringLiteral("reversal_test"), ReversalTest(*report.ReversalTest));
    if (report.SitePole)
        result.insert(QStringLiteral("vgp"), SitePole(*report.SitePole));
}
