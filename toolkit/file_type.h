#pragma once

#include <array>
#include <string>
#include <string_view>

#include "direction.h"

// Zero-based item index of the file-type selector, 0 to 10.
using FileType = int;

inline constexpr int kFileTypeCount = 11;

// The selector's captions, exactly as the window shows them.
extern const std::array<std::string_view, kFileTypeCount> kFileTypeCaptions;

// 1-based number of the first line that is read: 3 for types 4, 5, 6; else 1.
int FirstDataLine(FileType type);

// True when every character is a space (U+0020); an empty line is blank.
bool IsBlankLine(std::string_view line);

// Reads one line of the given type. Types 9 and 10 deliver the pole of the
// plane (azimuth in Dec, plunge in Inc). A type outside 0..10 reads nothing
// and returns Success false.
Direction ReadDataLine(FileType type, std::string_view line, char decimalSeparator = '.');

// Why ReadDataLine rejects the line, in words a user understands, naming the
// token or field and its column; empty for a line it reads and for a blank
// line (which never reaches a reader). Allocates only for a rejected line.
std::string RejectionReason(FileType type, std::string_view line, char decimalSeparator = '.');
