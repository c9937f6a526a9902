#pragma once

#include <string>
#include <string_view>

struct Direction;

// First two space-separated numbers of a line into d.Dec and d.Inc. Sets
// d.Success true on entry and only clears it; failing paths leave the values
// the step-by-step reading gives (0 for a field that does not convert).
void ReadTwoNumberLine(std::string_view line, Direction& d, char decimalSeparator = '.');

// First three numbers into d.Dec, d.Inc and d.ErrorRadius; all three required.
void ReadSiteMeanLine(std::string_view line, Direction& d, char decimalSeparator = '.');

// Why ReadTwoNumberLine (or ReadSiteMeanLine) rejects the line, in the user's
// words, naming the first token that is missing or not a number and its
// 1-based column; empty when the reader reads the line. Allocates only for a
// rejected line.
std::string TwoNumberLineRejection(std::string_view line, char decimalSeparator = '.');
std::string SiteMeanLineRejection(std::string_view line, char decimalSeparator = '.');
