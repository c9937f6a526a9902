#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "axial_buckets.h"
#include "direction.h"
#include "grid_memory.h"

// The density fields that the contour tracer reads: values on a square grid
// over the equal-area net, plus exact local evaluations. Sphere angles in
// radians; vectors x north, y east, z down.

// Lambert azimuthal equal-area coordinates about the nadir (0, 0, 1): the
// lower hemisphere is the disk X^2 + Y^2 <= 2, the upper one the ring out to 2.
struct NetPoint {
    double X = 0.0;
    double Y = 0.0;
};
NetPoint NetOf(const Vector3& p);       // unit p, z > -1
Vector3 PointOfNet(double x, double y); // x^2 + y^2 < 4; a unit vector

// Nodes (j, k) at (Origin + j Spacing, Origin + k Spacing), j and k in
// [0, Size); a node is valid (carries a value) within ValidRadius =
// sqrt(2) + 1.5 Spacing, so every cell that meets the lower hemisphere has
// four valid corners. Cell (j, k) spans nodes j..j+1 and k..k+1.
class NetGrid {
public:
    explicit NetGrid(double spacing); // spacing in (0, 0.06]

    int Size() const { return size_; }
    double Spacing() const { return spacing_; }
    double Coordinate(int j) const { return origin_ + spacing_ * j; }
    // Rows lie kPadding nodes apart beyond Size, so that a row read in blocks
    // of kPadding never reaches into the next one.
    std::size_t Index(int j, int k) const {
        return static_cast<std::size_t>(k) * (size_ + kPadding) + static_cast<std::size_t>(j);
    }
    std::size_t PaddedNodeCount() const { return padded_; }
    static constexpr int kPadding = 16;
    // The node's place, each component rounded to single precision: the
    // node's place need only be known, not exact, and every use of it takes
    // these same numbers.
    Vector3 Point(int j, int k) const;
    // Writes those components of the valid nodes of row k to xs[j], ys[j] and
    // zs[j]; leaves the other entries alone.
    void RowPoints(int k, float* xs, float* ys, float* zs) const;
    // Valid columns of row k: [RowFirst, RowLast], empty when first > last.
    int RowFirst(int k) const { return rowFirst_[static_cast<std::size_t>(k)]; }
    int RowLast(int k) const { return rowLast_[static_cast<std::size_t>(k)]; }
    bool NodeValid(int j, int k) const {
        return k >= 0 && k < size_ && j >= RowFirst(k) && j <= RowLast(k);
    }
    bool CellValid(int j, int k) const {
        return NodeValid(j, k) && NodeValid(j + 1, k) && NodeValid(j, k + 1) &&
               NodeValid(j + 1, k + 1);
    }
    // The valid cell holding q and q's place (u, v) in it, each in [0, 1];
    // false when q lies in no valid cell.
    bool Locate(NetPoint q, int& j, int& k, double& u, double& v) const;
    // Polar angle (from the nadir) of the valid region's rim.
    double ValidPolarAngle() const { return validPolar_; }
    // Upper bound of sphere distance per unit of net distance over the valid
    // region: the net's radial scale 1 / cos(polar / 2) at the rim.
    double MaxStretch() const { return maxStretch_; }

private:
    double spacing_ = 0.0;
    double perSpacing_ = 0.0;
    double origin_ = 0.0;
    int size_ = 0;
    double validPolar_ = 0.0;
    double maxStretch_ = 1.0;
    std::vector<int> rowFirst_, rowLast_;
    std::size_t padded_ = 0;
};

// The local maximum of a field: its value in the field's units and where.
struct FieldMaximum {
    double Value = 0.0;
    Vector3 At{0.0, 0.0, 1.0};
};

// The sum of exp(f (c - 1)) of exponential Kamb, on the grid with its first
// derivatives and cross derivative in net coordinates, read between nodes by
// bicubic Hermite interpolation. The kernel is cut off where f (1 - c) > T,
// T = ln(f) + ln(1000): beyond it a datum adds less than e^-T = 0.001 / f.
// N of them add less than 0.001 N / f, and N / f is the sum's mean over the
// sphere divided by 1 - e^-f (f > 2: at most 1.16 times the mean), so the
// neglected part stays below 0.12% of the maximum, one-sided, against a 1%
// tolerance. At 10,000 data and sigma 3 the cut-off angle is 6.6 degrees.
class ExponentialField {
public:
    // data: n >= 1 unit vectors; concentration f > 1. The sums are shared
    // among up to `workers` threads by chunks of rows, each node's made in
    // the same order whatever the number: the same field for every value.
    ExponentialField(std::span<const Vector3> data, double concentration, const NetGrid& grid,
                     int workers);

