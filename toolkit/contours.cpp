#include "contours.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>

#include "angles.h"
#include "density_grid.h"
#include "work_units.h"

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kMaxSegment = kDegToRad;           // longest segment left in a line
constexpr double kStepHalfWidth = 0.05 * kDegToRad; // see StepLevel::BothOnLevel
constexpr double kSmoothTolerance = 0.002;          // of the maximum, see SmoothLevel::BothOnLevel
constexpr int kMaxRefinement = 12;                  // halvings of one segment

// The squared chord between two unit vectors, and that of an angle: both
// grow with the angle up to pi, so they compare as the angles do.
double SquaredChord(const Vector3& a, const Vector3& b) {
    const Vector3 d{a.x - b.x, a.y - b.y, a.z - b.z};
    return Dot(d, d);
}

double SquaredChordOf(double angle) {
    if (angle >= kPi) {
        return 4.0;
    }
    const double half = std::sin(0.5 * angle);
    return 4.0 * half * half;
}

// The point at angle t from p along the unit tangent n, given cos t and sin t.
Vector3 Along(const Vector3& p, const Vector3& n, double c, double s) {
    return {p.x * c + n.x * s, p.y * c + n.y * s, p.z * c + n.z * s};
}

Vector3 Along(const Vector3& p, const Vector3& n, double t) {
    return Along(p, n, std::cos(t), std::sin(t));
}

// cos and sin of the eight directions i pi / 4 about a point, and of the
// step methods' half width: taken once, not at every probe.
struct Probes {
    double Cos[8], Sin[8];
    double HalfCos, HalfSin;
};
const Probes& ProbeAngles() {
    static const Probes probes = [] {
        Probes p{};
        for (int i = 0; i < 8; ++i) {
            p.Cos[i] = std::cos(i * (kPi / 4.0));
            p.Sin[i] = std::sin(i * (kPi / 4.0));
        }
        p.HalfCos = std::cos(kStepHalfWidth);
        p.HalfSin = std::sin(kStepHalfWidth);
        return p;
    }();
    return probes;
}

// The direction i of eight about p, with n and m = p x n as its axes.
Vector3 ProbeDirection(const Vector3& n, const Vector3& m, int i) {
    const Probes& probes = ProbeAngles();
    const double c = probes.Cos[i], s = probes.Sin[i];
    return {n.x * c + m.x * s, n.y * c + m.y * s, n.z * c + m.z * s};
}

// The unit tangent at p nearest to n.
Vector3 TangentAt(const Vector3& p, const Vector3& n) {
    const double d = Dot(n, p);
    return Normalized({n.x - d * p.x, n.y - d * p.y, n.z - d * p.z});
}

// Midpoints of a segment as the net draws it: halfway in equal-area net
// coordinates, and halfway in equal-angle (stereographic) ones.
Vector3 EqualAreaMidpoint(const Vector3& a, const Vector3& b) {
    const NetPoint p = NetOf(a), q = NetOf(b);
    return PointOfNet(0.5 * (p.X + q.X), 0.5 * (p.Y + q.Y));
}

Vector3 EqualAngleMidpoint(const Vector3& a, const Vector3& b) {
    const double x = 0.5 * (a.x / (1.0 + a.z) + b.x / (1.0 + b.z));
    const double y = 0.5 * (a.y / (1.0 + a.z) + b.y / (1.0 + b.z));
    const double r2 = x * x + y * y;
    return {2.0 * x / (1.0 + r2), 2.0 * y / (1.0 + r2), (1.0 - r2) / (1.0 + r2)};
}

// One level of one density field, as the tracer asks about it. "Above" means
// at or above the level.
class LevelField {
public:
    virtual ~LevelField() = default;
    virtual bool NodeAbove(std::size_t node) const = 0;
    // Where the level crosses the grid edge from node (j, k) to
    // (j + dj, k + dk), whose ends lie on either side.
    virtual Vector3 EdgeCrossing(int j, int k, int dj, int dk) const = 0;
    virtual bool Above(const Vector3& p) const = 0;
    // Whether p and q, two points close together on a segment of the line,
    // both lie on the level; normal is the normal of the segment's great
    // circle (not unit), so that the line crosses it along TangentAt(p, normal).
    virtual bool BothOnLevel(const Vector3& p, const Vector3& q, const Vector3& normal) const = 0;
    // A point of the arc from a to b where the level is crossed; a and b lie
    // on either side.
    virtual Vector3 ArcCrossing(const Vector3& a, const Vector3& b) const = 0;
    // Segments shorter than this are not split further.
    virtual double FinestSegment() const { return 1e-9; }
    // A point of the level near p found by the field's own quicker means, or
    // nothing, leaving the search to the caller.
    virtual std::optional<Vector3> Settle(const Vector3&) const { return std::nullopt; }
};

