#pragma once

#include <QPoint>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "equal_area.h"

struct PlotGeometry;
struct PlottedDatum;

// The raster pixel at the centre of a datum's mark, where the pass draws it.
QPoint MarkCentre(const PlottedDatum& datum, const PlotGeometry& geometry, int plotType,
                  Projection projection);

// How near, in pixels, a pixel must lie to a mark's centre to be on the mark:
// the mark's half-size rounded up, and at least 4 so that small marks can
// still be pointed at.
int MarkReach(const PlotGeometry& geometry);

// The marks of one pass, found from a pixel fast enough for every pointer
// move over a hundred thousand of them: a grid of square buckets of twice
// the reach, each listing its marks in index order, so that a search looks
// at the few buckets within reach of the pixel.
class MarkFinder {
public:
    // Replaces the marks: centres[i] is the centre pixel of mark i; reach
    // (> 0) as MarkReach gives it. Builds the grid, in time linear in the
    // marks and the buckets.
    void Assign(std::vector<QPoint> centres, int reach);

    // The mark whose centre is nearest to pixel, if any lies within reach
    // (Euclidean distance); the lowest index among equally near ones.
    std::optional<std::size_t> Find(QPoint pixel) const;

    std::size_t Size() const { return centres_.size(); }

private:
    std::vector<QPoint> centres_;
    int reach_ = 1;
    int cell_ = 2;
    QPoint origin_; // top-left pixel of bucket (0, 0)
    int columns_ = 0;
    int rows_ = 0;
    // Bucket b holds order_[start_[b]] .. order_[start_[b + 1] - 1].
    std::vector<std::uint32_t> start_;
    std::vector<std::uint32_t> order_;
};
