#include "density_grid.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

constexpr double kPi = 3.141592653589793;

double Dot(const Vector3& a, const Vector3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Vector3 Normalized(const Vector3& v) {
    const double length = std::sqrt(Dot(v, v));
    return {v.x / length, v.y / length, v.z / length};
}

// Angle between two unit vectors, accurate for small and large angles alike.
double AngleBetween(const Vector3& a, const Vector3& b) {
    const Vector3 d{a.x - b.x, a.y - b.y, a.z - b.z};
    const Vector3 s{a.x + b.x, a.y + b.y, a.z + b.z};
    return 2.0 * std::atan2(std::sqrt(Dot(d, d)), std::sqrt(Dot(s, s)));
}

// Calls visit(node, cosine) for every valid node p whose angle to the unit
// vector e is at most radius (and for some beyond), cosine = e . p. The cap's
// net image lies within radius / cos(polar / 2) of e's net point, polar being
// the largest polar angle in the cap; near the zenith that bound grows
// without limit, so there every valid node is visited.
template <class Visit>
void ForEachNodeInCap(const NetGrid& grid, const Vector3& e, double radius, Visit&& visit) {
    const double polar = std::acos(std::clamp(e.z, -1.0, 1.0));
    if (polar - radius > grid.ValidPolarAngle()) {
        return;
    }
    const double h = grid.Spacing();
    const int last = grid.Size() - 1;
    int k0 = 0, k1 = last;
    double reach = 0.0;
    NetPoint centre;
    const bool bounded = polar + radius < 2.6;
    if (bounded) {
        centre = NetOf(e);
        reach = radius / std::cos(0.5 * (polar + radius)) * (1.0 + 1e-9) + 1e-12;
        k0 = std::max(0, static_cast<int>(std::ceil((centre.Y - reach - grid.Coordinate(0)) / h)));
        k1 = std::min(last,
                      static_cast<int>(std::floor((centre.Y + reach - grid.Coordinate(0)) / h)));
    }
    for (int k = k0; k <= k1; ++k) {
        int j0 = grid.RowFirst(k), j1 = grid.RowLast(k);
        if (bounded) {
            const double dy = grid.Coordinate(k) - centre.Y;
            const double half = std::sqrt(std::max(0.0, reach * reach - dy * dy));
            j0 = std::max(j0,
                          static_cast<int>(std::ceil((centre.X - half - grid.Coordinate(0)) / h)));
            j1 = std::min(j1,
                          static_cast<int>(std::floor((centre.X + half - grid.Coordinate(0)) / h)));
        }
        const std::size_t row = grid.Index(0, k);
        for (int j = j0; j <= j1; ++j) {
            const std::size_t node = row + static_cast<std::size_t>(j);
            visit(node, Dot(e, grid.Point(node)));
        }
    }
}

// Cubic Hermite basis on [0, 1]: value at 0, value at 1, slope at 0, slope at 1.
struct Hermite {
    double A0, A1, B0, B1;
};
Hermite HermiteAt(double t) {
    const double s = 1.0 - t;
    return {(1.0 + 2.0 * t) * s * s, t * t * (3.0 - 2.0 * t), t * s * s, -t * t * s};
}

} // namespace

NetPoint NetOf(const Vector3& p) {
    const double k = std::sqrt(2.0 / (1.0 + p.z));
    return {p.x * k, p.y * k};
}

Vector3 PointOfNet(double x, double y) {
    const double r2 = x * x + y * y;
    const double q = std::sqrt(std::max(0.0, 1.0 - 0.25 * r2));
    return {x * q, y * q, 1.0 - 0.5 * r2};
}

NetGrid::NetGrid(double spacing) : spacing_(spacing) {
    const double validRadius = std::sqrt(2.0) + 1.5 * spacing;
    const int half = static_cast<int>(std::ceil(validRadius / spacing)) + 1;
    size_ = 2 * half + 1;
    origin_ = -half * spacing;
    validPolar_ = 2.0 * std::asin(0.5 * validRadius);
    maxStretch_ = 1.0 / std::cos(0.5 * validPolar_);
    rowFirst_.assign(static_cast<std::size_t>(size_), 0);
    rowLast_.assign(static_cast<std::size_t>(size_), -1);
    points_.assign(static_cast<std::size_t>(size_) * size_, Vector3{});
    for (int k = 0; k < size_; ++k) {
        const double y = Coordinate(k);
        if (std::fabs(y) > validRadius) {
            continue;
        }
        const double w = std::sqrt(validRadius * validRadius - y * y);
        const int first = std::max(0, static_cast<int>(std::ceil((-w - origin_) / spacing)));
        const int last = std::min(size_ - 1, static_cast<int>(std::floor((w - origin_) / spacing)));
        rowFirst_[static_cast<std::size_t>(k)] = first;
        rowLast_[static_cast<std::size_t>(k)] = last;
        for (int j = first; j <= last; ++j) {
            points_[Index(j, k)] = PointOfNet(Coordinate(j), y);
        }
    }
}