// Exponential Kamb: the interpolated sum. On the level means within 0.2% of
// the maximum of it, which leaves the rest of the 1% to the interpolation.
class SmoothLevel final : public LevelField {
public:
    SmoothLevel(const ExponentialField& field, double level, double tolerance)
        : field_(field), level_(level), tolerance_(tolerance), settled_(1e-4 * tolerance) {}

    bool NodeAbove(std::size_t node) const override { return field_.NodeValue(node) >= level_; }

    Vector3 EdgeCrossing(int j, int k, int dj, int dk) const override {
        const NetGrid& grid = field_.Grid();
        const double t = field_.EdgeRoot(j, k, dj, dk, level_);
        return PointOfNet(grid.Coordinate(j) + t * dj * grid.Spacing(),
                          grid.Coordinate(k) + t * dk * grid.Spacing());
    }

    bool Above(const Vector3& p) const override { return field_.Interpolate(p) >= level_; }

    bool BothOnLevel(const Vector3& p, const Vector3& q, const Vector3&) const override {
        return std::fabs(field_.Interpolate(p) - level_) <= tolerance_ &&
               std::fabs(field_.Interpolate(q) - level_) <= tolerance_;
    }

    // Regula falsi with the Illinois halving, along the chord's projection.
    Vector3 ArcCrossing(const Vector3& a, const Vector3& b) const override {
        auto at = [&](double t) {
            return Normalized(
                {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), a.z + t * (b.z - a.z)});
        };
        double t0 = 0.0, t1 = 1.0;
        double g0 = field_.Interpolate(a) - level_, g1 = field_.Interpolate(b) - level_;
        if (!std::isfinite(g0) || !std::isfinite(g1)) {
            return at(0.5);
        }
        int side = 0;
        for (int iteration = 0; iteration < 100 && t1 - t0 > 1e-12; ++iteration) {
            double t = (t0 * g1 - t1 * g0) / (g1 - g0);
            if (!(t > t0 && t < t1)) {
                t = 0.5 * (t0 + t1);
            }
            const double g = field_.Interpolate(at(t)) - level_;
            if (!std::isfinite(g)) {
                break;
            }
            if ((g >= 0.0) == (g0 >= 0.0)) {
                t0 = t;
                g0 = g;
                if (side == -1) {
                    g1 *= 0.5;
                }
                side = -1;
            } else {
                t1 = t;
                g1 = g;
                if (side == 1) {
                    g0 *= 0.5;
                }
                side = 1;
            }
            if (std::fabs(g) <= settled_) {
                return at(t);
            }
        }
        return at(std::fabs(g0) < std::fabs(g1) ? t0 : t1);
    }

    // Newton's method on the interpolated sum in net coordinates, each step
    // along its gradient: a few steps where the search takes a dozen.
    std::optional<Vector3> Settle(const Vector3& p) const override {
        if (!(p.z > -0.99)) {
            return std::nullopt;
        }
        NetPoint q = NetOf(p);
        for (int step = 0; step < 8; ++step) {
            double gx = 0.0, gy = 0.0;
            const double g = field_.InterpolateNet(q, &gx, &gy) - level_;
            if (std::fabs(g) <= settled_) {
                return PointOfNet(q.X, q.Y);
            }
            const double g2 = gx * gx + gy * gy;
            if (!std::isfinite(g) || !(g2 > 0.0)) {
                return std::nullopt;
            }
            q = {q.X - g * gx / g2, q.Y - g * gy / g2};
        }
        return std::nullopt;
    }

private:
    const ExponentialField& field_;
    double level_;
    double tolerance_;
    double settled_; // a crossing whose sum is this close to the level is taken as found
};

