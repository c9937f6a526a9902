#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "angles.h"
#include "contours.h"
#include "density.h"

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kRad = kPi / 180.0;

Vector3 Unit(double dec, double inc) {
    return DirectionToVector(inc, dec, 1.0);
}
Vector3 Unit(const IncDec& d) {
    return DirectionToVector(d.Inc, d.Dec, 1.0);
}

double Angle(const Vector3& a, const Vector3& b) {
    return std::acos(std::clamp(Dot(a, b), -1.0, 1.0));
}

// Uniform in (0, 1) from mt19937's fully specified output, so that the data
// are the same with every standard library.
double Uniform(std::mt19937& random) {
    return (static_cast<double>(random()) + 0.5) / 4294967296.0;
}

// (x, y, z) about the pole (dec, inc) instead of about straight down.
Vector3 AboutPole(const Vector3& v, double dec, double inc) {
    const Vector3 m = Unit(dec, inc);
    const Vector3 a = std::fabs(m.z) < 0.9 ? Vector3{0, 0, 1} : Vector3{1, 0, 0};
    const Vector3 e1 =
        Normalized({a.x - Dot(a, m) * m.x, a.y - Dot(a, m) * m.y, a.z - Dot(a, m) * m.z});
    const Vector3 e2{m.y * e1.z - m.z * e1.y, m.z * e1.x - m.x * e1.z, m.x * e1.y - m.y * e1.x};
    return {v.x * e1.x + v.y * e2.x + v.z * m.x, v.x * e1.y + v.y * e2.y + v.z * m.y,
            v.x * e1.z + v.y * e2.z + v.z * m.z};
}

// Fisher (1953) directions of precision kappa about (dec, inc).
std::vector<Vector3> Cluster(int n, double kappa, double dec, double inc, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<Vector3> data;
    for (int i = 0; i < n; ++i) {
        const double u = Uniform(random);
        const double w = 1.0 + std::log(u + (1.0 - u) * std::exp(-2.0 * kappa)) / kappa;
        const double s = std::sqrt(std::max(0.0, 1.0 - w * w));
        const double phi = 2.0 * kPi * Uniform(random);
        data.push_back(AboutPole({s * std::cos(phi), s * std::sin(phi), w}, dec, inc));
    }
    return data;
}

// Directions scattered normally by spread degrees about the great circle of
// pole (dec, inc).
std::vector<Vector3> Girdle(int n, double spread, double dec, double inc, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<Vector3> data;
    for (int i = 0; i < n; ++i) {
        const double phi = 2.0 * kPi * Uniform(random);
        const double normal =
            std::sqrt(-2.0 * std::log(Uniform(random))) * std::cos(2.0 * kPi * Uniform(random));
        const double t = normal * spread * kRad;
        data.push_back(AboutPole(
            {std::cos(t) * std::cos(phi), std::cos(t) * std::sin(phi), std::sin(t)}, dec, inc));
    }
    return data;
}

struct DataSet {
    std::string Name;
    std::vector<Vector3> Data;
};

// Clustered and girdle data at 10, 100, 1,000 and 10,000; the girdle's pole
// at 30 degrees puts part of it across the primitive.
const std::vector<DataSet>& DataSets() {
    static const std::vector<DataSet> sets = [] {
        std::vector<DataSet> s;
        for (const int n : {10, 100, 1000, 10000}) {
            s.push_back({"cluster " + std::to_string(n), Cluster(n, 20.0, 30.0, 50.0, 7u + n)});
            s.push_back({"girdle " + std::to_string(n), Girdle(n, 10.0, 120.0, 30.0, 11u + n)});
        }
        return s;
    }();
    return sets;
}

// A point at angle r from p in direction k of 16.
Vector3 Around(const Vector3& p, double r, int k) {
    const Vector3 e1 =
        Normalized(std::fabs(p.z) < 0.9 ? Vector3{-p.y, p.x, 0} : Vector3{0, -p.z, p.y});
    const Vector3 e2{p.y * e1.z - p.z * e1.y, p.z * e1.x - p.x * e1.z, p.x * e1.y - p.y * e1.x};
    const double a = 2.0 * kPi * k / 16.0, t = std::tan(r);
    return Normalized({p.x + t * (std::cos(a) * e1.x + std::sin(a) * e2.x),
                       p.y + t * (std::cos(a) * e1.y + std::sin(a) * e2.y),
                       p.z + t * (std::cos(a) * e1.z + std::sin(a) * e2.z)});
}

