#include "contour_legend.h"

#include <cmath>

#include "contours.h"

namespace {

// Up to three significant digits, without trailing zeros: legend numbers are
// for reading, the exact ones are in the results.
QString Short(double value, QChar separator) {
    QString text = QString::number(value, 'g', 3);
    if (text.contains(u'e'))
        text = QString::number(value, 'f', 0);
    return text.replace(u'.', separator);
}

bool EvenlySpaced(const std::vector<double>& values) {
    if (values.size() < 4)
        return false;
    const double step = values[1] - values[0];
    for (std::size_t i = 2; i < values.size(); ++i) {
        if (std::abs(values[i] - values[i - 1] - step) > 1e-9 * std::abs(step))
            return false;
    }
    return step > 0;
}

// Words joined by spaces into lines of at most maxChars (a longer word stands alone).
QStringList Wrapped(const QStringList& words, int maxChars) {
    QStringList lines;
    QString line;
    for (const QString& word : words) {
        if (!line.isEmpty() && line.size() + 1 + word.size() > maxChars) {
            lines.append(line);
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    if (!line.isEmpty())
        lines.append(line);
    return lines;
}

} // namespace

QString ContourMethodName(ContourMethod method) {
    switch (method) {
    case ContourMethod::Kamb:
        return QStringLiteral("Kamb");
    case ContourMethod::ExponentialKamb:
        return QStringLiteral("Exponential Kamb");
    case ContourMethod::OnePercentArea:
        return QStringLiteral("1% area");
    case ContourMethod::None:
        break;
    }
    return {};
}

QStringList ContourLegendLines(const PlotOptions& options, const DensityContours& contours,
                               QChar separator, int maxChars) {
    const bool kamb = options.Contours != ContourMethod::OnePercentArea;
    const QString unit = kamb ? QStringLiteral("\u03c3") : QStringLiteral("%");
    // The long name is shortened where it would not fit.
    const QString name = ContourMethodName(options.Contours);
    QStringList lines{name.size() <= maxChars ? name
                                              : QString(name).replace(QStringLiteral("Exponential"),
                                                                      QStringLiteral("Exp."))};
    if (kamb)
        lines.append(QStringLiteral("\u03c3 = ") + Short(options.ContourSigma, separator));
    std::vector<double> levels;
    for (const ContourLevel& level : contours.Levels)
        levels.push_back(level.Value);
    QStringList words;
    if (EvenlySpaced(levels)) {
        words = {Short(levels.front(), separator), QStringLiteral("to"),
                 Short(levels.back(), separator), QStringLiteral("by"),
                 Short(levels[1] - levels[0], separator) + unit};
    } else {
        for (const double level : levels)
            words.append(Short(level, separator));
        if (words.isEmpty())
            words.append(QStringLiteral("none"));
        words.last() += unit;
    }
    lines.append(QStringLiteral("levels"));
    lines += Wrapped(words, maxChars);
    lines.append(QStringLiteral("max ") + Short(contours.Maximum, separator) + unit);
    // Whole degrees: "at 359/90" still fits a narrow column.
    lines.append(QStringLiteral("at %1/%2")
                     .arg(std::lround(contours.MaximumAt.Dec) % 360)
                     .arg(std::lround(contours.MaximumAt.Inc)));
    return lines;
}
