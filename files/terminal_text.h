#pragma once

#include <QByteArray>
#include <QString>

// A message for a terminal, as UTF-8 bytes in which no character can act on
// the terminal: C0 controls (tab and line feed too), DEL and the C1 controls
// U+0080 to U+009F are written as escapes, "\a \b \t \n \v \f \r \e" or
// "\xNN"; a file name's byte that is not UTF-8 (file_name.h) is "\xNN" too.
// Everything else, backslashes included, is written as it is. Both programs
// send every message meant for standard error through it.
QByteArray EscapeControls(const QString& text);
