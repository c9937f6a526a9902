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

// How lines are read. DecimalSeparator is the locale's, read besides the full
// stop. With Bedding, a line of type 0 or 1 also carries the bedding of its
// rock: the two numbers after the datum's own (numbers 3 and 4 for type 0,
// 4 and 5 for type 1), dip direction then dip (0...90), and a line without
// them is not read; the other types read as without it.
struct ReadingOptions {
    char DecimalSeparator = '.';
    bool Bedding = false;
};

// Reads one line of the given type. The free formats (types 0, 1, 9, 10)
// separate numbers by spaces or tabs; the fixed columns (2 to 8) count every
// character as a column. The second value (inclination, latitude) must lie in
// -90...90, the dip of types 9 and 10 in 0...90; other values may have any
// size. Types 9 and 10 deliver the pole of the plane (azimuth in Dec, plunge
// in Inc). A type outside 0..10 reads nothing and returns Success false.
// Never allocates.
Direction ReadDataLine(FileType type, std::string_view line, const ReadingOptions& options);
Direction ReadDataLine(FileType type, std::string_view line, char decimalSeparator = '.');

// Why ReadDataLine (with the same options) rejects the line, in words a user
// understands, naming the token or field and its column; empty for a line it
// reads and for a blank line (which never reaches a reader). Allocates only
// for a rejected line.
std::string RejectionReason(FileType type, std::string_view line, const ReadingOptions& options);
std::string RejectionReason(FileType type, std::string_view line, char decimalSeparator = '.');

// The columns a line of the type holds, in a line of plain ASCII under 150
// characters, made from the readers' own tables (for tooltips and the manual):
// header lines, then the fields and their columns, or the numbers in order
// with their limits. Empty for a type outside 0..10.
std::string FileTypeColumns(FileType type, const ReadingOptions& options = {});
