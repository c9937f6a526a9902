#include "file_name.h"
#include "terminal_text.h"

#include <gtest/gtest.h>

#include "qstring_printer.h"

namespace {

// The code unit that carries a byte of a name (file_name.h).
QChar Carried(unsigned byte) {
    return QChar(0xDC00 + byte);
}

// A name's bytes come back exactly; only bytes outside valid UTF-8 (RFC 3629)
// are carried as U+DC80 to U+DCFF, and such a name shows as Latin-1.
TEST(FileName, KeepsEveryByteAndCarriesOnlyThoseThatAreNotUtf8) {
    const struct {
        const char* name;
        QByteArray bytes;
        QString decoded;
        QString text;
    } cases[] = {
        {"ASCII", "plot.png", QStringLiteral("plot.png"), QStringLiteral("plot.png")},
        {"UTF-8", "caf\xC3\xA9.png", QStringLiteral("caf\u00E9.png"),
         QStringLiteral("caf\u00E9.png")},
        {"four-byte UTF-8", "\xF0\x9F\x98\x80", QStringLiteral("\U0001F600"),
         QStringLiteral("\U0001F600")},
        {"Latin-1", "img\xE9.png", QStringLiteral("img") + Carried(0xE9) + QStringLiteral(".png"),
         QStringLiteral("img\u00E9.png")},
        {"overlong slash", "a\xC0\xAF", QStringLiteral("a") + Carried(0xC0) + Carried(0xAF),
         QStringLiteral("a\u00C0\u00AF")},
        {"encoded surrogate", "\xED\xB3\xA9",
         QString() + Carried(0xED) + Carried(0xB3) + Carried(0xA9),
         QStringLiteral("\u00ED\u00B3\u00A9")},
        {"cut-off sequence", "x\xE2\x82", QStringLiteral("x") + Carried(0xE2) + Carried(0x82),
         QStringLiteral("x\u00E2\u0082")},
        {"past U+10FFFF", "\xF4\x90\x80\x80",
         QString() + Carried(0xF4) + Carried(0x90) + Carried(0x80) + Carried(0x80),
         QStringLiteral("\u00F4\u0090\u0080\u0080")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DecodeFileName(c.bytes), c.decoded);
        EXPECT_EQ(EncodeFileName(DecodeFileName(c.bytes)), c.bytes);
        EXPECT_EQ(FileNameText(DecodeFileName(c.bytes)), c.text);
    }
}

TEST(EscapeControls, NoCharacterThatActsOnATerminalIsLeftRaw) {
    const struct {
        QString text;
        QByteArray shown;
    } cases[] = {
        {QStringLiteral("\x1B]0;pwn\a.plt"), "\\e]0;pwn\\a.plt"},
        {QStringLiteral("a\tb\nc\rd\b\v\f"), "a\\tb\\nc\\rd\\b\\v\\f"},
        {QStringLiteral("nul\x01\x1F"), "nul\\x01\\x1f"},
        {QStringLiteral("del\x7F csi\u009B31m nel\u0085"), "del\\x7f csi\\x9b31m nel\\x85"},
        {DecodeFileName("img\xE9\x9B.png"), "img\\xe9\\x9b.png"},
        {QStringLiteral("caf\u00E9 \U0001F600 \\x41 \u00A0"),
         "caf\xC3\xA9 \xF0\x9F\x98\x80 \\x41 \xC2\xA0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EscapeControls(c.text), c.shown) << c.shown.constData();
}

} // namespace
