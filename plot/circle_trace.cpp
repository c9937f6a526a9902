#include "circle_trace.h"

#include <algorithm>

#include <QColor>

#include <cmath>
#include <cstddef>

#include "angles.h"
#include "canvas.h"
#include "circle_path.h"
#include "equal_area.h"
#include "plot_geometry.h"
#include "plot_pass.h"
#include "processor_level.h"
#include "small_circle.h"

namespace {

constexpr std::size_t kPoints = 360;

// Sine and cosine of the whole-degree position angles, computed as the
// direction-to-vector conversion computes them.
struct AngleTable {
    alignas(64) std::array<double, kPoints> Cos{};
    alignas(64) std::array<double, kPoints> Sin{};
    AngleTable() {
        for (std::size_t j = 0; j < kPoints; ++j) {
            const double d = static_cast<double>(j) * kDegToRad;
            Cos[j] = std::cos(d);
            Sin[j] = std::sin(d);
        }
    }
};

const AngleTable& Angles() {
    static const AngleTable table;
    return table;
}

// RoundHalfEven as a double, written with selects only so that a loop over
// it vectorises; the same integer for every double, NaN included.
inline double RoundedHalfEven(double value) {
    constexpr double kFarAway = 1073741824.0; // 2^30
    constexpr double kShift = 6755399441055744.0;
    const double rounded = (value + kShift) - kShift;
    const double low = value < -kFarAway ? -kFarAway : rounded;
    return value < kFarAway ? low : kFarAway;
}

// All 360 pixels of a circle, structure of arrays: whole-number columns and
// rows (doubles, since the compiler converts doubles to integers in vectors
// only on some processors), and 1 for a point that is drawn, else 0.
struct CirclePoints {
    alignas(64) std::array<double, kPoints> X;
    alignas(64) std::array<double, kPoints> Y;
    alignas(64) std::array<double, kPoints> Drawn;
};

// One circle's rotation and pixel mapping, set up once: the rotated base
// point j is (m00 vx + m01 vy - xz, m01 vx + m11 vy + yz, m02 vx - m21 vy + zz)
// with (vx, vy) = baseH (cos j, sin j).
struct CircleFrame {
    double BaseH, M00, M01, M02, M11, M21, Xz, Yz, Zz;
    double Mirror, Radius, CentreX, CentreY;
    double LowestZ; // points with z below it are not drawn
};

CircleFrame FrameOf(const PlotGeometry& geometry, int plotType, double dec, double inc, double rho,
                    bool lowerHemisphereOnly) {
    // Base points: the circle of radius rho about straight down. Their vectors
    // and the rotation are formed exactly as SmallCirclePoint forms them, so
    // the hemisphere of every point is decided on the same bits.
    const double baseInc = (90.0 - rho) * kDegToRad;
    const double baseZ = 1.0 * std::sin(baseInc);
    const double a = (dec - 90.0) * kDegToRad;
    const double b = (90.0 - inc) * kDegToRad;
    const double sa = std::sin(a);
    const double ca = std::cos(a);
    const double sb = std::sin(b);
    const double cb = std::cos(b);
    CircleFrame f{};
    f.BaseH = 1.0 * std::cos(baseInc);
    f.M00 = sa * sa * cb + ca * ca;
    f.M01 = sa * ca * (1.0 - cb);
    f.M02 = sa * sb;
    f.M11 = sa * sa + ca * ca * cb;
    f.M21 = ca * sb;
    f.Xz = f.M02 * baseZ;
    f.Yz = ca * sb * baseZ;
    f.Zz = cb * baseZ;
    f.Mirror = plotType == 1 ? -1.0 : 1.0;
    f.Radius = geometry.Radius;
    f.CentreX = geometry.CentreX;
    f.CentreY = geometry.CentreY;
    // The sign of the inclination VectorToDirection finds is the sign of z.
    f.LowestZ = lowerHemisphereOnly ? 0.0 : -HUGE_VAL;
    return f;
}

// The loop body is branch-free over plain arrays, so the compiler turns it
// into vector code; it is compiled once for each net and processor level.
template <Projection Net>
inline __attribute__((always_inline)) void ProjectCirclePoints(const CircleFrame& frame,
                                                               CirclePoints& out) {
    // Equal-area radius from the unit vector: K cos((|I| + 90)/2) =
    // K sqrt((1 - |z|)/2) = K h / sqrt(2 (1 + |z|)), and sin D = y/h,
    // cos D = x/h, so the net point is (y, x) K / sqrt(2 (1 + |z|)): one
    // square root and one division, no trigonometry. The equal-angle radius
    // tan(t/2) = sin t / (1 + cos t) = h / (1 + |z|) gives (y, x) / (1 + |z|).
    // The vector's length differs from 1 only in the last bits.
    constexpr double kFactor = 1.41421356237;
    const AngleTable& angles = Angles();
    // A local copy: the compiler need not fear that the output overwrites it.
    const CircleFrame f = frame;
    for (std::size_t j = 0; j < kPoints; ++j) {
        const double vx = f.BaseH * angles.Cos[j];
        const double vy = f.BaseH * angles.Sin[j];
        const double x = f.M00 * vx + f.M01 * vy - f.Xz;
        const double y = f.M01 * vx + f.M11 * vy + f.Yz;
        const double z = f.M02 * vx - f.M21 * vy + f.Zz;
        double scale;
        if constexpr (Net == Projection::EqualArea) {
            scale = kFactor / std::sqrt(2.0 * (1.0 + std::fabs(z)));
        } else {
            scale = 1.0 / (1.0 + std::fabs(z));
        }
        out.X[j] = f.CentreX + RoundedHalfEven(f.Radius * (f.Mirror * (scale * y)));
        out.Y[j] = f.CentreY - RoundedHalfEven(f.Radius * (scale * x));
        out.Drawn[j] = z < f.LowestZ ? 0.0 : 1.0;
    }
}

using ProjectFunction = void (*)(const CircleFrame&, CirclePoints&);

// The loop of each net.
struct ProjectFunctions {
    ProjectFunction EqualArea;
    ProjectFunction EqualAngle;
};

template <Projection Net> void ProjectBaseline(const CircleFrame& frame, CirclePoints& out) {
    ProjectCirclePoints<Net>(frame, out);
}

// The widest copy the processor runs, chosen once at the first circle.
#if defined(__x86_64__)
template <Projection Net>
__attribute__((target("avx2"))) void ProjectAvx2(const CircleFrame& frame, CirclePoints& out) {
    ProjectCirclePoints<Net>(frame, out);
}

template <Projection Net>
__attribute__((target("avx512f"))) void ProjectAvx512(const CircleFrame& frame, CirclePoints& out) {
    ProjectCirclePoints<Net>(frame, out);
}
#endif

template <Projection Net> ProjectFunction ProjectFor() {
#if defined(__x86_64__)
    return ForThisProcessor<ProjectFunction>(ProjectBaseline<Net>, ProjectAvx2<Net>,
                                             ProjectAvx512<Net>);
#else
    return ProjectBaseline<Net>;
#endif
}

ProjectFunctions ChooseProject() {
    return {ProjectFor<Projection::EqualArea>(), ProjectFor<Projection::EqualAngle>()};
}

void ComputeCirclePoints(const PlotGeometry& geometry, int plotType, double dec, double inc,
                         double rho, bool lowerHemisphereOnly, Projection projection,
                         CirclePoints& out) {
    static const ProjectFunctions project = ChooseProject();
    const ProjectFunction net =
        projection == Projection::EqualAngle ? project.EqualAngle : project.EqualArea;
    net(FrameOf(geometry, plotType, dec, inc, rho, lowerHemisphereOnly), out);
}

} // namespace