// Kamb and 1% area: the count. The level cannot be met, only crossed, so a
// point is on it when the count straddles the threshold within
// kStepHalfWidth of it. With many data a circle's edge crosses the line every
// few hundredths of a degree and the boundary is jagged at that scale, so
// the line follows it to within a fraction of a pixel, not edge by edge:
// segments shorter than twice kStepHalfWidth have their midpoint that close
// to an end and are not split.
class StepLevel final : public LevelField {
public:
    StepLevel(const CountField& field, int threshold) : field_(field), threshold_(threshold) {}

    bool NodeAbove(std::size_t node) const override { return field_.NodeCount(node) >= threshold_; }

    Vector3 EdgeCrossing(int j, int k, int dj, int dk) const override {
        const NetGrid& grid = field_.Grid();
        return field_.Crossing(grid.Point(j, k), grid.Point(j + dj, k + dk), threshold_);
    }

    bool Above(const Vector3& p) const override { return field_.Count(p) >= threshold_; }

    // Eight points about p, so that a thin wedge of either side that the
    // line cuts across counts as near, in whatever direction it lies.
    // One gathering of the data near p serves the probes about q too.
    bool BothOnLevel(const Vector3& p, const Vector3& q, const Vector3& normal) const override {
        int inside = 0;
        field_.Near(p, kStepHalfWidth + AngleBetween(p, q) + 1e-9, inside, open_);
        return ProbesStraddle(p, TangentAt(p, normal), inside) &&
               ProbesStraddle(q, TangentAt(q, normal), inside);
    }

    Vector3 ArcCrossing(const Vector3& a, const Vector3& b) const override {
        return field_.Crossing(a, b, threshold_);
    }

    double FinestSegment() const override { return 2.0 * kStepHalfWidth; }

private:
    // Whether the eight probes about p, counted among open_ and inside,
    // fall on both sides of the threshold.
    bool ProbesStraddle(const Vector3& p, const Vector3& n, int inside) const {
        const Vector3 m = Cross(p, n);
        bool seen[2] = {false, false};
        const Probes& probes = ProbeAngles();
        for (int i = 0; i < 8; ++i) {
            const Vector3 q = Along(p, ProbeDirection(n, m, i), probes.HalfCos, probes.HalfSin);
            seen[field_.CountAmong(q, inside, open_) >= threshold_ ? 1 : 0] = true;
            if (seen[0] && seen[1]) {
                return true;
            }
        }
        return false;
    }

    const CountField& field_;
    int threshold_;
    mutable std::vector<Vector3> open_; // scratch of BothOnLevel; a level is traced by one thread
};

struct Chain {
    std::vector<Vector3> Points;
    bool Closed = false;
};

// A grid cell as (j, k) in one number: j in the low 16 bits, k above.
std::uint32_t PackedCell(int j, int k) {
    return static_cast<std::uint32_t>(j) | (static_cast<std::uint32_t>(k) << 16);
}

// Vertices of one level by grid edge: open addressing over the edge ids, at
// least twice as many slots as the level's cells have crossed edges (at most
// four each), so that a probe always ends.
class EdgeVertices {
public:
    explicit EdgeVertices(std::size_t cells) {
        std::size_t capacity = 16;
        while (capacity < 8 * cells) {
            capacity *= 2;
        }
        slots_.assign(capacity, {0, -1});
        mask_ = capacity - 1;
    }
    // The vertex of the edge, or -1 with the slot to fill remembered.
    int& Slot(std::size_t id) {
        std::size_t i = (id * 0x9E3779B97F4A7C15ull >> 20) & mask_;
        while (slots_[i].second >= 0 && slots_[i].first != id) {
            i = (i + 1) & mask_;
        }
        slots_[i].first = id;
        return slots_[i].second;
    }

private:
    std::vector<std::pair<std::size_t, int>> slots_;
    std::size_t mask_ = 0;
};

