#pragma once

#include <optional>
#include <string_view>

// Converts a whole field: spaces, optional sign, digits and an optional
// decimal separator with digits (at least one digit or the separator), an
// optional exponent (E or e, optional sign, digits), trailing spaces, nothing
// else. The separator is the full stop or decimalSeparator (the locale's),
// one of them once; there are no thousands separators. A value beyond the
// range of a double is a failure; one too small for it reads as 0 or the
// subnormal. A lone separator reads 0 with its sign. decimalSeparator should
// be none of space, sign, digit or E. Never reads outside the text and never
// allocates, whatever the length.
std::optional<double> FieldToNumber(std::string_view text, char decimalSeparator = '.');

// Why FieldToNumber refuses a text, for telling the user: Empty (nothing but
// spaces), TooLarge (the syntax holds but the value is beyond a double), Tab
// (a tab in it), OtherSeparator (it would read with a comma as the separator,
// which decimalSeparator is not), else NotANumber. None when it converts.
// Checked in that order.
enum class NumberFault { None, Empty, TooLarge, Tab, OtherSeparator, NotANumber };
NumberFault NumberFaultOf(std::string_view text, char decimalSeparator = '.');
