#pragma once

#include <QString>

#include <ostream>

// Failure output shows texts as text rather than as bytes. Every test file
// includes this, so the printer is the same in all of them.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