// Marching squares over the cells whose corners straddle the level. Segments
// run from the edge where the corners, taken counterclockwise in net
// coordinates, rise through the level to the edge where they fall, so the
// higher side lies to the right in (X north, Y east): to the left as drawn.
// Saddles are split by the density at the cell's centre.
std::vector<Chain> TraceLevel(const NetGrid& grid, const LevelField& field,
                              std::span<const std::uint32_t> cells) {
    std::vector<Vector3> vertices;
    std::vector<int> next;
    std::vector<char> entered;
    EdgeVertices vertexOfEdge(cells.size());
    // Edge ids: 2 (node index) for the edge towards +X, + 1 for the one towards +Y.
    auto vertexOf = [&](int j, int k, int dj, int dk) {
        int& vertex = vertexOfEdge.Slot(2 * grid.Index(j, k) + (dk == 1 ? 1 : 0));
        if (vertex < 0) {
            vertex = static_cast<int>(vertices.size());
            vertices.push_back(field.EdgeCrossing(j, k, dj, dk));
            next.push_back(-1);
            entered.push_back(0);
        }
        return vertex;
    };
    for (const std::uint32_t cell : cells) {
        const int j = static_cast<int>(cell & 0xFFFF), k = static_cast<int>(cell >> 16);
        // Corners counterclockwise from (j, k); edge e runs from corner e to e + 1.
        const bool above[4] = {
            field.NodeAbove(grid.Index(j, k)), field.NodeAbove(grid.Index(j + 1, k)),
            field.NodeAbove(grid.Index(j + 1, k + 1)), field.NodeAbove(grid.Index(j, k + 1))};
        auto edgeVertex = [&](int e) {
            switch (e) {
            case 0:
                return vertexOf(j, k, 1, 0);
            case 1:
                return vertexOf(j + 1, k, 0, 1);
            case 2:
                return vertexOf(j, k + 1, 1, 0);
            default:
                return vertexOf(j, k, 0, 1);
            }
        };
        int rising[2], falling[2];
        int risingCount = 0, fallingCount = 0;
        for (int e = 0; e < 4; ++e) {
            if (!above[e] && above[(e + 1) % 4]) {
                rising[risingCount++] = e;
            } else if (above[e] && !above[(e + 1) % 4]) {
                falling[fallingCount++] = e;
            }
        }
        auto link = [&](int from, int to) {
            const int a = edgeVertex(from), b = edgeVertex(to);
            next[static_cast<std::size_t>(a)] = b;
            entered[static_cast<std::size_t>(b)] = 1;
        };
        if (risingCount == 1) {
            link(rising[0], falling[0]);
            continue;
        }
        // A saddle: with a high centre the low corners are cut off (each rising
        // edge joins the falling edge before it), else the high ones.
        const double h = grid.Spacing();
        const bool centreAbove =
            field.Above(PointOfNet(grid.Coordinate(j) + 0.5 * h, grid.Coordinate(k) + 0.5 * h));
        for (int r = 0; r < 2; ++r) {
            const int e = rising[r];
            link(e, centreAbove ? (e + 3) % 4 : (e + 1) % 4);
        }
    }
    std::vector<Chain> chains;
    std::vector<char> visited(vertices.size(), 0);
    auto walk = [&](int start) {
        Chain chain;
        int v = start;
        while (v >= 0 && !visited[static_cast<std::size_t>(v)]) {
            visited[static_cast<std::size_t>(v)] = 1;
            chain.Points.push_back(vertices[static_cast<std::size_t>(v)]);
            v = next[static_cast<std::size_t>(v)];
        }
        chain.Closed = v == start;
        chains.push_back(std::move(chain));
    };
    for (std::size_t v = 0; v < vertices.size(); ++v) {
        if (!entered[v] && !visited[v]) {
            walk(static_cast<int>(v));
        }
    }
    for (std::size_t v = 0; v < vertices.size(); ++v) {
        if (!visited[v]) {
            walk(static_cast<int>(v));
        }
    }
    return chains;
}

// Which crossings a search may return.
using Accept = std::function<bool(const Vector3&)>;
bool AcceptAny(const Vector3&) {
    return true;
}

