#pragma once

#include <cmath>
#include <cstddef>
#include <span>
#include <vector>

#include "direction.h"
#include "grid_memory.h"

// Axial data sorted into cubes of a 3D grid, so that the data near an axis are
// found without visiting all of them. Each datum is kept as its lower end
// (z >= 0); a query visits the cubes about p and about -p.
class AxialBuckets {
public:
    // data: unit vectors. cellSize: edge of a cube in chord units (clamped
    // to [0.02, 2]); pick it near the chord of the usual query radius.
    AxialBuckets(std::span<const Vector3> data, double cellSize);

    // The lower ends in bucket order; ForEachNear passes indices into this.
    std::span<const Vector3> Ends() const { return {ends_.get(), size_}; }

    // Calls visit(i) for every i whose end lies within the angle radius
    // (radians) of the axis of the unit vector p, and for some beyond it (the
    // caller tests the angle). Each index at most once. Radius >= 30 degrees
    // visits every datum.
    template <class Visit> void ForEachNear(const Vector3& p, double radius, Visit&& visit) const {
        if (!(radius < kWholeRadius)) {
            for (std::size_t i = 0; i < size_; ++i) {
                visit(i);
            }
            return;
        }
        const double chord = 2.0 * std::sin(0.5 * radius) * (1.0 + 1e-12) + 1e-15;
        VisitBox(p.x, p.y, p.z, chord, visit);
        VisitBox(-p.x, -p.y, -p.z, chord, visit);
    }

    static constexpr double kWholeRadius = 0.5235987755982988; // 30 degrees

private:
    int CellOf(double coordinate, double low, int count) const {
        const int cell = static_cast<int>(std::floor((coordinate - low) / cell_));
        return cell < 0 ? 0 : (cell >= count ? count - 1 : cell);
    }

    // The boxes about p and -p overlap only where every |p_i| <= chord, which
    // needs a chord >= 1/sqrt(3): beyond the 30 degrees of kWholeRadius.
    template <class Visit>
    void VisitBox(double x, double y, double z, double chord, Visit& visit) const {
        if (z + chord < 0.0) {
            return;
        }
        const int x0 = CellOf(x - chord, -1.0, nx_), x1 = CellOf(x + chord, -1.0, nx_);
        const int y0 = CellOf(y - chord, -1.0, nx_), y1 = CellOf(y + chord, -1.0, nx_);
        const int z0 = CellOf(z - chord, 0.0, nz_), z1 = CellOf(z + chord, 0.0, nz_);
        for (int k = z0; k <= z1; ++k) {
            for (int j = y0; j <= y1; ++j) {
                const std::size_t row = (static_cast<std::size_t>(k) * nx_ + j) * nx_;
                const int first = start_[row + x0];
                const int last = start_[row + x1 + 1];
                for (int i = first; i < last; ++i) {
                    visit(static_cast<std::size_t>(i));
                }
            }
        }
    }

    double cell_ = 1.0;
    int nx_ = 1; // cubes along x and y over [-1, 1]
    int nz_ = 1; // cubes along z over [0, 1]
    GridArray<Vector3> ends_;
    std::size_t size_ = 0;
    std::vector<int> start_; // first index of each cube, x fastest, plus one past the end
};
