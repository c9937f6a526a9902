#pragma once

#include <QChar>
#include <QStringList>

#include "plot_options.h"

struct DensityContours;

// The lines of the contour legend, each at most maxChars characters where
// its words allow: the method ("Exp. Kamb" where the name is too long),
// sigma (the Kamb methods), the levels (an evenly spaced run as "a to b by
// d", else the values, wrapped) with their unit, and the maximum with its
// direction in whole degrees (Dec/Inc, or Lon/Lat in the polar views).
// Numbers have the decimal separator given.
QStringList ContourLegendLines(const PlotOptions& options, const DensityContours& contours,
                               QChar decimalSeparator, int maxChars);

// The method's name as the legend and the results give it: "Kamb",
// "Exponential Kamb", "1% area"; empty for none.
QString ContourMethodName(ContourMethod method);
