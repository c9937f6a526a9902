#pragma once

#include <string>
#include <string_view>

#include "number_text.h"

// Words shared by the reasons the line readers give for a line they reject.
// Pieces of a line are quoted byte for byte, in the line's own encoding.

// The piece in single quotes, cut after 20 characters with "..."; a tab shows
// as [tab] and any other control character as [0xNN].
std::string QuotedText(std::string_view piece);

// What a refused piece is, for NumberFault TooLarge ("too large a number"),
// OtherSeparator ("not a number (the decimal separator is '.')") and the rest
// ("not a number").
std::string NotANumberWords(NumberFault fault, char decimalSeparator);
