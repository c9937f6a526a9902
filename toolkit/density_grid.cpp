#include "density_grid.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

#include "processor_level.h"
#include "work_units.h"

namespace {

constexpr double kPi = 3.141592653589793;

// The rows and column ranges that hold every valid node within an angle of
// one end of a datum (and some beyond it), computed once per end and read
// by every chunk of rows. The cap's net image lies within radius /
// cos(polar / 2) of the end's net point, polar being the largest polar angle
// in the cap; near the zenith that bound grows without limit, so there every
// valid node of the grid is taken.
struct Cap {
    double X, Y;       // the end's net point
    double Reach;      // net radius bound; < 0: every valid node
    int First, Last;   // rows
    std::uint32_t End; // 2 (index into the ends) + 1 for the upper end
};

// The caps of the lower ends u and of -u, in the ends' order (u before -u),
// leaving out those that miss the valid region.
class Caps {
public:
    Caps(const NetGrid& grid, std::span<const Vector3> ends, double radius);
    const Cap* begin() const { return caps_.get(); }
    const Cap* end() const { return caps_.get() + count_; }

private:
    GridArray<Cap> caps_;
    std::size_t count_ = 0;
};

Caps::Caps(const NetGrid& grid, std::span<const Vector3> ends, double radius)
    : caps_(MakeGridArray<Cap>(2 * ends.size())) {
    const double perSpacing = 1.0 / grid.Spacing();
    const double origin = grid.Coordinate(0);
    const int last = grid.Size() - 1;
    for (std::size_t i = 0; i < ends.size(); ++i) {
        const Vector3& u = ends[i];
        for (const bool upper : {false, true}) {
            const Vector3 e = upper ? Vector3{-u.x, -u.y, -u.z} : u;
            const double polar = std::acos(std::clamp(e.z, -1.0, 1.0));
            if (polar - radius > grid.ValidPolarAngle()) {
                continue;
            }
            Cap cap{0.0, 0.0, -1.0, 0, last, static_cast<std::uint32_t>(2 * i + (upper ? 1 : 0))};
            if (polar + radius < 2.6) {
                const NetPoint centre = NetOf(e);
                cap.X = centre.X;
                cap.Y = centre.Y;
                cap.Reach = radius / std::cos(0.5 * (polar + radius)) * (1.0 + 1e-9) + 1e-12;
                cap.First = std::max(
                    0, static_cast<int>(std::ceil((centre.Y - cap.Reach - origin) * perSpacing)));
                cap.Last = std::min(last, static_cast<int>(std::floor(
                                              (centre.Y + cap.Reach - origin) * perSpacing)));
            }
            if (cap.First <= cap.Last) {
                caps_[count_++] = cap;
            }
        }
    }
}

// Calls visit(k, first, last) for the rows k of the cap in [fromRow, toRow]
// and the columns of row k that the cap may hold.
template <class Visit>
void ForEachCapRow(const NetGrid& grid, const Cap& cap, int fromRow, int toRow, Visit&& visit) {
    const int k0 = std::max(cap.First, fromRow), k1 = std::min(cap.Last, toRow);
    if (cap.Reach < 0.0) {
        for (int k = k0; k <= k1; ++k) {
            if (grid.RowFirst(k) <= grid.RowLast(k)) {
                visit(k, grid.RowFirst(k), grid.RowLast(k));
            }
        }
        return;
    }
    const double perSpacing = 1.0 / grid.Spacing();
    const double origin = grid.Coordinate(0);
    const double reach2 = cap.Reach * cap.Reach;
    const double from = (cap.X - origin) * perSpacing;
    // The rows' half widths first, in a loop of their own that the compiler
    // vectorises: one square root after another would wait on each.
    constexpr int kBatch = 32;
    double halves[kBatch];
    for (int batch = k0; batch <= k1; batch += kBatch) {
        const int rows = std::min(kBatch, k1 - batch + 1);
        for (int r = 0; r < rows; ++r) {
            const double dy = grid.Coordinate(batch + r) - cap.Y;
            halves[r] = std::sqrt(std::max(0.0, reach2 - dy * dy)) * perSpacing;
        }
        for (int r = 0; r < rows; ++r) {
            const int k = batch + r;
            // Both ends lie within the grid's index range, well inside int.
            const double low = from - halves[r], high = from + halves[r];
            int lowCeil = static_cast<int>(low);
            lowCeil += lowCeil < low ? 1 : 0;
            int highFloor = static_cast<int>(high);
            highFloor -= highFloor > high ? 1 : 0;
            const int j0 = std::max(grid.RowFirst(k), lowCeil);
            const int j1 = std::min(grid.RowLast(k), highFloor);
            if (j0 <= j1) {
                visit(k, j0, j1);
            }
        }
    }
}

// Rows handled as one unit of work: their node places are made once and
// every cap that meets them is added to them in the caps' order, so each
// node's sum is made in the same order whichever thread takes the unit.
constexpr int kChunkRows = 16;

int ChunkCount(const NetGrid& grid) {
    return (grid.Size() + kChunkRows - 1) / kChunkRows;
}

// The node places of rows [first, first + count) of the grid, laid out as
// the grid lays out its rows.
struct ChunkPoints {
    std::vector<float> Xs, Ys, Zs;
    void Fill(const NetGrid& grid, int first, int count) {
        const std::size_t length = grid.Index(0, count);
        Xs.assign(length, 0.0f);
        Ys.assign(length, 0.0f);
        Zs.assign(length, 0.0f);
        for (int r = 0; r < count; ++r) {
            grid.RowPoints(first + r, Xs.data() + grid.Index(0, r), Ys.data() + grid.Index(0, r),
                           Zs.data() + grid.Index(0, r));
        }
    }
};

// e^t for t <= 0 in single precision (t below -87 taken as -87), within a
// few units in the last place: t = n ln 2 + r with |r| <= ln(2) / 2, e^r by
// its Taylor series to r^6 (the rest is below 0.347^7 / 7! = 1.2e-7), 2^n put
// straight into the exponent bits. Written without branches or calls so that
// a loop of it vectorises.
inline float ExpOfNonPositive(float t) {
    constexpr float kLog2e = 1.44269504f;
    constexpr float kLn2High = 0.693359375f; // Cephes' split of ln 2
    constexpr float kLn2Low = -2.12194440e-4f;
    constexpr float kShift = 12582912.0f; // 1.5 * 2^23: adding it rounds to an integer
    t = std::max(t, -87.0f);
    const float shifted = t * kLog2e + kShift;
    const float n = shifted - kShift;
    const float r = (t - n * kLn2High) - n * kLn2Low;
    const float r2 = r * r;
    const float p =
        (1.0f + r) + r2 * ((0.5f + r * (1.0f / 6.0f)) +
                           r2 * ((1.0f / 24.0f + r * (1.0f / 120.0f)) + r2 * (1.0f / 720.0f)));
    const std::int32_t exponent =
        std::bit_cast<std::int32_t>(shifted) - std::bit_cast<std::int32_t>(kShift) + 127;
    return p * std::bit_cast<float>(exponent << 23);
}

// A run of nodes of one row: the index of its first node and its length.
struct NodeRun {
    std::size_t First;
    int Length;
};

// Adds exp(f (c - 1)) for the nodes of the runs, c = e . p, where c >= from,
// to the sums s and, times e, to g. The exponent is taken as -f |p - e|^2 / 2,
// which single precision keeps to a few parts in 1e5 where c - 1 would lose
// it. Blocks of kPadding keep the loop free of a scalar tail; the last one may
// run past the run, onto nodes of the row outside the cap (they add nothing)
// or invalid ones and the row's padding (never read).
inline __attribute__((always_inline)) void
AddKernelBody(const float* __restrict x, const float* __restrict y, const float* __restrict z,
              const NodeRun* runs, std::size_t count, Vector3 end, double concentration,
              double least, float* __restrict s, float* __restrict gx, float* __restrict gy,
              float* __restrict gz) {
    constexpr int kBlock = NetGrid::kPadding;
    const float ex = static_cast<float>(end.x), ey = static_cast<float>(end.y),
                ez = static_cast<float>(end.z);
    const float half = static_cast<float>(-0.5 * concentration);
    const float from = static_cast<float>(least);
    for (std::size_t r = 0; r < count; ++r) {
        const std::size_t first = runs[r].First;
        const std::size_t stop = first + static_cast<std::size_t>(runs[r].Length);
        for (std::size_t b = first; b < stop; b += kBlock) {
            float w[kBlock];
            for (int i = 0; i < kBlock; ++i) {
                const float c = ex * x[b + i] + ey * y[b + i] + ez * z[b + i];
                const float dx = x[b + i] - ex, dy = y[b + i] - ey, dz = z[b + i] - ez;
                const float t = half * (dx * dx + dy * dy + dz * dz);
                w[i] = ExpOfNonPositive(t) * static_cast<float>(c >= from);
            }
            for (int i = 0; i < kBlock; ++i) {
                s[b + i] += w[i];
                gx[b + i] += w[i] * ex;
                gy[b + i] += w[i] * ey;
                gz[b + i] += w[i] * ez;
            }
        }
    }
}

using AddKernelFunction = void (*)(const float*, const float*, const float*, const NodeRun*,
                                   std::size_t, Vector3, double, double, float*, float*, float*,
                                   float*);

void AddKernelBaseline(const float* x, const float* y, const float* z, const NodeRun* runs,
                       std::size_t count, Vector3 e, double f, double from, float* s, float* gx,
                       float* gy, float* gz) {
    AddKernelBody(x, y, z, runs, count, e, f, from, s, gx, gy, gz);
}

// The widest copy the processor runs, chosen once. Without fused products
// every copy rounds alike.
#if defined(__x86_64__)
__attribute__((target("avx2"))) void AddKernelAvx2(const float* x, const float* y, const float* z,
                                                   const NodeRun* runs, std::size_t count,
                                                   Vector3 e, double f, double from, float* s,
                                                   float* gx, float* gy, float* gz) {
    AddKernelBody(x, y, z, runs, count, e, f, from, s, gx, gy, gz);
}

__attribute__((target("avx512f"))) void AddKernelAvx512(const float* x, const float* y,
                                                        const float* z, const NodeRun* runs,
                                                        std::size_t count, Vector3 e, double f,
                                                        double from, float* s, float* gx, float* gy,
                                                        float* gz) {
    AddKernelBody(x, y, z, runs, count, e, f, from, s, gx, gy, gz);
}
#endif

AddKernelFunction ChooseAddKernel() {
#if defined(__x86_64__)
    return ForThisProcessor<AddKernelFunction>(AddKernelBaseline, AddKernelAvx2, AddKernelAvx512);
#else
    return AddKernelBaseline;
#endif
}

// Adds 1 to out at the nodes of the runs where e . p >= least, in double
// precision as DensityAt compares; the same copies as AddKernel's.
inline __attribute__((always_inline)) void
AddCountBody(const float* __restrict x, const float* __restrict y, const float* __restrict z,
             const NodeRun* runs, std::size_t count, Vector3 e, double least, int* __restrict out) {
    for (std::size_t r = 0; r < count; ++r) {
        const std::size_t first = runs[r].First;
        const std::size_t stop = first + static_cast<std::size_t>(runs[r].Length);
        for (std::size_t i = first; i < stop; ++i) {
            out[i] += e.x * x[i] + e.y * y[i] + e.z * z[i] >= least ? 1 : 0;
        }
    }
}

using AddCountFunction = void (*)(const float*, const float*, const float*, const NodeRun*,
                                  std::size_t, Vector3, double, int*);

void AddCountBaseline(const float* x, const float* y, const float* z, const NodeRun* runs,
                      std::size_t count, Vector3 e, double least, int* out) {
    AddCountBody(x, y, z, runs, count, e, least, out);
}

#if defined(__x86_64__)
__attribute__((target("avx2"))) void AddCountAvx2(const float* x, const float* y, const float* z,
                                                  const NodeRun* runs, std::size_t count, Vector3 e,
                                                  double least, int* out) {
    AddCountBody(x, y, z, runs, count, e, least, out);
}

__attribute__((target("avx512f"))) void AddCountAvx512(const float* x, const float* y,
                                                       const float* z, const NodeRun* runs,
                                                       std::size_t count, Vector3 e, double least,
                                                       int* out) {
    AddCountBody(x, y, z, runs, count, e, least, out);
}
#endif

AddCountFunction ChooseAddCount() {
#if defined(__x86_64__)
    return ForThisProcessor<AddCountFunction>(AddCountBaseline, AddCountAvx2, AddCountAvx512);
#else
    return AddCountBaseline;
#endif
}

// Cubic Hermite basis on [0, 1]: value at 0, value at 1, slope at 0, slope at 1.
struct Hermite {
    double A0, A1, B0, B1;
};
Hermite HermiteAt(double t) {
    const double s = 1.0 - t;
    return {(1.0 + 2.0 * t) * s * s, t * t * (3.0 - 2.0 * t), t * s * s, -t * t * s};
}
// Their derivatives in t.
Hermite HermiteSlopeAt(double t) {
    return {6.0 * t * (t - 1.0), 6.0 * t * (1.0 - t), (3.0 * t - 1.0) * (t - 1.0),
            t * (3.0 * t - 2.0)};
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

NetGrid::NetGrid(double spacing) : spacing_(spacing), perSpacing_(1.0 / spacing) {
    const double validRadius = std::sqrt(2.0) + 1.5 * spacing;
    const int half = static_cast<int>(std::ceil(validRadius / spacing)) + 1;
    size_ = 2 * half + 1;
    origin_ = -half * spacing;
    validPolar_ = 2.0 * std::asin(0.5 * validRadius);
    maxStretch_ = 1.0 / std::cos(0.5 * validPolar_);
    rowFirst_.assign(static_cast<std::size_t>(size_), 0);
    rowLast_.assign(static_cast<std::size_t>(size_), -1);
    padded_ = static_cast<std::size_t>(size_) * (size_ + kPadding);
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
    }
}

Vector3 NetGrid::Point(int j, int k) const {
    const Vector3 p = PointOfNet(Coordinate(j), Coordinate(k));
    return {static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)};
}

