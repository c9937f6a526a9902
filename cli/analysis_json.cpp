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

// Every set with its name (or "set N"), its count and its Fisher statistics,
// each value null where it does not exist.
QJsonArray Sets(const std::vector<DataSet>& sets) {
    QJsonArray array;
    for (std::size_t i = 0; i < sets.size(); ++i) {
        const FisherSummary& fisher = sets[i].Fisher;
        array.append(QJsonObject{
            {QStringLiteral("name"), DataSetLabel(sets, static_cast<int>(i))},
            {QStringLiteral("data"), sets[i].Count},
            {QStringLiteral("fisher"), QJsonObject{{QStringLiteral("dec"), Number(fisher.MeanDec)},
                                                   {QStringLiteral("inc"), Number(fisher.MeanInc)},
                                                   {QStringLiteral("R"), Number(fisher.R)},
                                                   {QStringLiteral("k"), Number(fisher.K)},
                                                   {QStringLiteral("a95"), Number(fisher.A95)}}}});
    }
    return array;
}

QString MethodName(ContourMethod method) {
    switch (method) {
    case ContourMethod::Kamb:
        return QStringLiteral("kamb");
    case ContourMethod::ExponentialKamb:
        return QStringLiteral("exponential-kamb");
    case ContourMethod::OnePercentArea:
        return QStringLiteral("schmidt");
    case ContourMethod::None:
        break;
    }
    return {};
}

// Every line as its vertices, lower-hemisphere directions; a closed line ends
// with its first vertex again, as drawing and GIS programs expect a ring.
QJsonObject Contours(const PlotOptions& options, const std::optional<DensityContours>& contours) {
    const bool kamb = options.Contours != ContourMethod::OnePercentArea;
    QJsonObject result{
        {QStringLiteral("method"), MethodName(options.Contours)},
        {QStringLiteral("sigma"), kamb ? Number(options.ContourSigma) : QJsonValue()},
        {QStringLiteral("unit"), kamb ? QStringLiteral("sigma") : QStringLiteral("%")},
    };
    QJsonArray levels;
    if (!contours) {
        result.insert(QStringLiteral("maximum"), QJsonValue());
        result.insert(QStringLiteral("levels"), levels);
        return result;
    }
    result.insert(QStringLiteral("maximum"),
                  QJsonObject{{QStringLiteral("value"), Number(contours->Maximum)},
                              {QStringLiteral("dec"), Number(contours->MaximumAt.Dec)},
                              {QStringLiteral("inc"), Number(contours->MaximumAt.Inc)}});
    for (const ContourLevel& level : contours->Levels) {
        QJsonArray lines;
        for (const ContourLine& line : level.Lines) {
            QJsonArray vertices;
            for (const IncDec& vertex : line.Vertices)
                vertices.append(QJsonArray{Number(vertex.Dec), Number(vertex.Inc)});
            if (line.Closed && !line.Vertices.empty())
                vertices.append(vertices.first());
            lines.append(vertices);
        }
        levels.append(QJsonObject{{QStringLiteral("value"), Number(level.Value)},
                                  {QStringLiteral("lines"), lines}});
    }
    result.insert(QStringLiteral("levels"), levels);
    return result;
}

} // namespace

void AddAnalysisJson(QJsonObject& result, const PlotInputs& inputs, const PlotReport& report) {
    result.insert(QStringLiteral("points"), Points(report));
    if (inputs.Options.NetProjection == Projection::EqualAngle)
        result.insert(QStringLiteral("projection"), QStringLiteral("equal-angle"));
    if (TiltCorrectionApplies(inputs.Options))
        result.insert(QStringLiteral("tilt_correction"), TiltCorrection(inputs.Options));
    if (report.Polarity)
        result.insert(QStringLiteral("polarity"), Polarity(*report.Polarity));
    if (report.ReversalTest)
        result.insert(QStringLiteral("reversal_test"), ReversalTest(*report.ReversalTest));
    if (report.Sets.size() >= 2)
        result.insert(QStringLiteral("sets"), Sets(report.Sets));
    if (report.CommonMeanTest)
        result.insert(QStringLiteral("common_mean_test"), ReversalTest(*report.CommonMeanTest));
    if (report.SitePole)
        result.insert(QStringLiteral("vgp"), SitePole(*report.SitePole));
    if (inputs.Options.Contours != ContourMethod::None)
        result.insert(QStringLiteral("contours"), Contours(inputs.Options, report.Contours));
}