// Whether some point within angle r of p lies on the other side of the level
// from p: sampled on rings of r/8, r/4, r/2 and r, 16 points each.
bool CrossingWithin(std::span<const Vector3> data, const DensitySettings& s, const Vector3& p,
                    double level, double r) {
    const bool above = DensityAt(data, s, p) >= level;
    for (double ring = r / 8.0; ring <= r * 1.0001; ring *= 2.0) {
        for (int k = 0; k < 16; ++k) {
            if ((DensityAt(data, s, Around(p, ring, k)) >= level) != above) {
                return true;
            }
        }
    }
    return false;
}

// The drawn midpoints of a segment: halfway on the equal-area net and halfway
// on the equal-angle net (both about straight down).
Vector3 EqualAreaMidpoint(const Vector3& a, const Vector3& b) {
    const double ka = std::sqrt(2.0 / (1.0 + a.z)), kb = std::sqrt(2.0 / (1.0 + b.z));
    const double x = 0.5 * (a.x * ka + b.x * kb), y = 0.5 * (a.y * ka + b.y * kb);
    const double r2 = x * x + y * y, q = std::sqrt(1.0 - 0.25 * r2);
    return {x * q, y * q, 1.0 - 0.5 * r2};
}

Vector3 EqualAngleMidpoint(const Vector3& a, const Vector3& b) {
    const double x = 0.5 * (a.x / (1.0 + a.z) + b.x / (1.0 + b.z));
    const double y = 0.5 * (a.y / (1.0 + a.z) + b.y / (1.0 + b.z));
    const double r2 = x * x + y * y;
    return {2.0 * x / (1.0 + r2), 2.0 * y / (1.0 + r2), (1.0 - r2) / (1.0 + r2)};
}

// The largest density found without the code under test: DensityAt at up to
// 400 data, then a pattern search from the best three, steps from 1 degree
// halved down to 1e-5 degree.
double IndependentMaximum(std::span<const Vector3> data, const DensitySettings& s) {
    std::vector<std::pair<double, Vector3>> starts;
    const std::size_t stride = std::max<std::size_t>(1, data.size() / 400);
    for (std::size_t i = 0; i < data.size(); i += stride) {
        starts.push_back({DensityAt(data, s, data[i]), data[i]});
    }
    std::sort(starts.begin(), starts.end(),
              [](const auto& a, const auto& b) { return a.first > b.first; });
    double best = 0.0;
    for (std::size_t i = 0; i < std::min<std::size_t>(3, starts.size()); ++i) {
        auto [value, p] = starts[i];
        for (double step = kRad; step > 1e-5 * kRad;) {
            bool moved = false;
            for (int k = 0; k < 16; ++k) {
                const Vector3 q = Around(p, step, k);
                const double d = DensityAt(data, s, q);
                if (d > value) {
                    value = d;
                    p = q;
                    moved = true;
                }
            }
            step *= moved ? 1.0 : 0.5;
        }
        best = std::max(best, value);
    }
    return best;
}