    const NetGrid& Grid() const { return grid_; }
    double CutOffAngle() const { return cutOffAngle_; } // radians, at most pi / 2
    double NodeValue(std::size_t node) const { return nodes_[node]; }
    // The interpolated sum at a point of the lower hemisphere or the valid
    // ring beyond it; NaN elsewhere.
    double Interpolate(const Vector3& p) const;
    // With slopes, also its derivatives along X and Y there.
    double InterpolateNet(NetPoint q, double* slopeX = nullptr, double* slopeY = nullptr) const;
    // Place t in [0, 1] along the grid edge from node (j, k) to (j + dj, k + dk)
    // (one of dj, dk is 1, the other 0) where the interpolated sum equals
    // level; the two nodes must lie on either side of it.
    double EdgeRoot(int j, int k, int dj, int dk, double level) const;
    // The sum over the data within the cut-off angle of p; with gradient,
    // also the sum of exp(...) times the datum's end nearer p.
    double Sum(const Vector3& p, Vector3* gradient = nullptr) const;
    // The largest sum. Every grid node that tops its neighbours within 20% of
    // the largest node value has its peak sought on the interpolated sum; the
    // peaks within 2% of the best (at most 16) are finished by mean shift on
    // the exact sum, each step moving to the kernel-weighted mean of the
    // nearer ends, which never lowers the sum (the kernel is convex in p).
    FieldMaximum Maximum() const;

private:
    const NetGrid& grid_;
    double f_ = 0.0;
    double cutOffCos_ = 0.0;
    double cutOffAngle_ = 0.0;
    AxialBuckets buckets_;
    // Per node, in four arrays of one block: the value and, scaled by the
    // spacing h, the slopes along X and Y and the cross derivative (times
    // h^2). Single precision keeps 1e-7 of the value, far inside the 1%.
    GridArray<float> nodes_;
    const float* Array(int which) const { return nodes_.get() + which * grid_.PaddedNodeCount(); }
};

// Counts of the step methods: the data whose axis lies within the counting
// circle, |cos| >= countFrom, compared exactly as DensityAt compares.
class CountField {
public:
    // data: unit vectors; countFrom in (0, 1). Shared among up to `workers`
    // threads by chunks of rows; the counts do not depend on their number.
    CountField(std::span<const Vector3> data, double countFrom, const NetGrid& grid, int workers);

    const NetGrid& Grid() const { return grid_; }
    double Radius() const { return radius_; } // of the counting circle, radians
    int NodeCount(std::size_t node) const { return counts_[node]; }
    int Count(const Vector3& p) const;
    // The data that decide the count within angle margin of p: `inside`
    // counts those within the counting radius of every such point, `open`
    // (cleared first) holds those whose counting circle passes nearer p.
    // CountAmong then gives Count(q), exactly, for every q that near p.
    void Near(const Vector3& p, double margin, int& inside, std::vector<Vector3>& open) const;
    int CountAmong(const Vector3& q, int inside, std::span<const Vector3> open) const;
    // A point of the great-circle arc from a to b (unit, less than 90
    // degrees apart) within 1e-10 rad of where the count crosses from below
    // threshold to threshold or more; a and b must lie on either side.
    Vector3 Crossing(const Vector3& a, const Vector3& b, int threshold) const;
    // The largest count, by branch and bound over the grid's cells: a region
    // of sphere radius r holds no count above that of the data within the
    // counting radius + r of its centre. Regions are dropped once that bound
    // exceeds the best count found by at most 0.5% of the bound (so counts
    // below 200 are exact). Work stops after 2,000,000 regions, keeping the
    // best count found.
    FieldMaximum Maximum() const;

private:
    const NetGrid& grid_;
    double countFrom_ = 0.0;
    double radius_ = 0.0;
    AxialBuckets buckets_;
    GridArray<int> counts_;
    GridArray<int> reach_; // per node: data within the counting radius + a cell diagonal
    double reachRadius_ = 0.0;
};
