#include "circle_path.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "angles.h"
#include "equal_area.h"
#include "plot_geometry.h"
#include "small_circle.h"

namespace {

// The longest piece a circle starts from, in degrees of position angle; each
// is halved while it strays, at most kMaxDepth times.
constexpr double kLongestPiece = 90.0;
constexpr int kMaxDepth = 20;
// Step of the difference quotients, in degrees of position angle: their
// rounding error stays near 1e-12 net units per degree.
constexpr double kStep = 1e-4;
// Heights (sines of inclination) this close to zero are on the horizon.
constexpr double kFlat = 1e-12;
// Net points this close together are one point: a circle of no size.
constexpr double kSamePoint = 1e-9;
constexpr double kRadToDeg = 57.295779513082321;

NetPoint Along(const NetPoint& p, const NetPoint& direction, double f) {
    return {p.x + f * direction.x, p.y + f * direction.y};
}

double Distance(const NetPoint& a, const NetPoint& b) {
    return std::hypot(a.x - b.x, a.y - b.y);
}

// The circle's points through the one rotation and the one projection the
// raster's dots come from.
class ProjectedCircle {
public:
    ProjectedCircle(int plotType, Projection projection, double dec, double inc, double rho)
        : plotType_(plotType), projection_(projection), baseInc_(90.0 - rho), axisDec_(dec - 90.0),
          tilt_(90.0 - inc) {}

    IncDec Direction(double t) const { return SmallCirclePoint(baseInc_, t, axisDec_, tilt_); }

    NetPoint At(double t) const {
        const IncDec d = Direction(t);
        return ProjectDirection(d.Dec, d.Inc, plotType_, projection_);
    }

    // dP/dt at t in net units per degree, from points of [from, to] only, so
    // that no quotient reaches across the corner at either end.
    NetPoint Slope(double t, double from, double to) const {
        const double h = std::min(kStep, (to - from) / 8.0);
        if (t - 2.0 * h < from) {
            const NetPoint p0 = At(t);
            const NetPoint p1 = At(t + h);
            const NetPoint p2 = At(t + 2.0 * h);
            return {(-3.0 * p0.x + 4.0 * p1.x - p2.x) / (2.0 * h),
                    (-3.0 * p0.y + 4.0 * p1.y - p2.y) / (2.0 * h)};
        }
        if (t + 2.0 * h > to) {
            const NetPoint p0 = At(t);
            const NetPoint p1 = At(t - h);
            const NetPoint p2 = At(t - 2.0 * h);
            return {(3.0 * p0.x - 4.0 * p1.x + p2.x) / (2.0 * h),
                    (3.0 * p0.y - 4.0 * p1.y + p2.y) / (2.0 * h)};
        }
        const NetPoint after = At(t + h);
        const NetPoint before = At(t - h);
        return {(after.x - before.x) / (2.0 * h), (after.y - before.y) / (2.0 * h)};
    }

private:
    int plotType_;
    Projection projection_;
    double baseInc_;
    double axisDec_;
    double tilt_;
};

// The height z = sin(inclination) along the circle is a + b cos(t - t0): the
// rotated circle's vectors are linear in (cos t, sin t), so four points
// give it.
struct Height {
    double A = 0.0;
    double B = 0.0;
    double T0 = 0.0; // degrees

    double At(double t) const { return A + B * std::cos((t - T0) * kDegToRad); }
};

Height HeightOf(const ProjectedCircle& circle) {
    std::array<double, 4> z{};
    for (std::size_t k = 0; k < z.size(); ++k) {
        z[k] = std::sin(circle.Direction(90.0 * static_cast<double>(k)).Inc * kDegToRad);
    }
    const double c = (z[0] - z[2]) / 2.0;
    const double s = (z[1] - z[3]) / 2.0;
    return {(z[0] + z[1] + z[2] + z[3]) / 4.0, std::hypot(c, s), std::atan2(s, c) * kRadToDeg};
}

// Cubic pieces of one part of the curve that stays in one hemisphere.
class PieceMaker {
public:
    PieceMaker(const ProjectedCircle& circle, double tolerance, std::vector<NetCubic>& out)
        : circle_(circle), tolerance_(tolerance), out_(out) {}

