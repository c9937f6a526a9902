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

// Editor text (lines separated by LF) with the encoding of its file. A UTF-8
// byte-order mark is not part of the text (it would make line 1 unreadable)
// but is remembered, so that a save writes it back.
struct DataFileText {
    QString Text;
    TextEncoding Encoding = TextEncoding::Utf8;
    bool ByteOrderMark = false;
};

// Every CR LF, lone CR and lone LF becomes one LF.
QString NormaliseLineBreaks(const QString& text);

// UTF-8 when the bytes are valid UTF-8 (a leading byte-order mark taken off
// and noted), else Latin-1; line breaks normalised to LF.
DataFileText DecodeDataText(const QByteArray& bytes);

// The bytes of a saved file: the byte-order mark when the file had one, then
// the text with LF as CR LF, and a final CR LF added only when the text does
// not already end with a line break. Latin-1 text that has gained characters
// outside Latin-1 is written as UTF-8 rather than lose them.
QByteArray EncodeDataText(const QString& text, TextEncoding encoding, bool byteOrderMark = false);

// What a reader accepts besides regular files.
enum class SpecialFiles {
    Refuse, // the window: a pipe without a writer would block it for good
    Read,   // the command line: pipes and devices are read to their end
};

// Reads a whole data file, at most maxBytes of it; path is a name as
// file_name.h carries it. On failure returns nothing and sets error to the
// message: "Cannot open file <path>", "Cannot open file <path>: not a regular
// file", "Cannot open file <path>: not a text file" (a zero byte), or "Text
// exceeds memo capacity" (above maxBytes).
std::optional<DataFileText> ReadDataFile(const QString& path, QString& error,
                                         SpecialFiles special = SpecialFiles::Refuse,
                                         qint64 maxBytes = kMaxDataFileBytes);

// Reads an open descriptor (standard input) to its end, at most maxBytes.
// On failure returns nothing and sets error as ReadDataFile does, with name
// in place of the path.
std::optional<DataFileText> ReadDataStream(int fd, const QString& name, QString& error,
                                           qint64 maxBytes = kMaxDataFileBytes);

// Writes the encoded text through SafeWriteFile. Returns an empty text on
// success, else the message of SaveErrorMessage.
QString WriteDataFile(const QString& path, const QString& text, TextEncoding encoding,
                      bool byteOrderMark = false);