// A point where the level crosses the arc through p along the unit tangent
// n, within angle w of p; the nearer side is tried first.
std::optional<Vector3> CrossingNear(const LevelField& field, const Vector3& p, const Vector3& n,
                                    double w, const Accept& accept = AcceptAny) {
    const bool here = field.Above(p);
    const Vector3 ahead = Along(p, n, w);
    if (field.Above(ahead) != here) {
        const Vector3 c = field.ArcCrossing(p, ahead);
        if (accept(c)) {
            return c;
        }
    }
    const Vector3 behind = Along(p, n, -w);
    if (field.Above(behind) != here) {
        const Vector3 c = field.ArcCrossing(behind, p);
        if (accept(c)) {
            return c;
        }
    }
    return std::nullopt;
}

// A point where the level is crossed within angle reach of p, sought on
// rings of doubling radius in eight directions, so that the nearest part of
// a jagged boundary is found whichever way it lies; n is a unit tangent.
std::optional<Vector3> CrossingAround(const LevelField& field, const Vector3& p, const Vector3& n,
                                      double reach, const Accept& accept) {
    const bool here = field.Above(p);
    const Vector3 m = Cross(p, n);
    for (double r = std::min(kStepHalfWidth, reach); r <= reach; r *= 2.0) {
        const double cr = std::cos(r), sr = std::sin(r);
        for (int i = 0; i < 8; ++i) {
            const Vector3 q = Along(p, ProbeDirection(n, m, i), cr, sr);
            if (field.Above(q) != here) {
                const Vector3 c = field.ArcCrossing(p, q);
                if (accept(c)) {
                    return c;
                }
            }
        }
    }
    return std::nullopt;
}

// Where the segment from a (lower hemisphere) to b (upper) meets the
// primitive, moved along the primitive onto the level.
Vector3 PrimitiveCrossing(const LevelField& field, const Vector3& a, const Vector3& b) {
    const double t = a.z / (a.z - b.z);
    const double x = a.x + t * (b.x - a.x), y = a.y + t * (b.y - a.y);
    const double h = std::hypot(x, y);
    Vector3 q{x / h, y / h, 0.0};
    const Vector3 along{-q.y, q.x, 0.0};
    // A jagged count boundary can meet the primitive a little off the chord.
    const double length = std::max(AngleBetween(a, b), 1e-7);
    std::optional<Vector3> c;
    for (double width = length; !c && width <= 4.0 * length; width *= 2.0) {
        c = CrossingNear(field, q, along, width);
    }
    if (c) {
        const double hc = std::hypot(c->x, c->y);
        q = {c->x / hc, c->y / hc, 0.0};
    }
    return q;
}

// The parts of a chain on the lower hemisphere (z >= 0).
std::vector<Chain> ClipToLowerHemisphere(const LevelField& field, const Chain& chain) {
    const std::vector<Vector3>& p = chain.Points;
    const auto outside =
        std::find_if(p.begin(), p.end(), [](const Vector3& v) { return v.z < 0.0; });
    if (outside == p.end()) {
        return {chain};
    }
    std::vector<Vector3> sequence;
    if (chain.Closed) {
        sequence.assign(outside, p.end());
        sequence.insert(sequence.end(), p.begin(), outside + 1);
    } else {
        sequence = p;
    }
    std::vector<Chain> parts;
    Chain part;
    if (sequence.front().z >= 0.0) {
        part.Points.push_back(sequence.front());
    }
    for (std::size_t i = 0; i + 1 < sequence.size(); ++i) {
        const Vector3& a = sequence[i];
        const Vector3& b = sequence[i + 1];
        const bool aIn = a.z >= 0.0, bIn = b.z >= 0.0;
        if (aIn && bIn) {
            part.Points.push_back(b);
        } else if (aIn) {
            part.Points.push_back(PrimitiveCrossing(field, a, b));
            if (part.Points.size() >= 2) {
                parts.push_back(std::move(part));
            }
            part = Chain{};
        } else if (bIn) {
            part.Points.push_back(PrimitiveCrossing(field, b, a));
            part.Points.push_back(b);
        }
    }
    if (part.Points.size() >= 2) {
        parts.push_back(std::move(part));
    }
    return parts;
}