    void Arc(double from, double to) {
        if (!(to > from)) {
            return;
        }
        const int count = std::max(1, static_cast<int>(std::ceil((to - from) / kLongestPiece)));
        double t0 = from;
        NetPoint p0 = circle_.At(from);
        NetPoint d0 = circle_.Slope(from, from, to);
        for (int i = 1; i <= count; ++i) {
            const double t1 = i == count ? to : from + (to - from) * i / count;
            const NetPoint p1 = circle_.At(t1);
            const NetPoint d1 = circle_.Slope(t1, from, to);
            Piece(t0, p0, d0, t1, p1, d1, from, to, 0);
            t0 = t1;
            p0 = p1;
            d0 = d1;
        }
    }

private:
    // The cubic with the curve's ends and slopes (Hermite's), checked against
    // the curve at a quarter, half and three quarters of the way; halved
    // while it strays further than the tolerance.
    void Piece(double t0, const NetPoint& p0, const NetPoint& d0, double t1, const NetPoint& p1,
               const NetPoint& d1, double from, double to, int depth) {
        const double span = t1 - t0;
        const NetCubic cubic{Along(p0, d0, span / 3.0), Along(p1, d1, -span / 3.0), p1};
        double worst = 0.0;
        for (const double s : {0.25, 0.5, 0.75}) {
            worst =
                std::max(worst, Distance(circle_.At(t0 + s * span), PointOnCubic(p0, cubic, s)));
        }
        if (worst <= tolerance_ || depth >= kMaxDepth) {
            out_.push_back(cubic);
            return;
        }
        const double tm = t0 + span / 2.0;
        const NetPoint pm = circle_.At(tm);
        const NetPoint dm = circle_.Slope(tm, from, to);
        Piece(t0, p0, d0, tm, pm, dm, from, to, depth + 1);
        Piece(tm, pm, dm, t1, p1, d1, from, to, depth + 1);
    }

    const ProjectedCircle& circle_;
    double tolerance_;
    std::vector<NetCubic>& out_;
};

double Normalized(double degrees) {
    const double t = std::fmod(degrees, 360.0);
    return t < 0.0 ? t + 360.0 : t;
}

} // namespace

std::vector<CurveRun> CircleCurveRuns(const PlotGeometry& geometry, int plotType, double dec,
                                      double inc, double rho, bool lowerHemisphereOnly,
                                      Projection projection) {
    // The raster's dots of such a circle fall far outside any picture.
    if (!std::isfinite(dec) || !std::isfinite(inc) || !std::isfinite(rho)) {
        return {};
    }
    const ProjectedCircle circle(plotType, projection, dec, inc, rho);
    const Height height = HeightOf(circle);

    // Where the circle meets the horizon: the corners of a folded circle and
    // the ends of a lower half.
    std::vector<double> crossings;
    if (height.B > kFlat && std::fabs(height.A) < height.B) {
        const double w = std::acos(-height.A / height.B) * kRadToDeg;
        crossings = {Normalized(height.T0 - w), Normalized(height.T0 + w)};
        std::sort(crossings.begin(), crossings.end());
    }

    // The parts of the curve, in order along it, as intervals of t.
    std::vector<std::pair<double, double>> arcs;
    bool closed = false;
    if (crossings.empty()) {
        if (lowerHemisphereOnly && height.A < -kFlat) {
            return {};
        }
        arcs = {{0.0, 360.0}};
        closed = true;
    } else if (!lowerHemisphereOnly) {
        arcs = {{crossings[0], crossings[1]}, {crossings[1], crossings[0] + 360.0}};
        closed = true;
    } else if (height.At((crossings[0] + crossings[1]) / 2.0) >= 0.0) {
        arcs = {{crossings[0], crossings[1]}};
    } else {
        arcs = {{crossings[1], crossings[0] + 360.0}};
    }

    CurveRun run;
    run.Start = circle.At(arcs.front().first);
    run.Closed = closed;
    if (crossings.empty() && Distance(circle.At(90.0), run.Start) < kSamePoint &&
        Distance(circle.At(180.0), run.Start) < kSamePoint &&
        Distance(circle.At(270.0), run.Start) < kSamePoint) {
        run.Closed = false;
        return {run};
    }
    const double tolerance = kCurveTolerance / std::max(1, geometry.Radius);
    PieceMaker maker(circle, tolerance, run.Pieces);
    for (const auto& [from, to] : arcs) {
        maker.Arc(from, to);
    }
    if (closed && !run.Pieces.empty()) {
        run.Pieces.back().End = run.Start;
    }
    return {run};
}

void DrawCircleCurve(Canvas& canvas, const PlotGeometry& geometry, int plotType, double dec,
                     double inc, double rho, bool lowerHemisphereOnly, Projection projection) {
    for (const CurveRun& run :
         CircleCurveRuns(geometry, plotType, dec, inc, rho, lowerHemisphereOnly, projection)) {
        canvas.NetCurve(geometry, run.Start, run.Pieces.data(), static_cast<int>(run.Pieces.size()),
                        run.Closed);
    }
}