void NetGrid::RowPoints(int k, float* xs, float* ys, float* zs) const {
    const double y = Coordinate(k);
    for (int j = RowFirst(k); j <= RowLast(k); ++j) {
        const Vector3 p = PointOfNet(Coordinate(j), y);
        xs[j] = static_cast<float>(p.x);
        ys[j] = static_cast<float>(p.y);
        zs[j] = static_cast<float>(p.z);
    }
}

bool NetGrid::Locate(NetPoint q, int& j, int& k, double& u, double& v) const {
    const double fj = (q.X - origin_) * perSpacing_;
    const double fk = (q.Y - origin_) * perSpacing_;
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
                                   const NetGrid& grid, int workers)
    : grid_(grid), f_(concentration),
      cutOffCos_(std::max(0.0, 1.0 - (std::log(concentration) + std::log(1000.0)) / concentration)),
      cutOffAngle_(std::acos(cutOffCos_)),
      buckets_(data, 2.0 * std::sin(0.5 * std::acos(cutOffCos_))) {
    static const AddKernelFunction addKernel = ChooseAddKernel();
    const std::size_t count = grid.PaddedNodeCount();
    // Left uninitialised: each chunk of rows clears its own, so that the
    // threads share the first touch of the pages.
    nodes_ = MakeGridArray<float>(4 * count);
    float* const value = nodes_.get();
    float* const dx = value + count;
    float* const dy = dx + count;
    float* const dxy = dy + count;
    const double f = f_;
    const double h = grid.Spacing();
    // Each datum counts through its end nearer the node: the lower end where
    // cos >= 0, the upper one where its own cos > 0, so none counts twice.
    const double from = cutOffCos_;
    const double above = std::nextafter(static_cast<float>(from), 2.0f);
    const std::span<const Vector3> ends = buckets_.Ends();
    const Caps caps(grid, ends, cutOffAngle_);
    // Per node: the sum S and the weighted sum G of the ends, held in the
    // arrays that later keep the value and slopes.
    ForEachWorkUnit(static_cast<std::size_t>(ChunkCount(grid)), workers, [&](std::size_t chunk) {
        const int first = static_cast<int>(chunk) * kChunkRows;
        const int rows = std::min(kChunkRows, grid.Size() - first);
        const std::size_t base = grid.Index(0, first), length = grid.Index(0, rows);
        for (float* array : {value, dx, dy, dxy}) {
            std::fill_n(array + base, length, 0.0f);
        }
        ChunkPoints points;
        points.Fill(grid, first, rows);
        std::vector<NodeRun> runs;
        for (const Cap& cap : caps) {
            if (cap.Last < first || cap.First >= first + rows) {
                continue;
            }
            runs.clear();
            ForEachCapRow(grid, cap, first, first + rows - 1, [&](int k, int j0, int j1) {
                runs.push_back({grid.Index(j0, k - first), j1 - j0 + 1});
            });
            const Vector3& u = ends[cap.End / 2];
            const bool upper = (cap.End & 1) != 0;
            const Vector3 e = upper ? Vector3{-u.x, -u.y, -u.z} : u;
            addKernel(points.Xs.data(), points.Ys.data(), points.Zs.data(), runs.data(),
                      runs.size(), e, f, upper ? above : from, value + base, dx + base, dy + base,
                      dxy + base);
        }
        // Chain rule through the net's inverse map p(X, Y): dS/dX = f G . p_X.
        for (int k = first; k < first + rows; ++k) {
            const double y = grid.Coordinate(k);
            for (int j = grid.RowFirst(k); j <= grid.RowLast(k); ++j) {
                const double x = grid.Coordinate(j);
                const std::size_t node = grid.Index(j, k);
                const double q = std::sqrt(std::max(1e-300, 1.0 - 0.25 * (x * x + y * y)));
                const double quarter = 0.25 / q;
                const Vector3 px{q - x * x * quarter, -x * y * quarter, -x};
                const Vector3 py{-x * y * quarter, q - y * y * quarter, -y};
                const Vector3 g{dx[node], dy[node], dxy[node]};
                dx[node] = static_cast<float>(h * f * Dot(g, px));
                dy[node] = static_cast<float>(h * f * Dot(g, py));
            }
        }
    });
    // The cross derivative comes from central differences of these exact
    // slopes (one-sided at the rim), which keeps the per-datum work to one
    // exponential and four sums.
    ForEachWorkUnit(static_cast<std::size_t>(ChunkCount(grid)), workers, [&](std::size_t chunk) {
        const int first = static_cast<int>(chunk) * kChunkRows;
        const int last = std::min(first + kChunkRows, grid.Size()) - 1;
        for (int k = first; k <= last; ++k) {
            for (int j = grid.RowFirst(k); j <= grid.RowLast(k); ++j) {
                const int k0 = grid.NodeValid(j, k - 1) ? k - 1 : k;
                const int k1 = grid.NodeValid(j, k + 1) ? k + 1 : k;
                const int j0 = grid.NodeValid(j - 1, k) ? j - 1 : j;
                const int j1 = grid.NodeValid(j + 1, k) ? j + 1 : j;
                double sum = 0.0;
                int terms = 0;
                if (k1 > k0) {
                    sum += (double(dx[grid.Index(j, k1)]) - dx[grid.Index(j, k0)]) / (k1 - k0);
                    ++terms;
                }
                if (j1 > j0) {
                    sum += (double(dy[grid.Index(j1, k)]) - dy[grid.Index(j0, k)]) / (j1 - j0);
                    ++terms;
                }
                dxy[grid.Index(j, k)] = static_cast<float>(terms > 0 ? sum / terms : 0.0);
            }
        }
    });
}