// Halves the segment from a to b, moving each new vertex across onto the
// level, until no part is longer than kMaxSegment and both of its drawn
// midpoints lie on the level.
// before and after are the line's vertices next to a and b (a and b
// themselves at an open end).
void Refine(const LevelField& field, double finestChord2, const Vector3& before, const Vector3& a,
            const Vector3& b, const Vector3& after, int depth, std::vector<Vector3>& out) {
    // Lengths compared through their squared chords, which grow with them.
    static const double maxChord2 = SquaredChordOf(kMaxSegment);
    const double chord2 = SquaredChord(a, b);
    if (depth >= kMaxRefinement || chord2 < finestChord2) {
        return;
    }
    const Vector3 normal = Cross(a, b);
    const Vector3 ea = EqualAreaMidpoint(a, b);
    if (chord2 <= maxChord2 && field.BothOnLevel(ea, EqualAngleMidpoint(a, b), normal)) {
        return;
    }
    const double length = AngleBetween(a, b);
    const Vector3 n = TangentAt(ea, normal);
    // Where the density is nearly flat, or round a corner of the count's
    // boundary, the line strays from the chord, so the search widens. A new
    // vertex on the line's next vertex either side, or far off, belongs to
    // another part of the line (across an island a cell wide, say) and
    // splitting towards it would go round in circles. A cusp of the count's
    // boundary (two circles meeting at a sharp angle) can cross the chord
    // itself, so the chord is searched last.
    // Nor may it lie above the primitive.
    const double far = SquaredChordOf(1.5 * length), apart = SquaredChordOf(0.25 * length);
    const bool openBefore = SquaredChord(before, a) < 1e-24;
    const bool openAfter = SquaredChord(after, b) < 1e-24;
    const Accept progress = [&](const Vector3& q) {
        if (q.z < -1e-9 || std::max(SquaredChord(a, q), SquaredChord(q, b)) > far) {
            return false;
        }
        return (openBefore || SquaredChord(q, before) > apart) &&
               (openAfter || SquaredChord(q, after) > apart);
    };
    std::optional<Vector3> c = field.Settle(ea);
    if (c && !progress(*c)) {
        c.reset();
    }
    for (double width = 0.5 * length; !c && width <= 2.0 * length; width *= 2.0) {
        c = CrossingNear(field, ea, n, width, progress);
    }
    if (!c) {
        c = CrossingNear(field, ea, TangentAt(ea, {b.x - a.x, b.y - a.y, b.z - a.z}), 0.5 * length,
                         progress);
    }
    if (!c) {
        c = CrossingAround(field, ea, n, 0.45 * length, progress);
    }
    if (!c || c->z < -1e-9) {
        return;
    }
    Vector3 q = *c;
    if (q.z < 0.0) {
        const double h = std::hypot(q.x, q.y);
        q = {q.x / h, q.y / h, 0.0};
    }
    Refine(field, finestChord2, before, a, q, b, depth + 1, out);
    out.push_back(q);
    Refine(field, finestChord2, a, q, b, after, depth + 1, out);
}

ContourLine Finish(const LevelField& field, const Chain& chain) {
    std::vector<Vector3> points;
    const std::vector<Vector3>& p = chain.Points;
    const std::size_t m = p.size();
    // The vertices next to vertex i; an open line's ends stand for themselves.
    auto previous = [&](std::size_t i) -> const Vector3& {
        return chain.Closed ? p[(i + m - 1) % m] : p[i == 0 ? 0 : i - 1];
    };
    auto following = [&](std::size_t i) -> const Vector3& {
        return chain.Closed ? p[(i + 1) % m] : p[std::min(i + 1, m - 1)];
    };
    const double finest = SquaredChordOf(field.FinestSegment());
    points.push_back(p.front());
    for (std::size_t i = 0; i + 1 < m; ++i) {
        Refine(field, finest, previous(i), p[i], p[i + 1], following(i + 1), 0, points);
        points.push_back(p[i + 1]);
    }
    if (chain.Closed) {
        Refine(field, finest, previous(m - 1), p[m - 1], p[0], following(0), 0, points);
    }
    ContourLine line;
    line.Closed = chain.Closed;
    line.Vertices.reserve(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        const Vector3& v = points[i];
        if (i > 0 && AngleBetween(points[i - 1], v) < 1e-12) {
            continue; // a vertex found twice
        }
        IncDec d = VectorToDirection(v.x, v.y, v.z);
        d.Inc = std::max(d.Inc, 0.0);
        line.Vertices.push_back(d);
    }
    return line;
}

