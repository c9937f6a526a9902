#include <QDate>
#include <QLocale>

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
