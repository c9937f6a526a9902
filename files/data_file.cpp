#include "data_file.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "file_name.h"
#include "safe_write.h"

QString NormaliseLineBreaks(const QString& text) {
    // CR LF first, so that only lone CRs are left for the second pass.
    QString result = text;
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.replace(u'\r', u'\n');
    return result;
}

DataFileText DecodeDataText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return {NormaliseLineBreaks(QString::fromLatin1(bytes)), TextEncoding::Latin1, false};
    const bool mark = text.startsWith(QChar::ByteOrderMark);
    if (mark)
        text.remove(0, 1);
    return {NormaliseLineBreaks(text), TextEncoding::Utf8, mark};
}

namespace {

bool FitsLatin1(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() > 0xFF)
            return false;
    }
    return true;
}

} // namespace

QByteArray EncodeDataText(const QString& text, TextEncoding encoding, bool byteOrderMark) {
    QString withBreaks = text;
    withBreaks.replace(u'\n', QStringLiteral("\r\n"));
    if (!text.endsWith(u'\n'))
        withBreaks.append(QStringLiteral("\r\n"));
    if (encoding == TextEncoding::Latin1 && FitsLatin1(withBreaks))
        return withBreaks.toLatin1();
    QStringEncoder utf8(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
    const QByteArray encoded = utf8.encode(withBreaks);
    return byteOrderMark ? QByteArray("\xEF\xBB\xBF") + encoded : encoded;
}

namespace {

enum class ReadResult { Done, Failed, TooLarge };

// Reads to the end in pieces and stops past the limit, so that neither a huge
// file nor an endless device can exhaust memory.
ReadResult ReadAll(int fd, qint64 maxBytes, QByteArray& bytes) {
    constexpr qsizetype kPiece = qsizetype{1} << 20;
    for (;;) {
        if (bytes.size() > maxBytes)
            return ReadResult::TooLarge;
        const qsizetype used = bytes.size();
        if (bytes.capacity() < used + kPiece)
            bytes.reserve(std::max(2 * bytes.capacity(), used + kPiece));
        bytes.resize(used + kPiece);
        const ssize_t n = ::read(fd, bytes.data() + used, static_cast<size_t>(kPiece));
        bytes.resize(used + std::max<ssize_t>(n, 0));
        if (n == 0)
            return ReadResult::Done;
        if (n < 0 && errno != EINTR)
            return ReadResult::Failed;
    }
}

std::optional<DataFileText> ReadOpenFile(int fd, const QString& name, QString& error,
                                         qint64 maxBytes) {
    QByteArray bytes;
    switch (ReadAll(fd, maxBytes, bytes)) {
    case ReadResult::Done:
        break;
    case ReadResult::Failed:
        error = QStringLiteral("Cannot open file %1").arg(name);
        return std::nullopt;
    case ReadResult::TooLarge:
        error = QStringLiteral("Text exceeds memo capacity");
        return std::nullopt;
    }
    // A zero byte marks binary data; half of it in the editor would look like
    // a complete file.
    if (bytes.contains('\0')) {
        error = QStringLiteral("Cannot open file %1: not a text file").arg(name);
        return std::nullopt;
    }
    return DecodeDataText(bytes);
}

} // namespace

std::optional<DataFileText> ReadDataFile(const QString& path, QString& error, SpecialFiles special,
                                         qint64 maxBytes) {
    // Opened without blocking, so a pipe that nobody writes cannot hang the
    // caller before the check below has seen what the file is.
    const int flags =
        O_RDONLY | O_NOCTTY | O_CLOEXEC | (special == SpecialFiles::Refuse ? O_NONBLOCK : 0);
    const int fd = ::open(EncodeFileName(path).constData(), flags);
    if (fd < 0) {
        error = QStringLiteral("Cannot open file %1").arg(path);
        return std::nullopt;
    }
    struct stat st {};
    std::optional<DataFileText> text;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        error = QStringLiteral("Cannot open file %1").arg(path);
    } else if (!S_ISREG(st.st_mode) && special == SpecialFiles::Refuse) {
        error = QStringLiteral("Cannot open file %1: not a regular file").arg(path);
    } else if (S_ISREG(st.st_mode) && st.st_size > maxBytes) {
        error = QStringLiteral("Text exceeds memo capacity");
    } else {
        text = ReadOpenFile(fd, path, error, maxBytes);
    }
    ::close(fd);
    return text;
}

std::optional<DataFileText> ReadDataStream(int fd, const QString& name, QString& error,
                                           qint64 maxBytes) {
    return ReadOpenFile(fd, name, error, maxBytes);
}

QString WriteDataFile(const QString& path, const QString& text, TextEncoding encoding,
                      bool byteOrderMark) {
    const WriteOutcome outcome = SafeWriteFile(path, EncodeDataText(text, encoding, byteOrderMark));
    return outcome.Ok() ? QString() : SaveErrorMessage(outcome.Errno);
}