std::vector<ContourLine> LinesOf(const NetGrid& grid, const LevelField& field,
                                 std::span<const std::uint32_t> cells) {
    std::vector<ContourLine> lines;
    for (const Chain& chain : TraceLevel(grid, field, cells)) {
        for (const Chain& part : ClipToLowerHemisphere(field, chain)) {
            lines.push_back(Finish(field, part));
        }
    }
    return lines;
}

// The cells that each level crosses (a corner below it, one at or above
// it), in grid order: those of level i are Cells[First[i]] up to
// Cells[First[i + 1]]. Levels ascending, in the units of value(node).
struct LevelCells {
    std::vector<std::size_t> First;
    std::vector<std::uint32_t> Cells;
    std::span<const std::uint32_t> Of(std::size_t level) const {
        return std::span<const std::uint32_t>(Cells).subspan(First[level],
                                                             First[level + 1] - First[level]);
    }
};

template <class Value>
LevelCells CellsOfLevels(const NetGrid& grid, Value value, std::span<const double> levels) {
    LevelCells out;
    out.First.assign(levels.size() + 1, 0);
    if (levels.empty()) {
        return out;
    }
    // The crossed cells with their levels i0 <= i < i1, those in (low, high],
    // in one pass; then counted per level and placed.
    struct Crossed {
        std::uint32_t Cell;
        std::uint32_t From, To;
    };
    std::vector<Crossed> crossed;
    for (int k = 0; k + 1 < grid.Size(); ++k) {
        // The valid cells of row k: all four corners valid.
        const int first = std::max(grid.RowFirst(k), grid.RowFirst(k + 1));
        const int last = std::min(grid.RowLast(k), grid.RowLast(k + 1));
        const std::size_t below = grid.Index(0, k), above = grid.Index(0, k + 1);
        for (int j = first; j < last; ++j) {
            const std::size_t n = static_cast<std::size_t>(j);
            const double v[4] = {value(below + n), value(below + n + 1), value(above + n),
                                 value(above + n + 1)};
            const double low = std::min({v[0], v[1], v[2], v[3]});
            const double high = std::max({v[0], v[1], v[2], v[3]});
            if (high < levels.front() || !(low < levels.back())) {
                continue;
            }
            const auto i0 = std::upper_bound(levels.begin(), levels.end(), low);
            const auto i1 = std::upper_bound(i0, levels.end(), high);
            if (i0 != i1) {
                crossed.push_back({PackedCell(j, k),
                                   static_cast<std::uint32_t>(i0 - levels.begin()),
                                   static_cast<std::uint32_t>(i1 - levels.begin())});
            }
        }
    }
    for (const Crossed& c : crossed) {
        for (std::uint32_t i = c.From; i < c.To; ++i) {
            ++out.First[i + 1];
        }
    }
    for (std::size_t i = 0; i < levels.size(); ++i) {
        out.First[i + 1] += out.First[i];
    }
    out.Cells.resize(out.First.back());
    std::vector<std::size_t> fill(out.First.begin(), out.First.end() - 1);
    for (const Crossed& c : crossed) {
        for (std::uint32_t i = c.From; i < c.To; ++i) {
            out.Cells[fill[i]++] = c.Cell;
        }
    }
    return out;
}

std::vector<double> CleanLevels(std::span<const double> levels) {
    std::vector<double> clean;
    for (const double level : levels) {
        if (std::isfinite(level)) {
            clean.push_back(level);
        }
    }
    std::sort(clean.begin(), clean.end());
    clean.erase(std::unique(clean.begin(), clean.end()), clean.end());
    return clean;
}

IncDec LowerDirection(const Vector3& v) {
    return LowerHemisphereEnd(VectorToDirection(v.x, v.y, v.z));
}

} // namespace

std::vector<double> DefaultContourLevels(DensityMethod method, double maximum) {
    std::vector<double> levels;
    if (!(std::isfinite(maximum) && maximum > 0.0)) {
        return levels;
    }
    if (method == DensityMethod::OnePercentArea) {
        for (const double level : {1.0, 2.0, 4.0, 8.0, 16.0, 32.0}) {
            if (level < maximum) {
                levels.push_back(level);
            }
        }
        return levels;
    }
    for (int i = 1; 2.0 * i <= maximum; ++i) {
        levels.push_back(2.0 * i);
    }
    return levels;
}

