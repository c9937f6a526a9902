#pragma once

#include <span>
#include <vector>

#include "density.h"
#include "direction.h"

// One contour line on the lower hemisphere: directions in degrees, Inc in
// [0, 90], Dec in [0, 360). The density is higher on the left of the line as
// seen from above the net (north up, east right). An open line starts and ends
// on the primitive (Inc = 0 exactly), where it leaves the lower hemisphere; its
// continuation re-enters at the antipodal point of the primitive as another
// line. A closed line joins its last vertex to its first, which is not
// repeated. Consecutive vertices lie at most about 1 degree apart.
struct ContourLine {
    std::vector<IncDec> Vertices;
    bool Closed = false;
};

struct ContourLevel {
    double Value = 0.0; // in DensityUnit(method)
    std::vector<ContourLine> Lines;
};

struct DensityContours {
    const char* Refusal = nullptr; // why nothing was computed, or nullptr
    double Maximum = 0.0;          // largest density, in DensityUnit(method)
    IncDec MaximumAt{90.0, 0.0};   // its direction, Inc >= 0
    std::vector<ContourLevel> Levels;
};

// Contour lines of the density of the data (unit vectors, axial) on the
// lower hemisphere, at the given levels (DensityUnit units): non-finite
// levels are dropped, the rest sorted ascending and duplicates merged; an
// empty span means DefaultContourLevels(method, Maximum). A level at or
// below 0, or above the maximum, has no lines. No data: Maximum 0 and no
// lines. Refused settings (DensitySettingsRefusal): Refusal set, nothing else.
//
// Accuracy. Exponential Kamb: the density at every vertex, and at the
// midpoint of every segment taken on the equal-area or on the equal-angle
// net, lies within 1% of Maximum of the line's level. Kamb and 1% area (whose
// count jumps at counting-circle edges): every vertex lies within 1e-9 rad of
// a point where the density crosses the level, and those midpoints within
// 0.02 degree of one. Maximum: within 1% of the largest density, found as
// the best of local maxima (exponential Kamb) or by branch and bound over the
// counting circles (Kamb, 1% area).
//
// Closed lines smaller than a grid cell (at most a third of the kernel's
// width for exponential Kamb, a quarter of the counting radius otherwise)
// may be missed; they enclose a peak that barely exceeds the level.
DensityContours ContourDensity(std::span<const Vector3> data, const DensitySettings& settings,
                               std::span<const double> levels);

// 2, 4, 6 ... up to maximum for the Kamb methods; 1, 2, 4, 8, 16, 32 below
// maximum for 1% area. Empty for a maximum that is not finite and > 0.
std::vector<double> DefaultContourLevels(DensityMethod method, double maximum);
