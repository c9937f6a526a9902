#include <gtest/gtest.h>

#include <QDate>
#include <QLocale>

#include "plot_pass.h"

namespace {

TEST(LocaleTextsTest, TodayIsTheCurrentDateWithoutTime) {
    const QString today = TodayShortDate();
    ASSERT_FALSE(today.isEmpty());
    QString format = QLocale::system().dateFormat(QLocale::ShortFormat);
    if (format.isEmpty()) {
        format = QStringLiteral("M/d/yy");
    }
    // Read back with the same pattern, the text names today (two-digit years
    // read back in the 1900s, so compare month and day, and the year's end).
    const QDate read = QLocale::system().toDate(today, format);
    ASSERT_TRUE(read.isValid()) << today.toStdString();
    const QDate now = QDate::currentDate();
    EXPECT_EQ(read.month(), now.month());
    EXPECT_EQ(read.day(), now.day());
    EXPECT_EQ(read.year() % 100, now.year() % 100);
    EXPECT_FALSE(today.contains(u':'));
}

TEST(LocaleTextsTest, DecimalSeparatorIsOneCharacter) {
    const QChar separator = LocaleDecimalSeparator();
    EXPECT_FALSE(separator.isNull());
    EXPECT_FALSE(separator.isDigit());
    EXPECT_FALSE(separator.isSpace());
}

} // namespace
