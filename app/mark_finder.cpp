#include "mark_finder.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "plot_geometry.h"
#include "plot_pass.h"

QPoint MarkCentre(const PlottedDatum& datum, const PlotGeometry& geometry, int plotType,
                  Projection projection) {
    const NetPoint p = ProjectDirection(datum.Dec, datum.Inc, plotType, projection);
    return {UnitToPixelX(geometry, p.x), UnitToPixelY(geometry, p.y)};
}

int MarkReach(const PlotGeometry& geometry) {
    const double halfSize = geometry.MarkSize * geometry.Radius;
    return std::max(4, static_cast<int>(std::ceil(halfSize)));
}

void MarkFinder::Assign(std::vector<QPoint> centres, int reach) {
    centres_ = std::move(centres);
    reach_ = std::max(reach, 1);
    cell_ = 2 * reach_;
    start_.clear();
    order_.clear();
    columns_ = rows_ = 0;
    if (centres_.empty())
        return;
    int left = std::numeric_limits<int>::max();
    int top = left;
    int right = std::numeric_limits<int>::min();
    int bottom = right;
    for (const QPoint& c : centres_) {
        left = std::min(left, c.x());
        right = std::max(right, c.x());
        top = std::min(top, c.y());
        bottom = std::max(bottom, c.y());
    }
    origin_ = {left, top};
    columns_ = (right - left) / cell_ + 1;
    rows_ = (bottom - top) / cell_ + 1;
    // A counting sort into the buckets keeps each bucket in index order.
    const auto bucketOf = [this](const QPoint& c) {
        return static_cast<std::size_t>((c.y() - origin_.y()) / cell_) *
                   static_cast<std::size_t>(columns_) +
               static_cast<std::size_t>((c.x() - origin_.x()) / cell_);
    };
    start_.assign(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_) + 1, 0);
    for (const QPoint& c : centres_)
        ++start_[bucketOf(c) + 1];
    for (std::size_t b = 1; b < start_.size(); ++b)
        start_[b] += start_[b - 1];
    order_.resize(centres_.size());
    std::vector<std::uint32_t> next(start_.begin(), start_.end() - 1);
    for (std::size_t i = 0; i < centres_.size(); ++i)
        order_[next[bucketOf(centres_[i])]++] = static_cast<std::uint32_t>(i);
}

std::optional<std::size_t> MarkFinder::Find(QPoint pixel) const {
    if (centres_.empty())
        return std::nullopt;
    // The buckets that the square of side 2 reach + 1 about pixel touches.
    // Division rounds toward zero, so a pixel left of or above the grid may
    // add a bucket that holds nothing within reach; never one less.
    const int firstColumn = std::max(0, (pixel.x() - reach_ - origin_.x()) / cell_);
    const int lastColumn = std::min(columns_ - 1, (pixel.x() + reach_ - origin_.x()) / cell_);
    const int firstRow = std::max(0, (pixel.y() - reach_ - origin_.y()) / cell_);
    const int lastRow = std::min(rows_ - 1, (pixel.y() + reach_ - origin_.y()) / cell_);
    const long long reachSquared = static_cast<long long>(reach_) * reach_;
    long long bestSquared = reachSquared + 1;
    std::size_t best = 0;
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int column = firstColumn; column <= lastColumn; ++column) {
            const std::size_t bucket =
                static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) +
                static_cast<std::size_t>(column);
            for (std::uint32_t k = start_[bucket]; k < start_[bucket + 1]; ++k) {
                const std::uint32_t i = order_[k];
                const long long dx = centres_[i].x() - pixel.x();
                const long long dy = centres_[i].y() - pixel.y();
                const long long squared = dx * dx + dy * dy;
                if (squared < bestSquared || (squared == bestSquared && i < best)) {
                    bestSquared = squared;
                    best = i;
                }
            }
        }
    }
    if (bestSquared > reachSquared)
        return std::nullopt;
    return best;
}
