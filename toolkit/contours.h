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
// repeated.
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
// net, lies within 1% of Maximum of the line's level; segments are at most
// about 1 degree long. Kamb and 1% area, whose count jumps at the edges of
// counting circles: every vertex lies within 1e-6 rad of a point where the
// density crosses the level (it is bisected to the jump), and the drawn
// midpoints lie within 0.1 degree of one (under a pixel on a 1,000-pixel
// net), except where a channel or island of the count narrower than a grid
// cell passes between grid nodes and the line cuts across it (a few percent
// of the midpoints with many data; all stay within 1 degree). Maximum: within
// 1% of the largest density, as the best of the local maxima (exponential
// Kamb) or by branch and bound over the counting circles (Kamb, 1% area;
// exact below 200 counts).
//
// Grids: exponential Kamb 0.6 of the kernel's width 1 / sqrt(f) (0.73
// degree at 10,000 data, sigma 3), at most 2.9 degrees; the step methods a
// quarter of the counting radius, at most 1 degree. Closed lines smaller
// than a grid cell may be missed; they enclose a peak that barely exceeds
// the level.
//
// Deterministic: the same result, bit for bit, on every run and machine. The
// work is split into fixed units (chunks of grid rows, then levels) shared
// among up to `workers` threads (0: DefaultWorkers()); a unit's result does
// not depend on the thread that computes it, so the number of workers, or a
// thread that could not be started, changes only the time taken.
DensityContours ContourDensity(std::span<const Vector3> data, const DensitySettings& settings,
                               std::span<const double> levels, int workers = 0);

// 2, 4, 6 ... up to maximum for the Kamb methods; 1, 2, 4, 8, 16, 32 below
// maximum for 1% area. Empty for a maximum that is not finite and > 0.
std::vector<double> DefaultContourLevels(DensityMethod method, double maximum);
