#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

#include "data_text.h"

namespace {

TEST(DecodeDataText, Utf8WhenValidElseLatin1) {
    struct Case {
        QByteArray bytes;
        QString text;
    };
    const Case cases[] = {
        {QByteArray("10 20\r\n30 40"), QStringLiteral("10 20\r\n30 40")},
        {QByteArray("caf\xC3\xA9 10 20"), QStringLiteral("caf\u00E9 10 20")},
        {QByteArray("\xEF\xBB\xBF"
                    "10 20"),
         QStringLiteral("10 20")},
        // A lone 0xE9 is not UTF-8: the whole text is Latin-1, byte for byte.
        {QByteArray("caf\xE9 10 20\n\xC3\xA9"), QStringLiteral("caf\u00E9 10 20\n\u00C3\u00A9")},
        {QByteArray("a\0b", 3), QStringView(u"a\0b", 3).toString()},
        {QByteArray(), QString()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecodeDataText(c.bytes), c.text) << c.bytes.toHex().constData();
}

} // namespace