bool NetGrid::Locate(NetPoint q, int& j, int& k, double& u, double& v) const {
    const double fj = (q.X - origin_) / spacing_;
    const double fk = (q.Y - origin_) / spacing_;
    if (!(fj >= 0.0 && fk >= 0.0 && fj < size_ - 1 && fk < size_ - 1)) {
        return false;
    }
    j = static_cast<int>(fj);
    k = static_cast<int>(fk);
    u = fj - j;
    v = fk - k;
    return CellValid(j, k);
}

ExponentialField::ExponentialField(std::span<const Vector3> data, double concentration,
                                   const NetGrid& grid)
    : grid_(grid), f_(concentration),
      cutOffCos_(std::max(0.0, 1.0 - (std::log(concentration) + std::log(1000.0)) / concentration)),
      cutOffAngle_(std::acos(cutOffCos_)),
      buckets_(data, 2.0 * std::sin(0.5 * std::acos(cutOffCos_))) {
    const std::size_t count = static_cast<std::size_t>(grid.Size()) * grid.Size();
    // Per node: the sum S, the weighted sum of ends G and the weighted sum
    // of their outer products H (xx, xy, xz, yy, yz, zz).
    std::vector<double> acc(10 * count, 0.0);
    const double f = f_;
    const double from = cutOffCos_;
    auto add = [&](const Vector3& e, std::size_t node, double cosine) {
        const double w = std::exp(f * (cosine - 1.0));
        double* a = &acc[10 * node];
        a[0] += w;
        a[1] += w * e.x;
        a[2] += w * e.y;
        a[3] += w * e.z;
        a[4] += w * e.x * e.x;
        a[5] += w * e.x * e.y;
        a[6] += w * e.x * e.z;
        a[7] += w * e.y * e.y;
        a[8] += w * e.y * e.z;
        a[9] += w * e.z * e.z;
    };
    // Each datum counts through its end nearer the node: the lower end where
    // cos >= 0, the upper one where its own cos > 0, so none counts twice.
    for (const Vector3& u : buckets_.Ends()) {
        ForEachNodeInCap(grid, u, cutOffAngle_, [&](std::size_t node, double cosine) {
            if (cosine >= from) {
                add(u, node, cosine);
            }
        });
        const Vector3 v{-u.x, -u.y, -u.z};
        ForEachNodeInCap(grid, v, cutOffAngle_, [&](std::size_t node, double cosine) {
            if (cosine > from) {
                add(v, node, cosine);
            }
        });
    }
    // Chain rule through the net's inverse map p(X, Y): dS/dX = f G . p_X,
    // d2S/dXdY = f^2 p_X' H p_Y + f G . p_XY.
    nodes_.assign(4 * count, 0.0);
    const double h = grid.Spacing();
    for (int k = 0; k < grid.Size(); ++k) {
        const double y = grid.Coordinate(k);
        for (int j = grid.RowFirst(k); j <= grid.RowLast(k); ++j) {
            const double x = grid.Coordinate(j);
            const std::size_t node = grid.Index(j, k);
            const double q = std::sqrt(std::max(1e-300, 1.0 - 0.25 * (x * x + y * y)));
            const Vector3 px{q - x * x / (4.0 * q), -x * y / (4.0 * q), -x};
            const Vector3 py{-x * y / (4.0 * q), q - y * y / (4.0 * q), -y};
            const Vector3 pxy{-y / (4.0 * q) * (1.0 + x * x / (4.0 * q * q)),
                              -x / (4.0 * q) * (1.0 + y * y / (4.0 * q * q)), 0.0};
            const double* a = &acc[10 * node];
            const Vector3 g{a[1], a[2], a[3]};
            const Vector3 hpy{a[4] * py.x + a[5] * py.y + a[6] * py.z,
                              a[5] * py.x + a[7] * py.y + a[8] * py.z,
                              a[6] * py.x + a[8] * py.y + a[9] * py.z};
            double* out = &nodes_[4 * node];
            out[0] = a[0];
            out[1] = h * f * Dot(g, px);
            out[2] = h * f * Dot(g, py);
            out[3] = h * h * (f * f * Dot(px, hpy) + f * Dot(g, pxy));
        }
    }
}

