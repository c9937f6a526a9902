#include "density_grid.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

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

// Calls visit(k, first, last) for the rows k and column ranges that hold
// every valid node within the angle radius of the unit vector e (and some
// beyond it). The cap's net image lies within radius / cos(polar / 2) of e's
// net point, polar being the largest polar angle in the cap; near the zenith
// that bound grows without limit, so there every valid node is visited.
template <class Visit>
void ForEachRowInCap(const NetGrid& grid, const Vector3& e, double radius, Visit&& visit) {
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
        if (j0 <= j1) {
            visit(k, j0, j1);
        }
    }
}

// e^t for t <= 0 (t below -700 taken as -700), within 1e-9 relative: t =
// n ln 2 + r with |r| <= ln(2) / 2, e^r by its Taylor series to r^8 (the
// rest is below 0.347^9 / 9! = 2e-10), 2^n put straight into the exponent
// bits. Written without branches or calls so that a loop of it vectorises.
inline double ExpOfNonPositive(double t) {
    constexpr double kLog2e = 1.4426950408889634;
    constexpr double kLn2High = 6.93147180369123816490e-01; // fdlibm's split of ln 2
    constexpr double kLn2Low = 1.90821492927058770002e-10;
    constexpr double kShift = 6755399441055744.0; // 1.5 * 2^52: adding it rounds to an integer
    t = std::max(t, -700.0);
    const double shifted = t * kLog2e + kShift;
    const double n = shifted - kShift;
    const double r = (t - n * kLn2High) - n * kLn2Low;
    // Estrin's scheme: shorter chains of dependent operations than Horner's.
    const double r2 = r * r;
    const double r4 = r2 * r2;
    const double p01 = 1.0 + r;
    const double p23 = 0.5 + r * (1.0 / 6.0);
    const double p45 = 1.0 / 24.0 + r * (1.0 / 120.0);
    const double p67 = 1.0 / 720.0 + r * (1.0 / 5040.0);
    const double p = (p01 + r2 * p23) + r4 * ((p45 + r2 * p67) + r4 * (1.0 / 40320.0));
    const std::int64_t exponent =
        std::bit_cast<std::int64_t>(shifted) - std::bit_cast<std::int64_t>(kShift) + 1023;
    return p * std::bit_cast<double>(exponent << 52);
}

// Adds exp(f (c - 1)) for the nodes first..last of one row (pointers at the
// row's first node), c = e . p, where c >= from, to the sums s and, times e,
// to g. Blocks of kPadding keep the loop free of a scalar tail; the last one
// may run past the row into the next row or the padding, whose nodes add
// nothing when they lie outside the cap and are not read when invalid.
inline __attribute__((always_inline)) void
AddKernelRowBody(const double* x, const double* y, const double* z, int first, int last, Vector3 e,
                 double f, double from, double* s, double* gx, double* gy, double* gz) {
    constexpr int kBlock = NetGrid::kPadding;
    for (int b = first; b <= last; b += kBlock) {
        double w[kBlock];
        for (int i = 0; i < kBlock; ++i) {
            const double c = e.x * x[b + i] + e.y * y[b + i] + e.z * z[b + i];
            w[i] = ExpOfNonPositive(f * (c - 1.0)) * static_cast<double>(c >= from);
        }
        for (int i = 0; i < kBlock; ++i) {
            s[b + i] += w[i];
            gx[b + i] += w[i] * e.x;
            gy[b + i] += w[i] * e.y;
            gz[b + i] += w[i] * e.z;
        }
    }
}

using AddKernelRowFunction = void (*)(const double*, const double*, const double*, int, int,
                                      Vector3, double, double, double*, double*, double*, double*);

void AddKernelRowBaseline(const double* x, const double* y, const double* z, int first, int last,
                          Vector3 e, double f, double from, double* s, double* gx, double* gy,
                          double* gz) {
    AddKernelRowBody(x, y, z, first, last, e, f, from, s, gx, gy, gz);
}

// The widest copy the processor runs, chosen once: an explicit choice rather
// than compiler-made clones, whose resolvers run before a sanitizer's runtime
// is ready. Without fused products every copy rounds alike.
#if defined(__x86_64__)
__attribute__((target("avx2"))) void AddKernelRowAvx2(const double* x, const double* y,
                                                      const double* z, int first, int last,
                                                      Vector3 e, double f, double from, double* s,
                                                      double* gx, double* gy, double* gz) {
    AddKernelRowBody(x, y, z, first, last, e, f, from, s, gx, gy, gz);
}