// What every line of every method keeps to: Inc in [0, 90], an open line's
// ends exactly on the primitive, no segment longer than maxSegment, and the
// maximum where it says it is.
void CheckShape(const DataSet& set, const DensitySettings& s, const DensityContours& c,
                double maxSegment) {
    ASSERT_EQ(c.Refusal, nullptr);
    EXPECT_NEAR(DensityAt(set.Data, s, Unit(c.MaximumAt.Dec, c.MaximumAt.Inc)), c.Maximum,
                1e-3 * c.Maximum);
    EXPECT_GE(c.MaximumAt.Inc, 0.0);
    const std::vector<double> defaults = DefaultContourLevels(s.Method, c.Maximum);
    ASSERT_EQ(c.Levels.size(), defaults.size());
    for (std::size_t i = 0; i < defaults.size(); ++i) {
        EXPECT_EQ(c.Levels[i].Value, defaults[i]);
    }
    for (const ContourLevel& level : c.Levels) {
        for (const ContourLine& line : level.Lines) {
            ASSERT_GE(line.Vertices.size(), 2u);
            if (!line.Closed) {
                EXPECT_EQ(line.Vertices.front().Inc, 0.0);
                EXPECT_EQ(line.Vertices.back().Inc, 0.0);
            }
            const std::size_t m = line.Vertices.size();
            for (std::size_t i = 0; i < m; ++i) {
                EXPECT_GE(line.Vertices[i].Inc, 0.0);
                EXPECT_LE(line.Vertices[i].Inc, 90.0);
                if (i + 1 < m || line.Closed) {
                    EXPECT_LE(Angle(Unit(line.Vertices[i]), Unit(line.Vertices[(i + 1) % m])),
                              maxSegment * kRad);
                }
            }
        }
    }
}

// Calls check(level, a, b) for at most about 600 segments of the lines,
// spread evenly (the density of 10,000 data is slow to take by definition).
template <class Check> void ForSomeSegments(const DensityContours& c, Check check) {
    std::size_t total = 0;
    for (const ContourLevel& level : c.Levels) {
        for (const ContourLine& line : level.Lines) {
            total += line.Vertices.size();
        }
    }
    const std::size_t stride = std::max<std::size_t>(1, total / 600);
    std::size_t k = 0;
    for (const ContourLevel& level : c.Levels) {
        for (const ContourLine& line : level.Lines) {
            const std::size_t m = line.Vertices.size();
            for (std::size_t i = 0; i < m; ++i, ++k) {
                if (k % stride != 0 || (i + 1 == m && !line.Closed)) {
                    continue;
                }
                check(level.Value, Unit(line.Vertices[i]), Unit(line.Vertices[(i + 1) % m]));
            }
        }
    }
}

TEST(ContourDensity, ExponentialKambLinesLieOnTheirLevels) {
    const DensitySettings s;
    for (const DataSet& set : DataSets()) {
        SCOPED_TRACE(set.Name);
        const DensityContours c = ContourDensity(set.Data, s, {});
        CheckShape(set, s, c, 1.05);
        EXPECT_GE(c.Maximum, 0.99 * IndependentMaximum(set.Data, s));
        const double tolerance = 0.01 * c.Maximum;
        int checked = 0;
        ForSomeSegments(c, [&](double level, const Vector3& a, const Vector3& b) {
            EXPECT_NEAR(DensityAt(set.Data, s, a), level, tolerance);
            EXPECT_NEAR(DensityAt(set.Data, s, EqualAreaMidpoint(a, b)), level, tolerance);
            EXPECT_NEAR(DensityAt(set.Data, s, EqualAngleMidpoint(a, b)), level, tolerance);
            ++checked;
        });
        EXPECT_GT(checked, 0);
    }
}

// Kamb and 1% area jump at circle edges: a vertex must have both sides of
// the level within 1e-6 rad, a drawn midpoint within 0.1 degree (under a
// pixel of a 1,000-pixel net). Where a channel or island of the count narrower
// than a grid cell passes between nodes the line cuts across it, so 95% of
// the midpoints are held to that, and every one to 1 degree.
TEST(ContourDensity, StepLinesFollowTheJumps) {
    for (const DensityMethod method : {DensityMethod::Kamb, DensityMethod::OnePercentArea}) {
        DensitySettings s;
        s.Method = method;
        for (const DataSet& set : DataSets()) {
            SCOPED_TRACE(set.Name + (method == DensityMethod::Kamb ? " Kamb" : " 1%"));
            const DensityContours c = ContourDensity(set.Data, s, {});
            CheckShape(set, s, c, 2.0);
            EXPECT_GE(c.Maximum, 0.99 * IndependentMaximum(set.Data, s));
            int midpoints = 0, near = 0;
            ForSomeSegments(c, [&](double level, const Vector3& a, const Vector3& b) {
                EXPECT_TRUE(CrossingWithin(set.Data, s, a, level, 1e-6));
                for (const Vector3& m : {EqualAreaMidpoint(a, b), EqualAngleMidpoint(a, b)}) {
                    ++midpoints;
                    near += CrossingWithin(set.Data, s, m, level, 0.1 * kRad) ? 1 : 0;
                    EXPECT_TRUE(CrossingWithin(set.Data, s, m, level, kRad));
                }
            });
            EXPECT_GE(near, 0.95 * midpoints);
        }
    }
}

