#include <gtest/gtest.h>

#include <QByteArray>
#include <QStringList>

#include <string_view>

#include "line_view.h"

namespace {

struct SplitRow {
    const char* text;
    QStringList lines; // what Line(1..count) give
    const char* whole;
};

TEST(LineViewTest, SplitsOnEveryKindOfBreak) {
    const SplitRow rows[] = {
        {"", {}, ""},
        {"a", {"a"}, "a"},
        {"a\n", {"a"}, "a\r\n"},
        {"a\r\nb\rc\nd", {"a", "b", "c", "d"}, "a\r\nb\r\nc\r\nd"},
        {"\n\n", {"", ""}, "\r\n\r\n"},
        {"\r\r\n", {"", ""}, "\r\n\r\n"},      // CR alone, then CR LF
        {"\n\rx", {"", "", "x"}, "\r\n\r\nx"}, // LF CR is two breaks
        {"  10 20\r\n\r\n", {"  10 20", ""}, "  10 20\r\n\r\n"},
    };
    for (const SplitRow& r : rows) {
        SCOPED_TRACE(r.text);
        const LineView view(QString::fromLatin1(r.text));
        ASSERT_EQ(view.LineCount(), r.lines.size());
        for (int k = 1; k <= view.LineCount(); ++k) {
            EXPECT_EQ(view.Line(k), r.lines.at(k - 1));
            EXPECT_EQ(view.LineText(k), r.lines.at(k - 1));
        }
        EXPECT_EQ(view.WholeText(), QString::fromLatin1(r.whole));
    }
}

TEST(LineViewTest, NumbersOutsideTheTextGiveEmptyLines) {
    const LineView view(QStringLiteral("one\ntwo\n"));
    EXPECT_EQ(view.LineCount(), 2);
    EXPECT_EQ(view.Line(0), QString());
    EXPECT_EQ(view.Line(-1), QString());
    EXPECT_EQ(view.Line(3), QString());
    EXPECT_EQ(view.Line(2), QStringLiteral("two"));
    EXPECT_TRUE(view.LineText(3).isEmpty());
    EXPECT_TRUE(view.LineText(0).isEmpty());
}

TEST(LineViewTest, LongLinesAreCutAt4096Characters) {
    const QString longLine(5000, u'7');
    const LineView view(QStringLiteral("x\n") + longLine + QStringLiteral("\ny"));
    EXPECT_EQ(view.Line(2), QString(4096, u'7'));
    EXPECT_EQ(view.LineText(2), QString(4096, u'7'));
    EXPECT_EQ(view.Line(3), QStringLiteral("y"));
    // The whole text keeps the line uncut.
    EXPECT_TRUE(view.WholeText().contains(longLine));
}

// The pass reads each line through one reused buffer; it must hold the bytes
// QString::toLatin1 gives, whatever came before in the buffer.
TEST(LineViewTest, Latin1LineGivesTheBytesOfToLatin1) {
    const QString rows[] = {
        QStringLiteral("12.5 -3 7 a long line that fills the buffer further"),
        QString(),
        QStringLiteral("10\u00A020"),     // no-break space, inside Latin-1
        QStringLiteral("\u00FF\u0100 x"), // the last Latin-1 character and the first beyond
        QStringLiteral("1\u20AC2"),       // the euro sign
        QStringLiteral("a\U0001F600b"),   // a surrogate pair
        QStringLiteral("short"),
    };
    Latin1Line latin1;
    for (const QString& row : rows) {
        const QByteArray expected = row.toLatin1();
        EXPECT_EQ(latin1.Of(row), std::string_view(expected.constData(), expected.size()))
            << row.toStdString();
    }
}

} // namespace