double ExponentialField::InterpolateNet(NetPoint q, double* slopeX, double* slopeY) const {
    int j = 0, k = 0;
    double u = 0.0, v = 0.0;
    if (!grid_.Locate(q, j, k, u, v)) {
        return std::nan("");
    }
    const float *value = Array(0), *dx = Array(1), *dy = Array(2), *dxy = Array(3);
    const std::size_t n0 = grid_.Index(j, k), n1 = grid_.Index(j, k + 1);
    // Along u first, on rows k and k + 1: the terms that go with the value
    // basis in v (r) and with the slope basis in v (s); then along v.
    auto along = [&](const Hermite& a, double(&r)[2], double(&s)[2]) {
        for (int row = 0; row < 2; ++row) {
            const std::size_t n = row == 0 ? n0 : n1;
            r[row] = value[n] * a.A0 + value[n + 1] * a.A1 + dx[n] * a.B0 + dx[n + 1] * a.B1;
            s[row] = dy[n] * a.A0 + dy[n + 1] * a.A1 + dxy[n] * a.B0 + dxy[n + 1] * a.B1;
        }
    };
    auto across = [](const Hermite& b, const double(&r)[2], const double(&s)[2]) {
        return r[0] * b.A0 + r[1] * b.A1 + s[0] * b.B0 + s[1] * b.B1;
    };
    const Hermite hv = HermiteAt(v);
    double r[2], s[2];
    along(HermiteAt(u), r, s);
    if (slopeX != nullptr && slopeY != nullptr) {
        const double perSpacing = 1.0 / grid_.Spacing();
        double ru[2], su[2];
        along(HermiteSlopeAt(u), ru, su);
        *slopeX = across(hv, ru, su) * perSpacing;
        *slopeY = across(HermiteSlopeAt(v), r, s) * perSpacing;
    }
    return across(hv, r, s);
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
    const float* slope = Array(dj == 1 ? 1 : 2);
    const double f0 = NodeValue(n0) - level, f1 = NodeValue(n1) - level;
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
        if (g == 0.0) {
            return t;
        }
        if ((g >= 0.0) == loAbove) {
            lo = t;
        } else {
            hi = t;
        }
        const double slopeAt = derivative(t);
        double next = slopeAt != 0.0 ? t - g / slopeAt : 0.5 * (lo + hi);
        // A step that stays put has converged; only one that leaves the
        // bracket is replaced by bisection.
        if (!(next >= lo && next <= hi)) {
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
        std::size_t Node; // breaks ties, so that the order is the same everywhere
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
            Peak best{value, {grid_.Coordinate(j), grid_.Coordinate(k)}, grid_.Index(j, k)};
            for (int b = -4; b <= 4; ++b) {
                for (int a = -4; a <= 4; ++a) {
                    const NetPoint q{grid_.Coordinate(j) + 0.25 * a * h,
                                     grid_.Coordinate(k) + 0.25 * b * h};
                    const double v = InterpolateNet(q);
                    if (v > best.Value) {
                        best = {v, q, best.Node};
                    }
                }
            }
            peaks.push_back(best);
        }
    }
    std::sort(peaks.begin(), peaks.end(), [](const Peak& a, const Peak& b) {
        return a.Value != b.Value ? a.Value > b.Value : a.Node < b.Node;
    });
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