// The largest count lies where counting circles cross or inside a circle:
// for up to 100 data every crossing of two circles (about either end of each
// datum) and every datum is tried, the count taken at the point and 1e-9 rad
// about it to step over rounding at the edges. Small counts must be exact.
TEST(ContourDensity, StepMaximumIsExactForFewData) {
    for (const DensityMethod method : {DensityMethod::Kamb, DensityMethod::OnePercentArea}) {
        DensitySettings s;
        s.Method = method;
        for (const DataSet& set : DataSets()) {
            const std::vector<Vector3>& d = set.Data;
            if (d.size() > 100) {
                continue;
            }
            SCOPED_TRACE(set.Name);
            const double n = static_cast<double>(d.size());
            const double c = method == DensityMethod::Kamb ? 1.0 - 9.0 / (n + 9.0) : 0.99;
            auto best = [&](const Vector3& p) {
                double top = DensityAt(d, s, p);
                for (int k = 0; k < 16; ++k) {
                    top = std::max(top, DensityAt(d, s, Around(p, 1e-9, k)));
                }
                return top;
            };
            double exact = 0.0;
            for (const Vector3& u : d) {
                exact = std::max(exact, best(u));
            }
            for (std::size_t i = 0; i < d.size(); ++i) {
                for (std::size_t j = i + 1; j < d.size(); ++j) {
                    for (const double sign : {1.0, -1.0}) {
                        const Vector3 u = d[i], v{sign * d[j].x, sign * d[j].y, sign * d[j].z};
                        const double uv = Dot(u, v);
                        const double alpha = c / (1.0 + uv);
                        const Vector3 base{alpha * (u.x + v.x), alpha * (u.y + v.y),
                                           alpha * (u.z + v.z)};
                        const Vector3 w{u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z,
                                        u.x * v.y - u.y * v.x};
                        const double rest = 1.0 - Dot(base, base), ww = Dot(w, w);
                        if (!(rest >= 0.0) || ww < 1e-24) {
                            continue;
                        }
                        const double g = std::sqrt(rest / ww);
                        for (const double side : {g, -g}) {
                            exact = std::max(exact, best({base.x + side * w.x, base.y + side * w.y,
                                                          base.z + side * w.z}));
                        }
                    }
                }
            }
            EXPECT_NEAR(ContourDensity(d, s, {}).Maximum, exact, 1e-9);
        }
    }
}

TEST(ContourDensity, DegenerateInputs) {
    const std::vector<double> levels = {6.0, 2.0, std::nan(""), 4.0, 2.0, -1.0, 1e9};
    // No data: the cleaned levels, sorted, without lines.
    const DensityContours none = ContourDensity({}, DensitySettings{}, levels);
    EXPECT_EQ(none.Maximum, 0.0);
    ASSERT_EQ(none.Levels.size(), 5u);
    const double sorted[] = {-1.0, 2.0, 4.0, 6.0, 1e9};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(none.Levels[i].Value, sorted[i]);
        EXPECT_TRUE(none.Levels[i].Lines.empty());
    }
    EXPECT_TRUE(ContourDensity({}, DensitySettings{}, {}).Levels.empty());
    // Refused sigma.
    DensitySettings bad;
    bad.Sigma = 0.0;
    const DensityContours refused = ContourDensity(Cluster(20, 20, 0, 60, 1), bad, levels);
    EXPECT_STREQ(refused.Refusal, "The Kamb densities need a finite sigma greater than 0");
    EXPECT_TRUE(refused.Levels.empty());
    // Levels at or below 0 and above the maximum have no lines; the others do.
    const DensityContours some =
        ContourDensity(Cluster(200, 20, 0, 60, 2), DensitySettings{}, levels);
    ASSERT_EQ(some.Levels.size(), 5u);
    EXPECT_TRUE(some.Levels.front().Lines.empty());
    EXPECT_TRUE(some.Levels.back().Lines.empty());
    for (std::size_t i = 1; i < 4; ++i) {
        EXPECT_FALSE(some.Levels[i].Lines.empty());
    }
}

