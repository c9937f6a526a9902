#include "results_text.h"

#include <QStringList>

#include <optional>
#include <string_view>

#include "contour_legend.h"
#include "file_type.h"
#include "line_view.h"
#include "number_format.h"
#include "plot_modes.h"
#include "plot_pass.h"

namespace {

// Enough significant digits for any value the pass gives at these decimals.
constexpr int kPrecision = 15;
// Width of an angle in the table of plotted data: "-359.99" and a space.
constexpr int kColumn = 8;

class Writer {
public:
    explicit Writer(QChar separator) : separator_(separator) {}

    QString Angle(double value) const { return FormatNumber(value, kPrecision, 2, separator_); }
    QString Fixed(double value, int decimals) const {
        return FormatNumber(value, kPrecision, decimals, separator_);
    }
    QString Angle(const std::optional<double>& value) const {
        return value ? Angle(*value) : QStringLiteral("n/a");
    }
    QString Fixed(const std::optional<double>& value, int decimals) const {
        return value ? Fixed(*value, decimals) : QStringLiteral("n/a");
    }

    void Line(const QString& line) { text_ += line + u'\n'; }
    void Heading(const QString& heading) {
        if (!text_.isEmpty()) {
            text_ += u'\n';
        }
        Line(heading);
    }
    QString Text() const { return text_; }

private:
    QChar separator_;
    QString text_;
};

QString Latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// The names of the two angles of a datum: a direction's, or a pole's as the
// polar views plot it.
struct AngleNames {
    QString First;
    QString Second;
};

AngleNames NamesFor(int plotType) {
    if (plotType == 0) {
        return {QStringLiteral("Dec"), QStringLiteral("Inc")};
    }
    return {QStringLiteral("Lon"), QStringLiteral("Lat")};
}

void WriteTiltCorrection(Writer& out, const PlotOptions& options) {
    if (!TiltCorrectionApplies(options)) {
        return;
    }
    if (options.Bedding == BeddingSource::PerLine) {
        out.Heading(QStringLiteral("Tilt correction: the bedding on each line"));
    } else {
        out.Heading(QStringLiteral("Tilt correction: one bedding for all data"));
        out.Line(QStringLiteral("  dip direction %1, dip %2")
                     .arg(out.Angle(options.BeddingDipDirection), out.Angle(options.BeddingDip)));
    }
}

void WriteFisher(Writer& out, const FisherResult& fisher, const AngleNames& names, bool combined) {
    out.Heading(combined ? QStringLiteral("Fisher mean (the reversed mode turned round)")
                         : QStringLiteral("Fisher mean"));
    out.Line(
        QStringLiteral("  %1 %2, %3 %4")
            .arg(names.First, out.Angle(fisher.MeanDec), names.Second, out.Angle(fisher.MeanInc)));
    out.Line(QStringLiteral("  R %1, k %2, a95 %3")
                 .arg(out.Fixed(fisher.R, 4), out.Fixed(fisher.K, 2), out.Angle(fisher.A95)));
}

void WriteAxes(Writer& out, const GreatCircleReport& fit) {
    out.Heading(QStringLiteral("Eigen axes of the orientation tensor, largest value first"));
    for (const EigenAxis& axis : fit.Axes) {
        out.Line(QStringLiteral("  Dec %1, Inc %2, value %3")
                     .arg(out.Angle(axis.Dec), out.Angle(axis.Inc), out.Fixed(axis.Value, 4)));
    }
    out.Line(QStringLiteral("  pole of the best-fit great circle: Dec %1, Inc %2")
                 .arg(out.Angle(fit.Pole.PoleDec), out.Angle(fit.Pole.PoleInc)));
}

void WritePolarity(Writer& out, const PolarityReport& polarity, const AngleNames& names) {
    out.Heading(QStringLiteral("Polarities"));
    const struct {
        const char* name;
        const FisherSummary* mode;
    } modes[] = {{"normal:  ", &polarity.Normal},
                 {"reversed:", &polarity.Reversed},
                 {"combined:", &polarity.Combined}};
    for (const auto& [name, mode] : modes) {
        out.Line(QStringLiteral("  %1 n %2, %3 %4, %5 %6, R %7, k %8, a95 %9")
                     .arg(QLatin1String(name), QString::number(mode->N), names.First,
                          out.Angle(mode->MeanDec), names.Second, out.Angle(mode->MeanInc),
                          out.Fixed(mode->R, 4), out.Fixed(mode->K, 2), out.Angle(mode->A95)));
    }
}

void WriteSets(Writer& out, const std::vector<DataSet>& sets, const AngleNames& names) {
    out.Heading(QStringLiteral("Data sets"));
    for (std::size_t i = 0; i < sets.size(); ++i) {
        const FisherSummary& set = sets[i].Fisher;
        out.Line(QStringLiteral("  %1: n %2, %3 %4, %5 %6, R %7, k %8, a95 %9")
                     .arg(DataSetLabel(sets, static_cast<int>(i)), QString::number(sets[i].Count),
                          names.First, out.Angle(set.MeanDec), names.Second, out.Angle(set.MeanInc),
                          out.Fixed(set.R, 4), out.Fixed(set.K, 2), out.Angle(set.A95)));
    }
}

void WriteWatsonTest(Writer& out, const QString& heading, const WatsonVTestResult& test) {
    out.Heading(heading);
    if (!test.Available) {
        out.Line(QStringLiteral("  not available: ") + Latin1(test.Reason));
        return;
    }
    out.Line(QStringLiteral("  V_w %1, V_critical %2 (%3 simulations)")
                 .arg(out.Fixed(test.Vw, 3), out.Fixed(test.Critical.Value, 3))
                 .arg(test.Critical.Simulations));
    out.Line(QStringLiteral("  gamma %1, gamma_critical %2")
                 .arg(out.Angle(test.Gamma), out.Angle(test.GammaCritical)));
    out.Line(QStringLiteral("  classification: ") + Latin1(ReversalClassName(test.Class)));
}

void WriteSitePole(Writer& out, const SitePoleReport& site) {
    out.Heading(QStringLiteral("Virtual geomagnetic pole; site latitude %1, longitude %2")
                    .arg(out.Angle(site.Site.Latitude), out.Angle(site.Site.Longitude)));
    if (!site.Pole) {
        out.Line(QStringLiteral("  not available: ") + Latin1(site.Reason));
        return;
    }
    const VirtualGeomagneticPole& pole = *site.Pole;
    out.Line(QStringLiteral("  latitude %1, longitude %2")
                 .arg(out.Angle(pole.PoleLat), out.Angle(pole.PoleLon)));
    out.Line(QStringLiteral("  dp %1, dm %2").arg(out.Angle(pole.Dp), out.Angle(pole.Dm)));
    out.Line(QStringLiteral("  paleolatitude %1").arg(out.Angle(pole.Paleolatitude)));
}

void WriteContours(Writer& out, const PlotOptions& options,
                   const std::optional<DensityContours>& contours, const AngleNames& names) {
    const bool kamb = options.Contours != ContourMethod::OnePercentArea;
    const QString unit = kamb ? QStringLiteral(" sigma") : QStringLiteral("%");
    out.Heading(
        QStringLiteral("Density contours: ") + ContourMethodName(options.Contours) +
        (kamb ? QStringLiteral(", sigma ") + out.Fixed(options.ContourSigma, 2) : QString()));
    if (!contours || contours->Refusal != nullptr) {
        out.Line(QStringLiteral("  none: no data to contour"));
        return;
    }
    QStringList levels;
    for (const ContourLevel& level : contours->Levels)
        levels.append(out.Fixed(level.Value, 2));
    out.Line(QStringLiteral("  levels (%1): %2")
                 .arg(kamb ? QStringLiteral("sigma") : QStringLiteral("%"),
                      levels.isEmpty() ? QStringLiteral("none") : levels.join(u' ')));
    out.Line(QStringLiteral("  maximum %1%2 at %3 %4, %5 %6")
                 .arg(out.Fixed(contours->Maximum, 2), unit, names.First,
                      out.Angle(contours->MaximumAt.Dec), names.Second,
                      out.Angle(contours->MaximumAt.Inc)));
}

} // namespace