CountField::CountField(std::span<const Vector3> data, double countFrom, const NetGrid& grid,
                       int workers)
    : grid_(grid), countFrom_(countFrom), radius_(std::acos(countFrom)),
      buckets_(data, 2.0 * std::sin(0.5 * std::acos(countFrom))) {
    static const AddCountFunction addCount = ChooseAddCount();
    const std::size_t count = grid.PaddedNodeCount();
    counts_ = MakeGridArray<int>(count);
    reach_ = MakeGridArray<int>(count);
    reachRadius_ = radius_ + grid.Spacing() * std::sqrt(2.0) * grid.MaxStretch() + 1e-9;
    const bool wholeReach = reachRadius_ >= 0.5 * kPi;
    const double reachCos = std::cos(std::min(reachRadius_, 0.5 * kPi));
    const std::span<const Vector3> ends = buckets_.Ends();
    const Caps countCaps(grid, ends, radius_ + 1e-9);
    const Caps reachCaps(grid, ends, wholeReach ? 0.0 : reachRadius_);
    ForEachWorkUnit(static_cast<std::size_t>(ChunkCount(grid)), workers, [&](std::size_t chunk) {
        const int first = static_cast<int>(chunk) * kChunkRows;
        const int rows = std::min(kChunkRows, grid.Size() - first);
        const std::size_t base = grid.Index(0, first), length = grid.Index(0, rows);
        std::fill_n(counts_.get() + base, length, 0);
        std::fill_n(reach_.get() + base, length, wholeReach ? static_cast<int>(data.size()) : 0);
        ChunkPoints points;
        points.Fill(grid, first, rows);
        // |u . p| >= from holds where u . p >= from or (-u) . p >= from;
        // negation is exact, so this is DensityAt's comparison. Counts add
        // up alike in any order.
        std::vector<NodeRun> runs;
        auto add = [&](int* to, const Caps& caps, double least) {
            for (const Cap& cap : caps) {
                if (cap.Last < first || cap.First >= first + rows) {
                    continue;
                }
                runs.clear();
                ForEachCapRow(grid, cap, first, first + rows - 1, [&](int k, int j0, int j1) {
                    runs.push_back({grid.Index(j0, k - first), j1 - j0 + 1});
                });
                const Vector3& u = ends[cap.End / 2];
                const Vector3 e = (cap.End & 1) != 0 ? Vector3{-u.x, -u.y, -u.z} : u;
                addCount(points.Xs.data(), points.Ys.data(), points.Zs.data(), runs.data(),
                         runs.size(), e, least, to + base);
            }
        };
        add(counts_.get(), countCaps, countFrom_);
        if (!wholeReach) {
            add(reach_.get(), reachCaps, reachCos);
        }
    });
}