__attribute__((target("avx512f"))) void AddKernelRowAvx512(const double* x, const double* y,
                                                           const double* z, int first, int last,
                                                           Vector3 e, double f, double from,
                                                           double* s, double* gx, double* gy,
                                                           double* gz) {
    AddKernelRowBody(x, y, z, first, last, e, f, from, s, gx, gy, gz);
}

AddKernelRowFunction ChooseAddKernelRow() {
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f")) {
        return AddKernelRowAvx512;
    }
    if (__builtin_cpu_supports("avx2")) {
        return AddKernelRowAvx2;
    }
    return AddKernelRowBaseline;
}
#else
AddKernelRowFunction ChooseAddKernelRow() {
    return AddKernelRowBaseline;
}
#endif

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
    const std::size_t count = static_cast<std::size_t>(size_) * size_ + kPadding;
    xs_.assign(count, 0.0);
    ys_.assign(count, 0.0);
    zs_.assign(count, 0.0);
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
            const std::size_t node = Index(j, k);
            const Vector3 p = PointOfNet(Coordinate(j), y);
            xs_[node] = p.x;
            ys_[node] = p.y;
            zs_[node] = p.z;
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
    static const AddKernelRowFunction addRow = ChooseAddKernelRow();
    const std::size_t count = grid.PaddedNodeCount();
    // Per node: the sum S and the weighted sum G of the ends, held in the
    // arrays that later keep the value and slopes.
    value_.assign(count, 0.0);
    dx_.assign(count, 0.0);
    dy_.assign(count, 0.0);
    dxy_.assign(count, 0.0);
    const double f = f_;
    // Each datum counts through its end nearer the node: the lower end where
    // cos >= 0, the upper one where its own cos > 0, so none counts twice.
    const double from = cutOffCos_;
    const double above = std::nextafter(from, 2.0);
    for (const Vector3& u : buckets_.Ends()) {
        const Vector3 v{-u.x, -u.y, -u.z};
        for (const auto& [e, least] : {std::pair{u, from}, std::pair{v, above}}) {
            ForEachRowInCap(grid, e, cutOffAngle_, [&](int k, int first, int last) {
                const std::size_t row = grid.Index(0, k);
                addRow(grid.Xs() + row, grid.Ys() + row, grid.Zs() + row, first, last, e, f, least,
                       value_.data() + row, dx_.data() + row, dy_.data() + row, dxy_.data() + row);
            });
        }
    }
    // Chain rule through the net's inverse map p(X, Y): dS/dX = f G . p_X.
    // The cross derivative comes from central differences of these exact
    // slopes (one-sided at the rim), which keeps the per-datum work to one
    // exponential and four sums.
    const double h = grid.Spacing();
    for (int k = 0; k < grid.Size(); ++k) {
        const double y = grid.Coordinate(k);
        for (int j = grid.RowFirst(k); j <= grid.RowLast(k); ++j) {
            const double x = grid.Coordinate(j);
            const std::size_t node = grid.Index(j, k);
            const double q = std::sqrt(std::max(1e-300, 1.0 - 0.25 * (x * x + y * y)));
            const Vector3 px{q - x * x / (4.0 * q), -x * y / (4.0 * q), -x};
            const Vector3 py{-x * y / (4.0 * q), q - y * y / (4.0 * q), -y};
            const Vector3 g{dx_[node], dy_[node], dxy_[node]};
            dx_[node] = h * f * Dot(g, px);
            dy_[node] = h * f * Dot(g, py);
        }
    }
    for (int k = 0; k < grid.Size(); ++k) {
        for (int j = grid.RowFirst(k); j <= grid.RowLast(k); ++j) {
            const int k0 = grid.NodeValid(j, k - 1) ? k - 1 : k;
            const int k1 = grid.NodeValid(j, k + 1) ? k + 1 : k;
            const int j0 = grid.NodeValid(j - 1, k) ? j - 1 : j;
            const int j1 = grid.NodeValid(j + 1, k) ? j + 1 : j;
            double sum = 0.0;
            int terms = 0;
            if (k1 > k0) {
                sum += (dx_[grid.Index(j, k1)] - dx_[grid.Index(j, k0)]) / (k1 - k0);
                ++terms;
            }
            if (j1 > j0) {
                sum += (dy_[grid.Index(j1, k)] - dy_[grid.Index(j0, k)]) / (j1 - j0);
                ++terms;
            }
            dxy_[grid.Index(j, k)] = terms > 0 ? sum / terms : 0.0;
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
    auto corner = [&](std::size_t n, double au, double bu, double av, double bv) {
        return value_[n] * au * av + dx_[n] * bu * av + dy_[n] * au * bv + dxy_[n] * bu * bv;
    };
    return corner(grid_.Index(j, k), hu.A0, hu.B0, hv.A0, hv.B0) +
           corner(grid_.Index(j + 1, k), hu.A1, hu.B1, hv.A0, hv.B0) +
           corner(grid_.Index(j, k + 1), hu.A0, hu.B0, hv.A1, hv.B1) +
           corner(grid_.Index(j + 1, k + 1), hu.A1, hu.B1, hv.A1, hv.B1);
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
    const std::size_t n0 = grid_.Index(j, k), n1 = grid_.Index(j + dj, k + dk);
    const std::vector<double>& slope = dj == 1 ? dx_ : dy_;
    const double f0 = value_[n0] - level, f1 = value_[n1] - level;
    const double d0 = slope[n0], d1 = slope[n1];
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
    // Every node that tops its neighbours within 20% of the top, its peak
    // sought on the interpolated sum over the cells about it.
    struct Peak {
        double Value;
        NetPoint At;
    };
    std::vector<Peak> peaks;
    const double h = grid_.Spacing();
    for (int k = 0; k < grid_.Size(); ++k) {
        for (int j = grid_.RowFirst(k); j <= grid_.RowLast(k); ++j) {
            const double value = NodeValue(grid_.Index(j, k));
            if (value < 0.8 * top) {
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
            if (!peak) {
                continue;
            }
            Peak best{value, {grid_.Coordinate(j), grid_.Coordinate(k)}};
            for (int b = -4; b <= 4; ++b) {
                for (int a = -4; a <= 4; ++a) {
                    const NetPoint q{grid_.Coordinate(j) + 0.25 * a * h,
                                     grid_.Coordinate(k) + 0.25 * b * h};
                    const double v = InterpolateNet(q);
                    if (v > best.Value) {
                        best = {v, q};
                    }
                }
            }
            peaks.push_back(best);
        }
    }
    std::stable_sort(peaks.begin(), peaks.end(),
                     [](const Peak& a, const Peak& b) { return a.Value > b.Value; });
    // The interpolation errs by far less than 2% of the top, so only peaks
    // that close to the best can hold the maximum; mean shift finishes them
    // on the exact sum.
    FieldMaximum best;
    for (std::size_t i = 0; i < peaks.size() && i < 16; ++i) {
        if (peaks[i].Value < 0.98 * peaks.front().Value) {
            break;
        }
        Vector3 p = PointOfNet(peaks[i].At.X, peaks[i].At.Y);
        Vector3 g;
        double sum = Sum(p, &g);
        for (int step = 0; step < 200; ++step) {
            const Vector3 next = Normalized(g);
            Vector3 nextG;
            const double nextSum = Sum(next, &nextG);
            // A flat peak draws the steps out; the sum has settled long before
            // the point does.
            const bool settled = AngleBetween(p, next) < 1e-10 || nextSum <= sum * (1.0 + 1e-9);
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
    const std::size_t count = grid.PaddedNodeCount();
    counts_.assign(count, 0);
    reach_.assign(count, 0);
    reachRadius_ = radius_ + grid.Spacing() * std::sqrt(2.0) * grid.MaxStretch() + 1e-9;
    const double reachCos = std::cos(std::min(reachRadius_, 0.5 * kPi));
    const double from = countFrom_;
    // |u . p| >= from holds where u . p >= from or (-u) . p >= from; negation
    // is exact, so this is DensityAt's comparison.
    auto add = [&](std::vector<int>& to, const Vector3& e, double radius, double least) {
        ForEachRowInCap(grid, e, radius, [&](int k, int first, int last) {
            const std::size_t row = grid.Index(0, k);
            const double* x = grid.Xs() + row;
            const double* y = grid.Ys() + row;
            const double* z = grid.Zs() + row;
            int* out = to.data() + row;
            for (int j = first; j <= last; ++j) {
                out[j] += e.x * x[j] + e.y * y[j] + e.z * z[j] >= least ? 1 : 0;
            }
        });
    };
    for (const Vector3& u : buckets_.Ends()) {
        const Vector3 v{-u.x, -u.y, -u.z};
        add(counts_, u, radius_ + 1e-9, from);
        add(counts_, v, radius_ + 1e-9, from);
        if (reachRadius_ < 0.5 * kPi) {
            add(reach_, u, reachRadius_, reachCos);
            add(reach_, v, reachRadius_, reachCos);
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
