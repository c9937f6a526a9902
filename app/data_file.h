#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

// How a data file's bytes became text, so that a save writes them back alike.
enum class TextEncoding { Utf8, Latin1 };

// Largest data file that is loaded: far above any real data file, low enough
// that the editor stays usable.
inline constexpr qint64 kMaxDataFileBytes = qint64{64} * 1024 * 1024;

// Editor text (lines separated by LF) with the encoding of its file.
struct DataFileText {
    QString Text;
    TextEncoding Encoding = TextEncoding::Utf8;
};

// Every CR LF, lone CR and lone LF becomes one LF.
QString NormaliseLineBreaks(const QString& text);

// UTF-8 when the bytes are valid UTF-8 (a byte-order mark is kept as U+FEFF),
// else Latin-1; line breaks normalised to LF.
DataFileText DecodeDataText(const QByteArray& bytes);

// The bytes of a saved file: LF becomes CR LF, and a final CR LF is added only
// when the text does not already end with a line break. Latin-1 text that has
// gained characters outside Latin-1 is written as UTF-8 rather than lose them.
QByteArray EncodeDataText(const QString& text, TextEncoding encoding);

// Reads a whole data file. On failure returns nothing and sets error to the
// message: "Cannot open file <path>", "Cannot open file <path>: not a text
// file" (a zero byte), or "Text exceeds memo capacity" (above maxBytes).
std::optional<DataFileText> ReadDataFile(const QString& path, QString& error,
                                         qint64 maxBytes = kMaxDataFileBytes);

// Writes the text through a temporary file in the target's folder that replaces
// the target only once everything is written, so a failure leaves an existing
// file untouched; a symbolic link is followed, and an existing device or pipe
// is written in place. Returns an empty text on success, else the message.
QString WriteDataFile(const QString& path, const QString& text, TextEncoding encoding);

// The message for a failed save from the system's error number: "Invalid
// filename", "File access denied", "Disk full", "Too many open files",
// "File not found", otherwise "I/O error <errno>".
QString SaveErrorMessage(int errnoValue);
