#pragma once

#include <string>
#include <string_view>

#include "number_text.h"
#include "value_limits.h"

// Words shared by the reasons the line readers give for a line they reject.
// Pieces of a line are quoted byte for byte, in the line's own encoding.

// The piece in single quotes, cut after 20 characters with "..."; a tab shows
// as [tab] and any other control character as [0xNN].
std::string QuotedText(std::string_view piece);

// What a refused piece is, for NumberFault TooLarge ("too large a number"),
// OtherSeparator ("not a number (the decimal separator is '.')", or "... is
// '.' or ';'" for another locale separator) and the rest ("not a number").
std::string NotANumberWords(NumberFault fault, char decimalSeparator);

// A number as the line writes it, unquoted: cut after 20 characters with "...".
std::string NumberAsWritten(std::string_view piece);

// The closed range of limits, such as "-90...90".
std::string RangeWords(const ValueLimits& limits);

// Why a number outside the limits is refused: "outside -90...90", then "; "
// and the hint, where the limits have one.
std::string OutsideWords(const ValueLimits& limits);
