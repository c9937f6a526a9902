#include <QDate>
#include <QFont>
#include <QFontMetrics>
#include <QLocale>

#include "plot_options.h"
#include "plot_pass.h"

QString TodayShortDate() {
    const QLocale locale = QLocale::system();
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (format.isEmpty()) {
        format = QStringLiteral("M/d/yy");
    }
    return locale.toString(QDate::currentDate(), format);
}

QChar LocaleDecimalSeparator() {
    const QString point = QLocale::system().decimalPoint();
    return point.size() == 1 ? point.at(0) : QChar(u'.');
}

PlotEnvironment LocalPlotEnvironment() {
    PlotEnvironment environment;
    environment.Today = TodayShortDate();
    environment.DecimalSeparator = LocaleDecimalSeparator();
    // The window's font is 8 points, which is 11 pixels at 96 pixels per inch.
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    environment.WindowFontWidthN270 = QFontMetrics(font).horizontalAdvance(QStringLiteral("N270"));
    return environment;
}
