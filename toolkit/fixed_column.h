#pragma once

#include <string>
#include <string_view>

struct Direction;

// 1-based start columns of the 5-character fields of a fixed-column file
// type; ErrorColumn is 0 for layouts without an error-radius field.
struct ColumnLayout {
    int DecColumn = 0;
    int IncColumn = 0;
    int ErrorColumn = 0;
};

inline constexpr int kFieldWidth = 5;

// The layout of file types 2 to 8; any other type gets an empty layout.
ColumnLayout ColumnLayoutOf(int fileType);

// Reads the layout's fields into d (Dec, Inc and, where the layout has it,
// ErrorRadius) with FieldToNumber: the full stop or decimalSeparator. Every
// character takes one column, a tab too. A line under 3 characters clears
// d.Success and writes nothing; a field that holds no number, or an
// inclination outside -90...90, clears it too.
void ReadFixedColumnLine(std::string_view line, const ColumnLayout& layout, Direction& d,
                         char decimalSeparator = '.');

// Why ReadFixedColumnLine rejects the line, in the user's words: a line under
// 3 characters, or the first field (in reading order) that holds no number or
// an inclination outside its limits, named by its columns and meaning; empty
// when the reader reads the line. Allocates only for a rejected line.
std::string FixedColumnLineRejection(std::string_view line, const ColumnLayout& layout,
                                     char decimalSeparator = '.');

// The layout's fields for the user, in reading order, such as "columns 12-16:
// declination; 18-22: inclination (-90...90)". Plain ASCII.
std::string FixedColumnLineColumns(const ColumnLayout& layout);