double ExponentialField::InterpolateNet(NetPoint q) const {
    int j = 0, k = 0;
    double u = 0.0, v = 0.0;
    if (!grid_.Locate(q, j, k, u, v)) {
        return std::nan("");
    }
    const Hermite hu = HermiteAt(u), hv = HermiteAt(v);
    const double* n00 = &nodes_[4 * grid_.Index(j, k)];
    const double* n10 = &nodes_[4 * grid_.Index(j + 1, k)];
    const double* n01 = &nodes_[4 * grid_.Index(j, k + 1)];
    const double* n11 = &nodes_[4 * grid_.Index(j + 1, k + 1)];
    auto corner = [&](const double* n, double au, double bu, double av, double bv) {
        return n[0] * au * av + n[1] * bu * av + n[2] * au * bv + n[3] * bu * bv;
    };
    return corner(n00, hu.A0, hu.B0, hv.A0, hv.B0) + corner(n10, hu.A1, hu.B1, hv.A0, hv.B0) +
           corner(n01, hu.A0, hu.B0, hv.A1, hv.B1) + corner(n11, hu.A1, hu.B1, hv.A1, hv.B1);
}

double ExponentialField::Interpolate(const Vector3& p) const {
    if (!(p.z > -0.99)) {
        return std::nan("");
    }
    return InterpolateNet(NetOf(p));
}

// Newton's method on the edge's cubic, kept inside a shrinking bracket by
// bisection whenever a step would leave it.
double ExponentialField::EdgeRoot(int j, int k, int dj, int dk, double level) const {
    const double* n0 = &nodes_[4 * grid_.Index(j, k)];
    const double* n1 = &nodes_[4 * grid_.Index(j + dj, k + dk)];
    const int slope = dj == 1 ? 1 : 2;
    const double f0 = n0[0] - level, f1 = n1[0] - level;
    const double d0 = n0[slope], d1 = n1[slope];
    auto value = [&](double t) {
        const Hermite b = HermiteAt(t);
        return f0 * b.A0 + f1 * b.A1 + d0 * b.B0 + d1 * b.B1;
    };
    auto derivative = [&](double t) {
        return f0 * (6.0 * t * t - 6.0 * t) + f1 * (6.0 * t - 6.0 * t * t) +
               d0 * (3.0 * t * t - 4.0 * t + 1.0) + d1 * (3.0 * t * t - 2.0 * t);
    };
    double lo = 0.0, hi = 1.0; // value(lo) has f0's sign
    const bool loAbove = f0 >= 0.0;
    double t = f0 / (f0 - f1);
    for (int iteration = 0; iteration < 60; ++iteration) {
        const double g = value(t);
        if ((g >= 0.0) == loAbove) {
            lo = t;
        } else {
            hi = t;
        }
        const double slopeAt = derivative(t);
        double next = slopeAt != 0.0 ? t - g / slopeAt : 0.5 * (lo + hi);
        if (!(next > lo && next < hi)) {
            next = 0.5 * (lo + hi);
        }
        if (std::fabs(next - t) < 1e-13 || hi - lo < 1e-13) {
            return next;
        }
        t = next;
    }
    return t;
}

double ExponentialField::Sum(const Vector3& p, Vector3* gradient) const {
    double sum = 0.0;
    Vector3 g{};
    const std::span<const Vector3> ends = buckets_.Ends();
    buckets_.ForEachNear(p, cutOffAngle_, [&](std::size_t i) {
        const Vector3& u = ends[i];
        const double c = Dot(u, p);
        const double a = std::fabs(c);
        if (a >= cutOffCos_) {
            const double w = std::exp(f_ * (a - 1.0));
            sum += w;
            const double signed_w = c >= 0.0 ? w : -w;
            g.x += signed_w * u.x;
            g.y += signed_w * u.y;
            g.z += signed_w * u.z;
        }
    });
    if (gradient != nullptr) {
        *gradient = g;
    }
    return sum;
}

