#include "file_name.h"

namespace {

constexpr char16_t kCarriedByte = 0xDC00;

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The length of the valid UTF-8 sequence at bytes[at], or 0 when none starts
// there: overlong forms, encoded surrogates and values past U+10FFFF are not
// valid (RFC 3629, section 4).
qsizetype SequenceLength(const QByteArray& bytes, qsizetype at) {
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes[at + i]); };
    const unsigned char lead = byte(0);
    qsizetype length = 0;
    unsigned char low = 0x80; // the range of the second byte
    unsigned char high = 0xBF;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + length > bytes.size() || byte(1) < low || byte(1) > high)
        return 0;
    for (qsizetype i = 2; i < length; ++i) {
        if (!IsContinuation(byte(i)))
            return 0;
    }
    return length;
}

} // namespace

QString DecodeFileName(const QByteArray& bytes) {
    QString name;
    name.reserve(bytes.size());
    qsizetype at = 0;
    while (at < bytes.size()) {
        const qsizetype length = SequenceLength(bytes, at);
        if (length == 0) {
            name.append(QChar(kCarriedByte + static_cast<unsigned char>(bytes[at])));
            ++at;
            continue;
        }
        name.append(QString::fromUtf8(bytes.constData() + at, length));
        at += length;
    }
    return name;
}

QByteArray EncodeFileName(const QString& name) {
    QByteArray bytes;
    bytes.reserve(name.size());
    qsizetype start = 0; // the start of the text not yet encoded
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (!CarriesNameByte(name, i))
            continue;
        bytes.append(QStringView(name).sliced(start, i - start).toUtf8());
        bytes.append(static_cast<char>(name[i].unicode() - kCarriedByte));
        start = i + 1;
    }
    bytes.append(QStringView(name).sliced(start).toUtf8());
    return bytes;
}

QString FileNameText(const QString& name) {
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (CarriesNameByte(name, i))
            return QString::fromLatin1(EncodeFileName(name));
    }
    return name;
}
