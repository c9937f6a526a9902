#pragma once

#include <QChar>
#include <QString>

// F(v, P, D): fixed point with D decimals of v rounded to at most P
// significant digits (halves away from zero on the decimal digits), switching
// to d.dddE<e> when the integer part needs more than P digits. Zero has no
// minus sign. +infinity is written "INF". 2 <= P <= 18, D <= 18.
QString FormatNumber(double value, int precision, int decimals, QChar decimalSeparator = u'.');