// N identical data at the nadir: every line is a circle about them, at the
// radius the definitions give. Exponential Kamb: the density at angle r is
// sigma f exp(f (cos r - 1)). Kamb: the count drops from N to 0 at the
// counting circle, cos r = 1 - a. 1% area: at cos r = 0.99. The circle runs
// counterclockwise as drawn (north up, east right): higher density on the left.
TEST(ContourDensity, IdenticalDataGiveCircles) {
    const std::vector<Vector3> same(5, Unit(0, 90));
    const double f = 2.0 * (1.0 + 5.0 / 9.0);
    struct Row {
        DensityMethod method;
        double maximum, level, radius, tolerance; // radius in degrees
    };
    const Row rows[] = {
        {DensityMethod::ExponentialKamb, 3.0 * f, 2.0,
         std::acos(1.0 + std::log(2.0 / (3.0 * f)) / f) / kRad, 1e-3},
        {DensityMethod::Kamb, 5.0 * 14.0 / 15.0, 2.0, std::acos(1.0 - 9.0 / 14.0) / kRad, 1e-6},
        {DensityMethod::OnePercentArea, 100.0, 50.0, std::acos(0.99) / kRad, 1e-6},
    };
    for (const Row& r : rows) {
        DensitySettings s;
        s.Method = r.method;
        const double level[] = {r.level};
        const DensityContours c = ContourDensity(same, s, level);
        SCOPED_TRACE(DensityUnit(r.method));
        EXPECT_NEAR(c.Maximum, r.maximum, 1e-9 * r.maximum);
        ASSERT_EQ(c.Levels.size(), 1u);
        ASSERT_EQ(c.Levels[0].Lines.size(), 1u);
        const ContourLine& line = c.Levels[0].Lines[0];
        EXPECT_TRUE(line.Closed);
        double area = 0.0;
        for (std::size_t i = 0; i < line.Vertices.size(); ++i) {
            const IncDec& p = line.Vertices[i];
            const IncDec& q = line.Vertices[(i + 1) % line.Vertices.size()];
            EXPECT_NEAR(90.0 - p.Inc, r.radius, r.tolerance);
            // Screen coordinates: east right, north up.
            area += std::sin(p.Dec * kRad) * std::cos(q.Dec * kRad) -
                    std::cos(p.Dec * kRad) * std::sin(q.Dec * kRad);
        }
        EXPECT_GT(area, 0.0);
    }
}

// A peak on the primitive: its circle leaves the lower hemisphere and comes
// back at the antipodal point, so it is drawn as two open lines whose ends
// face each other across the net.
TEST(ContourDensity, LinesLeaveAndReenterAtAntipodalPoints) {
    const std::vector<Vector3> same(5, Unit(30, 0));
    const double level[] = {2.0};
    const DensityContours c = ContourDensity(same, DensitySettings{}, level);
    ASSERT_EQ(c.Levels[0].Lines.size(), 2u);
    const ContourLine& a = c.Levels[0].Lines[0];
    const ContourLine& b = c.Levels[0].Lines[1];
    EXPECT_FALSE(a.Closed);
    EXPECT_FALSE(b.Closed);
    auto opposite = [](const IncDec& p, const IncDec& q) {
        return Angle(Unit(p), Vector3{-Unit(q).x, -Unit(q).y, -Unit(q).z}) / kRad;
    };
    // Each end of one line faces an end of the other.
    const double crossed = std::min(opposite(a.Vertices.front(), b.Vertices.front()),
                                    opposite(a.Vertices.front(), b.Vertices.back()));
    const double other = std::min(opposite(a.Vertices.back(), b.Vertices.front()),
                                  opposite(a.Vertices.back(), b.Vertices.back()));
    EXPECT_LT(crossed, 1e-3);
    EXPECT_LT(other, 1e-3);
    // The maximum is given by its lower end.
    const DensityContours up =
        ContourDensity(std::vector<Vector3>(3, Unit(123, -17)), DensitySettings{}, {});
    EXPECT_NEAR(up.MaximumAt.Inc, 17.0, 1e-6);
    EXPECT_NEAR(up.MaximumAt.Dec, 303.0, 1e-6);
}