FieldMaximum ExponentialField::Maximum() const {
    double top = 0.0;
    for (int k = 0; k < grid_.Size(); ++k) {
        for (int j = grid_.RowFirst(k); j <= grid_.RowLast(k); ++j) {
            top = std::max(top, NodeValue(grid_.Index(j, k)));
        }
    }
    std::vector<std::size_t> starts;
    for (int k = 0; k < grid_.Size(); ++k) {
        for (int j = grid_.RowFirst(k); j <= grid_.RowLast(k); ++j) {
            const std::size_t node = grid_.Index(j, k);
            const double value = NodeValue(node);
            if (value < 0.8 * top || grid_.Point(node).z < -0.2) {
                continue;
            }
            bool peak = true;
            for (int dk = -1; dk <= 1 && peak; ++dk) {
                for (int dj = -1; dj <= 1 && peak; ++dj) {
                    if (grid_.NodeValid(j + dj, k + dk) &&
                        NodeValue(grid_.Index(j + dj, k + dk)) > value) {
                        peak = false;
                    }
                }
            }
            if (peak) {
                starts.push_back(node);
            }
        }
    }
    std::stable_sort(starts.begin(), starts.end(),
                     [&](std::size_t a, std::size_t b) { return NodeValue(a) > NodeValue(b); });
    if (starts.size() > 64) {
        starts.resize(64);
    }
    FieldMaximum best;
    for (const std::size_t start : starts) {
        Vector3 p = grid_.Point(start);
        Vector3 g;
        double sum = Sum(p, &g);
        for (int step = 0; step < 500; ++step) {
            const Vector3 next = Normalized(g);
            Vector3 nextG;
            const double nextSum = Sum(next, &nextG);
            const bool settled = AngleBetween(p, next) < 1e-10 || nextSum <= sum;
            if (nextSum >= sum) {
                p = next;
                g = nextG;
                sum = nextSum;
            }
            if (settled) {
                break;
            }
        }
        if (sum > best.Value) {
            best.Value = sum;
            best.At = p;
        }
    }
    return best;
}

CountField::CountField(std::span<const Vector3> data, double countFrom, const NetGrid& grid)
    : grid_(grid), countFrom_(countFrom), radius_(std::acos(countFrom)),
      buckets_(data, 2.0 * std::sin(0.5 * std::acos(countFrom))) {
    const std::size_t count = static_cast<std::size_t>(grid.Size()) * grid.Size();
    counts_.assign(count, 0);
    reach_.assign(count, 0);
    reachRadius_ = radius_ + grid.Spacing() * std::sqrt(2.0) * grid.MaxStretch() + 1e-9;
    const double reachCos = std::cos(std::min(reachRadius_, 0.5 * kPi));
    const double from = countFrom_;
    // |u . p| >= from holds where u . p >= from or (-u) . p >= from; negation
    // is exact, so this is DensityAt's comparison.
    for (const Vector3& u : buckets_.Ends()) {
        for (const Vector3& e : {u, Vector3{-u.x, -u.y, -u.z}}) {
            ForEachNodeInCap(grid, e, radius_ + 1e-9, [&](std::size_t node, double cosine) {
                counts_[node] += cosine >= from ? 1 : 0;
            });
        }
        if (reachRadius_ >= 0.5 * kPi) {
            continue;
        }
        for (const Vector3& e : {u, Vector3{-u.x, -u.y, -u.z}}) {
            ForEachNodeInCap(grid, e, reachRadius_, [&](std::size_t node, double cosine) {
                reach_[node] += cosine >= reachCos ? 1 : 0;
            });
        }
    }
    if (reachRadius_ >= 0.5 * kPi) {
        reach_.assign(count, static_cast<int>(data.size()));
    }
}

int CountField::Count(const Vector3& p) const {
    int count = 0;
    const std::span<const Vector3> ends = buckets_.Ends();
    buckets_.ForEachNear(p, radius_ + 1e-9, [&](std::size_t i) {
        count += std::fabs(Dot(ends[i], p)) >= countFrom_ ? 1 : 0;
    });
    return count;
}

