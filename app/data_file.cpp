#include "data_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

QString NormaliseLineBreaks(const QString& text) {
    QString result;
    result.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == u'\r') {
            result.append(u'\n');
            if (i + 1 < n && text[i + 1] == u'\n')
                ++i;
        } else {
            result.append(c);
        }
    }
    return result;
}

DataFileText DecodeDataText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return {NormaliseLineBreaks(text), TextEncoding::Utf8};
    return {NormaliseLineBreaks(QString::fromLatin1(bytes)), TextEncoding::Latin1};
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

QByteArray EncodeDataText(const QString& text, TextEncoding encoding) {
    QString withBreaks = text;
    withBreaks.replace(u'\n', QStringLiteral("\r\n"));
    if (!text.endsWith(u'\n'))
        withBreaks.append(QStringLiteral("\r\n"));
    if (encoding == TextEncoding::Latin1 && FitsLatin1(withBreaks))
        return withBreaks.toLatin1();
    QStringEncoder utf8(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
    return utf8.encode(withBreaks);
}

std::optional<DataFileText> ReadDataFile(const QString& path, QString& error, qint64 maxBytes) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("Cannot open file %1").arg(path);
        return std::nullopt;
    }
    // Read in pieces and stop past the limit, so that neither a huge file nor
    // an endless device can exhaust memory.
    QByteArray bytes;
    if (file.size() > maxBytes) {
        error = QStringLiteral("Text exceeds memo capacity");
        return std::nullopt;
    }
    bytes.reserve(file.size());
    constexpr qint64 kPiece = qint64{1} << 20;
    bool readFailed = false;
    for (;;) {
        const QByteArray piece = file.read(kPiece);
        if (piece.isEmpty()) {
            readFailed = file.error() != QFileDevice::NoError;
            break;
        }
        bytes.append(piece);
        if (bytes.size() > maxBytes) {
            error = QStringLiteral("Text exceeds memo capacity");
            return std::nullopt;
        }
    }
    if (readFailed) {
        error = QStringLiteral("Cannot open file %1").arg(path);
        return std::nullopt;
    }
    // A zero byte marks binary data; half of it in the editor would look like
    // a complete file.
    if (bytes.contains('\0')) {
        error = QStringLiteral("Cannot open file %1: not a text file").arg(path);
        return std::nullopt;
    }
    return DecodeDataText(bytes);
}

QString SaveErrorMessage(int errnoValue) {
    switch (errnoValue) {
    case ENOENT:
        return QStringLiteral("File not found");
    case ENOTDIR:
    case ENAMETOOLONG:
        return QStringLiteral("Invalid filename");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("Too many open files");
    case EACCES:
    case EPERM:
    case EROFS:
        return QStringLiteral("File access denied");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("Disk full");
    default:
        return QStringLiteral("I/O error %1").arg(errnoValue);
    }
}

namespace {

// errno of the call just made, or EIO when the library reported a failure
// without one.
int ErrnoOr(int saved) {
    return saved != 0 ? saved : EIO;
}

struct TargetCheck {
    int Errno = 0;        // 0 when the save may go ahead
    bool Special = false; // an existing device, pipe or socket
};

// Checks what QSaveFile would only report coarsely: the folder must exist,
// and the folder and an existing target must be writable for this user.
// A missing folder reports ENOTDIR. Symbolic links are followed, as the
// save itself follows them.
TargetCheck CheckTarget(const QString& path) {
    const QFileInfo info(path);
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    struct stat folderStat {};
    if (::stat(folder.constData(), &folderStat) != 0) {
        const int err = errno;
        return {err == ENOENT ? ENOTDIR : err, false};
    }
    if (!S_ISDIR(folderStat.st_mode))
        return {ENOTDIR, false};
    QString resolved = info.absoluteFilePath();
    const QByteArray target = QFile::encodeName(resolved);
    struct stat targetStat {};
    if (::stat(target.constData(), &targetStat) == 0) {
        if (S_ISDIR(targetStat.st_mode))
            return {EISDIR, false};
        if (::access(target.constData(), W_OK) != 0)
            return {errno, false};
        if (!S_ISREG(targetStat.st_mode))
            return {0, true};
        resolved = info.canonicalFilePath();
    }
    const QByteArray targetFolder = QFile::encodeName(QFileInfo(resolved).absolutePath());
    if (::access(targetFolder.constData(), W_OK) != 0)
        return {errno, false};
    return {};
}

// A device or pipe cannot be replaced by a renamed file (that would destroy
// the node), so it is written in place.
QString WriteInPlace(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return SaveErrorMessage(ErrnoOr(errno));
    errno = 0;
    if (file.write(bytes) != bytes.size())
        return SaveErrorMessage(ErrnoOr(errno));
    file.close();
    return {};
}

} // namespace

QString WriteDataFile(const QString& path, const QString& text, TextEncoding encoding) {
    const TargetCheck check = CheckTarget(path);
    if (check.Errno != 0)
        return SaveErrorMessage(check.Errno);
    const QByteArray bytes = EncodeDataText(text, encoding);
    if (check.Special)
        return WriteInPlace(path, bytes);

    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        return SaveErrorMessage(ErrnoOr(errno));
    errno = 0;
    if (file.write(bytes) != bytes.size()) {
        const int err = ErrnoOr(errno);
        file.cancelWriting();
        return SaveErrorMessage(err);
    }
    errno = 0;
    if (!file.commit())
        return SaveErrorMessage(ErrnoOr(errno));
    return {};
}
