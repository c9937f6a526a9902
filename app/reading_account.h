#pragma once

#include <QString>

#include <vector>

// The one-line account of a plot pass shown on the plot: "12 data read; 2
// lines not read (lines 3, 17)". The list names at most 10 lines, then "...";
// one datum reads "1 datum read", one line "1 line not read (line 3)", and no
// line "every data line read". rejectedLines are 1-based, in order.
QString ReadingAccount(int dataCount, const std::vector<int>& rejectedLines);