// Bisection of the arc. The data whose circle cannot cross what is left of
// the arc are settled once (counted in `inside` or dropped), so each step
// tests only the few circles that pass near the crossing.
Vector3 CountField::Crossing(const Vector3& a, const Vector3& b, int threshold) const {
    constexpr double kMargin = 1e-9;
    Vector3 lo = a, hi = b; // lo keeps a's side
    const std::span<const Vector3> ends = buckets_.Ends();
    double half = 0.5 * AngleBetween(a, b);
    Vector3 mid = Normalized({a.x + b.x, a.y + b.y, a.z + b.z});
    std::vector<Vector3> open;
    const double reachCos = std::cos(std::min(radius_ + half + kMargin, 0.5 * kPi));
    buckets_.ForEachNear(mid, radius_ + half + kMargin, [&](std::size_t i) {
        if (std::fabs(Dot(ends[i], mid)) >= reachCos) {
            open.push_back(ends[i]);
        }
    });
    int inside = 0;
    const bool loAbove = Count(a) >= threshold;
    for (int step = 0; step < 80 && half > 0.5e-10; ++step) {
        const double innerAngle = radius_ - half - kMargin;
        const double innerCos = innerAngle > 0.0 ? std::cos(innerAngle) : 2.0;
        const double outerCos = std::cos(std::min(radius_ + half + kMargin, 0.5 * kPi));
        int count = inside;
        std::size_t kept = 0;
        for (const Vector3& u : open) {
            const double c = std::fabs(Dot(u, mid));
            if (c >= innerCos) {
                ++inside;
                ++count;
            } else if (c >= outerCos) {
                count += c >= countFrom_ ? 1 : 0;
                open[kept++] = u;
            }
        }
        open.resize(kept);
        if ((count >= threshold) == loAbove) {
            lo = mid;
        } else {
            hi = mid;
        }
        half *= 0.5;
        mid = Normalized({lo.x + hi.x, lo.y + hi.y, lo.z + hi.z});
    }
    return mid;
}

FieldMaximum CountField::Maximum() const {
    FieldMaximum best;
    int bestCount = -1;
    for (int k = 0; k < grid_.Size(); ++k) {
        for (int j = grid_.RowFirst(k); j <= grid_.RowLast(k); ++j) {
            const std::size_t node = grid_.Index(j, k);
            if (counts_[node] > bestCount) {
                bestCount = counts_[node];
                best.At = grid_.Point(node);
            }
        }
    }
    auto settled = [&](int bound) { return bound - bestCount <= 0.005 * bound; };
    struct Cell {
        int bound;
        int j, k;
    };
    std::vector<Cell> cells;
    for (int k = 0; k + 1 < grid_.Size(); ++k) {
        for (int j = grid_.RowFirst(k); j < grid_.RowLast(k); ++j) {
            if (!grid_.CellValid(j, k)) {
                continue;
            }
            const int bound =
                std::min({reach_[grid_.Index(j, k)], reach_[grid_.Index(j + 1, k)],
                          reach_[grid_.Index(j, k + 1)], reach_[grid_.Index(j + 1, k + 1)]});
            if (!settled(bound)) {
                cells.push_back({bound, j, k});
            }
        }
    }
    std::stable_sort(cells.begin(), cells.end(),
                     [](const Cell& a, const Cell& b) { return a.bound > b.bound; });
    const std::span<const Vector3> ends = buckets_.Ends();
    std::vector<Vector3> stack; // candidates of the regions being split, innermost last
    long regions = 0;
    constexpr long kRegionLimit = 2'000'000;
    // Region: net square from (x, y), side w; its candidates start at stack[from].
    auto split = [&](auto&& self, double x, double y, double w, std::size_t from) -> void {
        if (++regions > kRegionLimit) {
            return;
        }
        const Vector3 c = PointOfNet(x + 0.5 * w, y + 0.5 * w);
        const double r = 0.5 * std::sqrt(2.0) * w * grid_.MaxStretch();
        const double boundCos = std::cos(std::min(radius_ + r + 1e-9, 0.5 * kPi));
        const std::size_t end = stack.size();
        int count = 0;
        for (std::size_t i = from; i < end; ++i) {
            const Vector3 u = stack[i];
            const double a = std::fabs(Dot(u, c));
            if (a >= boundCos) {
                count += a >= countFrom_ ? 1 : 0;
                stack.push_back(u);
            }
        }
        const int bound = static_cast<int>(stack.size() - end);
        if (count > bestCount) {
            bestCount = count;
            best.At = c;
        }
        if (!settled(bound) && r > 1e-9) {
            const double s = 0.5 * w;
            self(self, x, y, s, end);
            self(self, x + s, y, s, end);
            self(self, x, y + s, s, end);
            self(self, x + s, y + s, s, end);
        }
        stack.resize(end);
    };
    for (const Cell& cell : cells) {
        if (settled(cell.bound) || regions > kRegionLimit) {
            break;
        }
        const double x = grid_.Coordinate(cell.j), y = grid_.Coordinate(cell.k);
        const double w = grid_.Spacing();
        const Vector3 c = PointOfNet(x + 0.5 * w, y + 0.5 * w);
        const double r = 0.5 * std::sqrt(2.0) * w * grid_.MaxStretch();
        stack.clear();
        buckets_.ForEachNear(c, radius_ + r + 1e-9,
                             [&](std::size_t i) { stack.push_back(ends[i]); });
        split(split, x, y, w, 0);
    }
    best.Value = bestCount;
    return best;
}