int CountField::Count(const Vector3& p) const {
    int count = 0;
    const std::span<const Vector3> ends = buckets_.Ends();
    buckets_.ForEachNear(p, radius_ + 1e-9, [&](std::size_t i) {
        count += std::fabs(Dot(ends[i], p)) >= countFrom_ ? 1 : 0;
    });
    return count;
}

// Angles are padded by this much before data are settled as inside or
// outside, far more than the rounding of the cosines compared.
constexpr double kSettleMargin = 1e-9;

void CountField::Near(const Vector3& p, double margin, int& inside,
                      std::vector<Vector3>& open) const {
    open.clear();
    inside = 0;
    const std::span<const Vector3> ends = buckets_.Ends();
    const double innerAngle = radius_ - margin - kSettleMargin;
    const double innerCos = innerAngle > 0.0 ? std::cos(innerAngle) : 2.0;
    const double outerAngle = radius_ + margin + kSettleMargin;
    const double outerCos = std::cos(std::min(outerAngle, 0.5 * kPi));
    buckets_.ForEachNear(p, outerAngle, [&](std::size_t i) {
        const double c = std::fabs(Dot(ends[i], p));
        if (c >= innerCos) {
            ++inside;
        } else if (c >= outerCos) {
            open.push_back(ends[i]);
        }
    });
}

