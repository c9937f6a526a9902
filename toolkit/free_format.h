#pragma once

#include <array>
#include <string>
#include <string_view>

#include "value_limits.h"

struct Direction;

// What a free-format line must hold besides numbers that convert: the limits
// and names of its numbers in reading order (first, second and, for site
// means, third; a limited number needs a name), and, with Bedding, two more
// numbers after them: the bedding's dip direction (any value) and its dip
// (0...90), into d.BeddingDipDirection and d.BeddingDip.
struct FreeFormatRules {
    std::array<ValueLimits, 3> Numbers{};
    bool Bedding = false;
};

// Numbers stand at the start of a line, separated by spaces or tabs (as a
// spreadsheet pastes its cells), and read with FieldToNumber: the full stop or
// decimalSeparator. Whatever follows the numbers a reader needs is ignored.

// First two numbers of a line into d.Dec and d.Inc. Sets d.Success true on
// entry and only clears it: for a missing or unconverted number, or one
// outside its limits; failing paths leave the values the step-by-step reading
// gives (0 for a number that does not convert). With rules.Bedding the two
// numbers after them are read too; d.HasBedding is then true exactly for a
// line that is read, and without it d.HasBedding and the bedding are untouched.
void ReadTwoNumberLine(std::string_view line, Direction& d, char decimalSeparator = '.',
                       const FreeFormatRules& rules = {});

// First three numbers into d.Dec, d.Inc and d.ErrorRadius; all three required.
// Otherwise as ReadTwoNumberLine.
void ReadSiteMeanLine(std::string_view line, Direction& d, char decimalSeparator = '.',
                      const FreeFormatRules& rules = {});

// Why ReadTwoNumberLine (or ReadSiteMeanLine) rejects the line, in the user's
// words, naming the first number that is missing, not a number or outside its
// limits, and its 1-based column; empty when the reader reads the line.
// Allocates only for a rejected line.
std::string TwoNumberLineRejection(std::string_view line, char decimalSeparator = '.',
                                   const FreeFormatRules& rules = {});
std::string SiteMeanLineRejection(std::string_view line, char decimalSeparator = '.',
                                  const FreeFormatRules& rules = {});

// The numbers a line of the reader holds, for the user: their names in order
// with the limits of the limited ones, then "then anything (numbers separated
// by spaces or tabs)", then the hints of the limits. Plain ASCII.
std::string TwoNumberLineColumns(const FreeFormatRules& rules);
std::string SiteMeanLineColumns(const FreeFormatRules& rules);
