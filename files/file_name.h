#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// The system names files with bytes, which are usually UTF-8 but need not be:
// a name written on a Latin-1 system keeps its single-byte letters. Such a
// name travels in a QString unchanged by carrying each byte that is not part
// of valid UTF-8 as the code unit U+DC00 + byte (U+DC80 to U+DCFF, lone
// surrogates that decoded text never holds), so that writing it goes to the
// very file the user named and never to a look-alike.

// Whether the code unit at index i of text carries a byte of a name, and
// not the low half of a surrogate pair.
inline bool CarriesNameByte(QStringView text, qsizetype i) {
    const char16_t unit = text[i].unicode();
    return unit >= 0xDC80 && unit <= 0xDCFF && (i == 0 || !text[i - 1].isHighSurrogate());
}

// The name for these bytes (a command-line argument): valid UTF-8 sequences
// as their characters, every other byte carried as above.
QString DecodeFileName(const QByteArray& bytes);

// The bytes of a name: carried bytes as themselves, the rest as UTF-8, so
// that EncodeFileName(DecodeFileName(b)) == b for any bytes b, and a name
// typed or chosen in a dialog gets its UTF-8 bytes.
QByteArray EncodeFileName(const QString& name);

// The name (or any command-line argument, carried the same way) as text to
// show on a plot or in JSON: unchanged when it is UTF-8, else its bytes read
// as Latin-1, as a data file's text is read.
QString FileNameText(const QString& name);
