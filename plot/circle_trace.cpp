#include "circle_trace.h"

#include <QColor>

#include <cmath>

#include "angles.h"
#include "canvas.h"
#include "equal_area.h"
#include "plot_geometry.h"
#include "plot_pass.h"
#include "small_circle.h"

namespace {

// Sine and cosine of the whole-degree position angles, computed as the
// direction-to-vector conversion computes them.
struct AngleTable {
    std::array<double, 360> Cos{};
    std::array<double, 360> Sin{};
    AngleTable() {
        for (int j = 0; j < 360; ++j) {
            const double d = static_cast<double>(j) * kDegToRad;
            Cos[static_cast<std::size_t>(j)] = std::cos(d);
            Sin[static_cast<std::size_t>(j)] = std::sin(d);
        }
    }
};

const AngleTable& Angles() {
    static const AngleTable table;
    return table;
}

} // namespace

int CirclePixels(const PlotGeometry& geometry, int plotType, double dec, double inc, double rho,
                 bool lowerHemisphereOnly, CirclePixelList& out) {
    // Base points: the circle of radius rho about straight down. Their vectors
    // and the rotation are formed exactly as SmallCirclePoint forms them, so
    // the hemisphere of every point is decided on the same bits.
    const double baseInc = (90.0 - rho) * kDegToRad;
    const double baseH = 1.0 * std::cos(baseInc);
    const double baseZ = 1.0 * std::sin(baseInc);
    const double a = (dec - 90.0) * kDegToRad;
    const double b = (90.0 - inc) * kDegToRad;
    const double sa = std::sin(a);
    const double ca = std::cos(a);
    const double sb = std::sin(b);
    const double cb = std::cos(b);
    const double m00 = sa * sa * cb + ca * ca;
    const double m01 = sa * ca * (1.0 - cb);
    const double m02 = sa * sb;
    const double m11 = sa * sa + ca * ca * cb;
    const double m12 = ca * sb;
    const double m21 = ca * sb;

    // Equal-area radius from the vector: K cos((|I| + 90)/2) = K sqrt((1 - sin|I|)/2)
    // = K h / sqrt(2 len (len + |z|)), and sin D = y/h, cos D = x/h; no
    // trigonometry per point and no division by a vanishing h.
    constexpr double kFactor = 1.41421356237;
    const double mirror = plotType == 1 ? -1.0 : 1.0;
    const AngleTable& angles = Angles();
    int count = 0;
    for (std::size_t j = 0; j < 360; ++j) {
        const double vx = baseH * angles.Cos[j];
        const double vy = baseH * angles.Sin[j];
        const double x = m00 * vx + m01 * vy - m02 * baseZ;
        const double y = m01 * vx + m11 * vy + m12 * baseZ;
        const double z = m02 * vx - m21 * vy + cb * baseZ;
        if (lowerHemisphereOnly) {
            // The inclination's sign as VectorToDirection finds it.
            const double h = std::sqrt(x * x + y * y);
            if (h > 0.0 ? z / h < 0.0 : z < 0.0) {
                continue;
            }
        }
        const double len = std::sqrt(x * x + y * y + z * z);
        const double scale = kFactor / std::sqrt(2.0 * len * (len + std::fabs(z)));
        out[static_cast<std::size_t>(count)] =
            QPoint(UnitToPixelX(geometry, mirror * (scale * y)), UnitToPixelY(geometry, scale * x));
        ++count;
    }
    return count;
}

int CirclePixelsDirect(const PlotGeometry& geometry, int plotType, double dec, double inc,
                       double rho, bool lowerHemisphereOnly, CirclePixelList& out) {
    int count = 0;
    for (int j = 0; j < 360; ++j) {
        const IncDec p = SmallCirclePoint(90.0 - rho, j, dec - 90.0, 90.0 - inc);
        if (lowerHemisphereOnly && p.Inc < 0.0) {
            continue;
        }
        const NetPoint n = ProjectEqualArea(p.Dec, p.Inc, plotType);
        out[static_cast<std::size_t>(count)] =
            QPoint(UnitToPixelX(geometry, n.x), UnitToPixelY(geometry, n.y));
        ++count;
    }
    return count;
}

void TraceCircle(Canvas& canvas, const PlotGeometry& geometry, int plotType, double dec, double inc,
                 double rho, bool lowerHemisphereOnly) {
    CirclePixelList pixels;
    const int count = CirclePixels(geometry, plotType, dec, inc, rho, lowerHemisphereOnly, pixels);
    canvas.SetPixels(pixels.data(), count, QColor(Qt::black));
}
