#pragma once

#include <vector>

struct DataSet;
struct LegendColumn;
class Canvas;

// The legend of several data sets, from row top down the column: per set a
// filled square in its colour beside its label, broken at spaces over at most
// two lines (the rest cut), and "N=count" after it or on the next line. A set
// whose lines would pass the column's bottom is left out, with all after it.
// Texts stay black on white. Widens right to the right edge of the widest line.
void DrawSetLegend(Canvas& canvas, const LegendColumn& column, int top,
                   const std::vector<DataSet>& sets, int& right);