// Whether two results are the same bit for bit: maxima, levels, and every
// vertex of every line in the same order.
void ExpectIdentical(const DensityContours& a, const DensityContours& b) {
    EXPECT_EQ(a.Maximum, b.Maximum);
    EXPECT_EQ(a.MaximumAt.Inc, b.MaximumAt.Inc);
    EXPECT_EQ(a.MaximumAt.Dec, b.MaximumAt.Dec);
    ASSERT_EQ(a.Levels.size(), b.Levels.size());
    for (std::size_t i = 0; i < a.Levels.size(); ++i) {
        EXPECT_EQ(a.Levels[i].Value, b.Levels[i].Value);
        ASSERT_EQ(a.Levels[i].Lines.size(), b.Levels[i].Lines.size());
        for (std::size_t l = 0; l < a.Levels[i].Lines.size(); ++l) {
            const ContourLine& p = a.Levels[i].Lines[l];
            const ContourLine& q = b.Levels[i].Lines[l];
            EXPECT_EQ(p.Closed, q.Closed);
            ASSERT_EQ(p.Vertices.size(), q.Vertices.size());
            for (std::size_t v = 0; v < p.Vertices.size(); ++v) {
                ASSERT_EQ(p.Vertices[v].Inc, q.Vertices[v].Inc) << "level " << i << " line " << l;
                ASSERT_EQ(p.Vertices[v].Dec, q.Vertices[v].Dec) << "level " << i << " line " << l;
            }
        }
    }
}

// The work is shared among threads in fixed units whose results do not
// depend on the thread: any number of workers, and fewer threads than asked
// for (as when one cannot be started), give the one-thread result.
TEST(ContourDensity, SameResultWithAnyNumberOfWorkers) {
    for (const DensityMethod method :
         {DensityMethod::ExponentialKamb, DensityMethod::Kamb, DensityMethod::OnePercentArea}) {
        DensitySettings s;
        s.Method = method;
        for (const DataSet& set : DataSets()) {
            if (set.Data.size() != 1000) {
                continue;
            }
            SCOPED_TRACE(set.Name + " " + std::to_string(static_cast<int>(method)));
            const DensityContours one = ContourDensity(set.Data, s, {}, 1);
            for (const int workers : {2, 3}) {
                SCOPED_TRACE(workers);
                ExpectIdentical(one, ContourDensity(set.Data, s, {}, workers));
            }
        }
    }
}

TEST(DefaultContourLevels, EverySecondSigmaOrDoublingPercentages) {
    using V = std::vector<double>;
    EXPECT_EQ(DefaultContourLevels(DensityMethod::ExponentialKamb, 7.9), (V{2, 4, 6}));
    EXPECT_EQ(DefaultContourLevels(DensityMethod::Kamb, 8.0), (V{2, 4, 6, 8}));
    EXPECT_EQ(DefaultContourLevels(DensityMethod::Kamb, 1.9), V{});
    EXPECT_EQ(DefaultContourLevels(DensityMethod::OnePercentArea, 16.0), (V{1, 2, 4, 8}));
    EXPECT_EQ(DefaultContourLevels(DensityMethod::OnePercentArea, 100.0), (V{1, 2, 4, 8, 16, 32}));
    EXPECT_EQ(DefaultContourLevels(DensityMethod::Kamb, std::nan("")), V{});
    EXPECT_EQ(DefaultContourLevels(DensityMethod::Kamb, std::numeric_limits<double>::infinity()),
              V{});
}

} // namespace
