#include "terminal_text.h"

#include "file_name.h"

namespace {

bool IsControl(char16_t unit) {
    return unit < 0x20 || (unit >= 0x7F && unit <= 0x9F);
}

void AppendEscape(QByteArray& bytes, unsigned value) {
    constexpr char kNamed[] = "\a\b\t\n\v\f\r";
    constexpr char kLetters[] = "abtnvfr";
    for (int i = 0; kNamed[i] != '\0'; ++i) {
        if (value == static_cast<unsigned char>(kNamed[i])) {
            bytes.append('\\').append(kLetters[i]);
            return;
        }
    }
    if (value == 0x1B) {
        bytes.append("\\e");
        return;
    }
    bytes.append("\\x").append(QByteArray::number(value, 16).rightJustified(2, '0'));
}

} // namespace

QByteArray EscapeControls(const QString& text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    qsizetype start = 0; // the start of the text not yet written
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        const bool carried = CarriesNameByte(text, i);
        if (!IsControl(unit) && !carried)
            continue;
        bytes.append(QStringView(text).sliced(start, i - start).toUtf8());
        AppendEscape(bytes, carried ? unit - 0xDC00u : unit);
        start = i + 1;
    }
    bytes.append(QStringView(text).sliced(start).toUtf8());
    return bytes;
}