QString ResultsText(const PlotInputs& inputs, const PlotReport& report) {
    const PlotOptions& options = inputs.Options;
    const QChar separator = inputs.Environment.DecimalSeparator;
    const AngleNames names = NamesFor(options.PlotType);
    Writer out(separator);

    out.Line(QStringLiteral("File: ") + options.FileName);
    const bool knownType = options.FileType >= 0 && options.FileType < kFileTypeCount;
    out.Line(QStringLiteral("File type: %1 %2")
                 .arg(options.FileType)
                 .arg(knownType
                          ? Latin1(kFileTypeCaptions[static_cast<std::size_t>(options.FileType)])
                          : QString()));
    out.Line(QStringLiteral("Plot type: %1 %2")
                 .arg(options.PlotType)
                 .arg(ModeText(PlotModeTextsOf(options.PlotType).SelectorCaption)));
    // The equal-area net is the one a reader assumes; only the other is named.
    if (options.NetProjection == Projection::EqualAngle) {
        out.Line(QStringLiteral("Projection: equal angle (stereographic)"));
    }
    out.Line(QStringLiteral("Data read: %1").arg(report.DataCount));
    out.Line(QStringLiteral("Lines not read: %1").arg(report.RejectedLines.size()));
    const ReadingOptions reading = PassReadingOptions(options, separator);
    for (const int line : report.RejectedLines) {
        out.Line(
            QStringLiteral("  line %1: %2")
                .arg(line)
                .arg(LineRejectionReason(options.FileType, inputs.Lines->Line(line), reading)));
    }

    WriteTiltCorrection(out, options);
    if (report.Fisher) {
        WriteFisher(out, *report.Fisher, names, options.SeparatePolarities);
    }
    if (report.GreatCircle) {
        WriteAxes(out, *report.GreatCircle);
    }
    if (report.Polarity) {
        WritePolarity(out, *report.Polarity, names);
    }
    if (report.ReversalTest) {
        WriteWatsonTest(out,
                        QStringLiteral("Reversal test (Watson's V_w; McFadden and McElhinny 1990)"),
                        *report.ReversalTest);
    }
    if (report.Sets.size() >= 2) {
        WriteSets(out, report.Sets, names);
    }
    if (report.CommonMeanTest) {
        WriteWatsonTest(
            out,
            QStringLiteral("Common-mean test of the first two sets (Watson's V_w; McFadden and "
                           "McElhinny 1990)"),
            *report.CommonMeanTest);
    }
    if (report.SitePole) {
        WriteSitePole(out, *report.SitePole);
    }
    if (options.Contours != ContourMethod::None) {
        WriteContours(out, options, report.Contours, names);
    }
    if (!report.Fault.isEmpty()) {
        out.Heading(QStringLiteral("Fault: ") + report.Fault);
    }

    out.Heading(QStringLiteral("Plotted data\n    line %1 %2")
                    .arg(names.First, kColumn)
                    .arg(names.Second, kColumn));
    for (const PlottedDatum& datum : report.Points) {
        out.Line(QStringLiteral("  %1 %2 %3")
                     .arg(datum.Line, 6)
                     .arg(out.Angle(datum.Dec), kColumn)
                     .arg(out.Angle(datum.Inc), kColumn));
    }
    return out.Text();
}