DensityContours ContourDensity(std::span<const Vector3> data, const DensitySettings& settings,
                               std::span<const double> levels, int workers) {
    if (workers <= 0) {
        workers = DefaultWorkers();
    }
    DensityContours out;
    out.Refusal = DensitySettingsRefusal(settings);
    if (out.Refusal != nullptr) {
        return out;
    }
    std::vector<double> values = CleanLevels(levels);
    if (data.empty()) {
        for (const double value : values) {
            out.Levels.push_back({value, {}});
        }
        return out;
    }
    const DensityKernel kernel = DensityKernelOf(settings, data.size());
    if (settings.Method == DensityMethod::ExponentialKamb) {
        // 0.6 of the kernel's standard deviation 1 / sqrt(f) keeps the
        // bicubic interpolation within about 0.15% of the maximum on the
        // grid's edges and 0.5% inside its cells; beyond 3 degrees the kernel
        // is so wide that finer cells gain nothing.
        const double spacing = std::clamp(0.6 / std::sqrt(kernel.Concentration), 0.004, 0.05);
        const NetGrid grid(spacing);
        const ExponentialField field(data, kernel.Concentration, grid, workers);
        const FieldMaximum top = field.Maximum();
        out.Maximum = kernel.Scale * top.Value;
        out.MaximumAt = LowerDirection(top.At);
        if (levels.empty()) {
            values = DefaultContourLevels(settings.Method, out.Maximum);
        }
        std::vector<double> sums;
        for (const double value : values) {
            sums.push_back(value / kernel.Scale);
        }
        const LevelCells cells = CellsOfLevels(
            grid, [&](std::size_t node) { return field.NodeValue(node); }, sums);
        out.Levels.resize(values.size());
        ForEachWorkUnit(values.size(), workers, [&](std::size_t i) {
            const double value = values[i];
            ContourLevel& level = out.Levels[i];
            level.Value = value;
            if (value > 0.0 && value <= out.Maximum) {
                const SmoothLevel at(field, sums[i], kSmoothTolerance * top.Value);
                level.Lines = LinesOf(grid, at, cells.Of(i));
            }
        });
        return out;
    }
    // A quarter of the counting radius keeps the chords of the circles short;
    // the cap of 1 degree keeps wide circles' lines from running long.
    const double radius = std::acos(kernel.CountFrom);
    const double spacing = std::clamp(0.25 * radius, 0.0017, kMaxSegment);
    const NetGrid grid(spacing);
    const CountField field(data, kernel.CountFrom, grid, workers);
    const FieldMaximum top = field.Maximum();
    const int topCount = static_cast<int>(top.Value);
    out.Maximum = kernel.Scale * static_cast<double>(topCount);
    out.MaximumAt = LowerDirection(top.At);
    if (levels.empty()) {
        values = DefaultContourLevels(settings.Method, out.Maximum);
    }
    // The least count whose density, computed as DensityAt computes it,
    // reaches each level.
    std::vector<double> thresholds;
    for (const double value : values) {
        int threshold = static_cast<int>(std::ceil(value / kernel.Scale));
        while (threshold > 0 && kernel.Scale * static_cast<double>(threshold - 1) >= value) {
            --threshold;
        }
        while (kernel.Scale * static_cast<double>(threshold) < value) {
            ++threshold;
        }
        thresholds.push_back(threshold);
    }
    const LevelCells cells = CellsOfLevels(
        grid, [&](std::size_t node) { return double(field.NodeCount(node)); }, thresholds);
    out.Levels.resize(values.size());
    ForEachWorkUnit(values.size(), workers, [&](std::size_t i) {
        const double value = values[i];
        const int threshold = static_cast<int>(thresholds[i]);
        ContourLevel& level = out.Levels[i];
        level.Value = value;
        if (value > 0.0 && threshold >= 1 && threshold <= topCount) {
            const StepLevel at(field, threshold);
            level.Lines = LinesOf(grid, at, cells.Of(i));
        }
    });
    return out;
}