int CirclePixels(const PlotGeometry& geometry, int plotType, double dec, double inc, double rho,
                 bool lowerHemisphereOnly, CirclePixelList& out, Projection projection) {
    CirclePoints points;
    ComputeCirclePoints(geometry, plotType, dec, inc, rho, lowerHemisphereOnly, projection, points);
    int count = 0;
    for (std::size_t j = 0; j < kPoints; ++j) {
        out[static_cast<std::size_t>(count)] =
            QPoint(static_cast<int>(points.X[j]), static_cast<int>(points.Y[j]));
        count += points.Drawn[j] != 0.0 ? 1 : 0;
    }
    return count;
}

int CirclePixelsDirect(const PlotGeometry& geometry, int plotType, double dec, double inc,
                       double rho, bool lowerHemisphereOnly, CirclePixelList& out,
                       Projection projection) {
    int count = 0;
    for (int j = 0; j < 360; ++j) {
        const IncDec p = SmallCirclePoint(90.0 - rho, j, dec - 90.0, 90.0 - inc);
        if (lowerHemisphereOnly && p.Inc < 0.0) {
            continue;
        }
        const NetPoint n = ProjectDirection(p.Dec, p.Inc, plotType, projection);
        out[static_cast<std::size_t>(count)] =
            QPoint(UnitToPixelX(geometry, n.x), UnitToPixelY(geometry, n.y));
        ++count;
    }
    return count;
}