int CountField::CountAmong(const Vector3& q, int inside, std::span<const Vector3> open) const {
    int count = inside;
    for (const Vector3& u : open) {
        count += std::fabs(Dot(u, q)) >= countFrom_ ? 1 : 0;
    }
    return count;
}

// Bisection of the arc. The data whose circle cannot cross what is left of
// the arc are settled once (counted in `inside` or dropped), so each step
// tests only the few circles that pass near the crossing. The bounds of
// that test are taken afresh every fourth step: older ones, for a longer
// arc, settle fewer data but never one wrongly.
Vector3 CountField::Crossing(const Vector3& a, const Vector3& b, int threshold) const {
    Vector3 lo = a, hi = b; // lo keeps a's side
    double half = 0.5 * AngleBetween(a, b);
    Vector3 mid = Normalized({a.x + b.x, a.y + b.y, a.z + b.z});
    thread_local std::vector<Vector3> open;
    int inside = 0;
    Near(mid, half, inside, open);
    // a lies within half of mid: the open data and those inside decide it.
    const bool loAbove = CountAmong(a, inside, open) >= threshold;
    double innerCos = 2.0, outerCos = -1.0;
    for (int step = 0; step < 80 && half > 0.5e-10; ++step) {
        if (step % 4 == 0) {
            const double innerAngle = radius_ - half - kSettleMargin;
            innerCos = innerAngle > 0.0 ? std::cos(innerAngle) : 2.0;
            outerCos = std::cos(std::min(radius_ + half + kSettleMargin, 0.5 * kPi));
        }
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
                best.At = grid_.Point(j, k);
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
    std::sort(cells.begin(), cells.end(), [](const Cell& a, const Cell& b) {
        if (a.bound != b.bound) {
            return a.bound > b.bound;
        }
        return a.k != b.k ? a.k < b.k : a.j < b.j;
    });
    const std::span<const Vector3> ends = buckets_.Ends();
    // Candidates of the regions being split, innermost last; grown, never
    // shrunk, so that a region writes its own past its parent's.
    std::vector<Vector3> stack;
    long regions = 0;
    constexpr long kRegionLimit = 2'000'000;
    // Region: net square from (x, y), side w; its candidates are stack[from, end).
    auto split = [&](auto&& self, double x, double y, double w, std::size_t from,
                     std::size_t end) -> void {
        if (++regions > kRegionLimit) {
            return;
        }
        const Vector3 c = PointOfNet(x + 0.5 * w, y + 0.5 * w);
        const double r = 0.5 * std::sqrt(2.0) * w * grid_.MaxStretch();
        const double boundCos = std::cos(std::min(radius_ + r + 1e-9, 0.5 * kPi));
        if (stack.size() < end + (end - from)) {
            stack.resize(2 * (end + (end - from)));
        }
        std::size_t next = end;
        int count = 0;
        for (std::size_t i = from; i < end; ++i) {
            const Vector3 u = stack[i];
            const double a = std::fabs(Dot(u, c));
            if (a >= boundCos) {
                count += a >= countFrom_ ? 1 : 0;
                stack[next++] = u;
            }
        }
        const int bound = static_cast<int>(next - end);
        if (count > bestCount) {
            bestCount = count;
            best.At = c;
        }
        if (!settled(bound) && r > 1e-9) {
            const double s = 0.5 * w;
            self(self, x, y, s, end, next);
            self(self, x + s, y, s, end, next);
            self(self, x, y + s, s, end, next);
            self(self, x + s, y + s, s, end, next);
        }
    };
    for (const Cell& cell : cells) {
        if (settled(cell.bound) || regions > kRegionLimit) {
            break;
        }
        const double x = grid_.Coordinate(cell.j), y = grid_.Coordinate(cell.k);
        const double w = grid_.Spacing();
        const Vector3 c = PointOfNet(x + 0.5 * w, y + 0.5 * w);
        const double r = 0.5 * std::sqrt(2.0) * w * grid_.MaxStretch();
        std::size_t gathered = 0;
        buckets_.ForEachNear(c, radius_ + r + 1e-9, [&](std::size_t i) {
            if (stack.size() <= gathered) {
                stack.resize(2 * gathered + 64);
            }
            stack[gathered++] = ends[i];
        });
        split(split, x, y, w, 0, gathered);
    }
    best.Value = bestCount;
    return best;
}
