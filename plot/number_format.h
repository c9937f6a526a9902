#pragma once

#include <QChar>
#include <QString>

// F(v, P, D): fixed point with D decimals of v rounded to at most P
// significant digits (halves away from zero on the decimal digits), switching
// to d.dddE<e> when the integer part needs more than P digits. Zero has no
// minus sign. Infinities are written "INF" and "-INF", NaN "NAN". P is
// clamped to 2..18 and D to 0..18; D = 0 writes no decimal separator.
QString FormatNumber(double value, int precision, int decimals, QChar decimalSeparator = u'.');