namespace {

// Calls store(x, y) for every drawn point inside width x height.
template <typename Store>
void StoreCircle(const CirclePoints& points, int width, int height, Store store) {
    const auto w = static_cast<unsigned>(width);
    const auto h = static_cast<unsigned>(height);
    for (std::size_t j = 0; j < kPoints; ++j) {
        const int x = static_cast<int>(points.X[j]);
        const int y = static_cast<int>(points.Y[j]);
        if (points.Drawn[j] != 0.0 && static_cast<unsigned>(x) < w &&
            static_cast<unsigned>(y) < h) {
            store(x, y);
        }
    }
}

} // namespace

void SetCirclePixels(const BlackPixelRaster& raster, QRgb ink, const PlotGeometry& geometry,
                     int plotType, double dec, double inc, double rho, bool lowerHemisphereOnly,
                     Projection projection) {
    CirclePoints points;
    ComputeCirclePoints(geometry, plotType, dec, inc, rho, lowerHemisphereOnly, projection, points);
    QRgb* const bits = raster.Bits;
    const qsizetype stride = raster.Stride;
    const QRgb opaque = ink | 0xFF000000u;
    StoreCircle(points, raster.Width, raster.Height,
                [bits, stride, opaque](int x, int y) { bits[y * stride + x] = opaque; });
}

void SetCirclePixels(const PixelMask& mask, unsigned char value, const PlotGeometry& geometry,
                     int plotType, double dec, double inc, double rho, bool lowerHemisphereOnly,
                     Projection projection) {
    CirclePoints points;
    ComputeCirclePoints(geometry, plotType, dec, inc, rho, lowerHemisphereOnly, projection, points);
    unsigned char* const cells = mask.Cells;
    const qsizetype width = mask.Width;
    StoreCircle(points, mask.Width, mask.Height, [cells, width, value](int x, int y) {
        unsigned char& cell = cells[y * width + x];
        cell = std::max(cell, value);
    });
}

void TraceCircle(Canvas& canvas, const PlotGeometry& geometry, int plotType, double dec, double inc,
                 double rho, bool lowerHemisphereOnly, Projection projection) {
    if (canvas.DrawsExactCurves()) {
        DrawCircleCurve(canvas, geometry, plotType, dec, inc, rho, lowerHemisphereOnly, projection);
        return;
    }
    CirclePixelList pixels;
    const int count =
        CirclePixels(geometry, plotType, dec, inc, rho, lowerHemisphereOnly, pixels, projection);
    canvas.SetPixels(pixels.data(), count, canvas.InkColor());
}
