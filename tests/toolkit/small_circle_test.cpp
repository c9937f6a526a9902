#include <gtest/gtest.h>

#include <cmath>

#include "angles.h"
#include "small_circle.h"

namespace {

constexpr double kRadToDeg = 57.29577951308232;

// Angular distance in degrees between two directions.
double Distance(double dec1, double inc1, double dec2, double inc2) {
    const Vector3 a = DirectionToVector(inc1, dec1, 1);
    const Vector3 b = DirectionToVector(inc2, dec2, 1);
    const double dot = a.x * b.x + a.y * b.y + a.z * b.z;
    const double cross =
        std::hypot(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
    return std::atan2(cross, dot) * kRadToDeg;
}

// Point j of the circle of radius r about (dec, inc).
IncDec CirclePoint(double dec, double inc, double r, int j) {
    return SmallCirclePoint(90 - r, j, dec - 90, 90 - inc);
}

TEST(SmallCirclePoint, PublishedPoints) {
    struct Case {
        double dec, inc, r;
        int j;
        double pointDec, pointInc;
    };
    const Case cases[] = {
        {30, 60, 10, 0, 22.0616, 51.0483},      {30, 60, 10, 90, 44.8395, 54.0429},
        {30, 60, 10, 180, 43.4813, 68.1345},    {30, 60, 10, 270, 10.1783, 63.6734},
        {120, 30, 90, 0, 13.8979, 25.6589},     {120, 30, 90, 90, 70.8934, -48.5904},
        {120, 30, 90, 180, 193.8979, -25.6589}, {120, 30, 90, 270, 250.8934, 48.5904},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "r " << c.r << " j " << c.j);
        const IncDec p = CirclePoint(c.dec, c.inc, c.r, c.j);
        EXPECT_NEAR(p.Dec, c.pointDec, 0.5e-4); // four decimals printed
        EXPECT_NEAR(p.Inc, c.pointInc, 0.5e-4);
        EXPECT_NEAR(Distance(p.Dec, p.Inc, c.dec, c.inc), c.r, 1e-9);
    }
    // The rotated vector of j = 0 about (30, 60), r = 10.
    const IncDec p = CirclePoint(30, 60, 10, 0);
    const Vector3 v = DirectionToVector(p.Inc, p.Dec, 1);
    EXPECT_NEAR(v.x, 0.582634, 0.5e-6);
    EXPECT_NEAR(v.y, 0.236128, 0.5e-6);
    EXPECT_NEAR(v.z, 0.777677, 0.5e-6);
}

TEST(SmallCirclePoint, EveryPointLiesAtTheRadius) {
    struct Case {
        double dec, inc, r;
    };
    const Case cases[] = {{30, 60, 0},  {200, -40, 5}, {359, 0, 45}, {77, 90, 20},
                          {10, 30, 90}, {10, 30, 135}, {10, 30, -15}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dec << ", " << c.inc << " r " << c.r);
        for (int j = 0; j < 360; ++j) {
            const IncDec p = CirclePoint(c.dec, c.inc, c.r, j);
            ASSERT_NEAR(Distance(p.Dec, p.Inc, c.dec, c.inc), std::fabs(c.r), 1e-6) << j;
            ASSERT_GE(p.Dec, 0.0);
            ASSERT_LT(p.Dec, 360.0);
        }
    }
}

TEST(SmallCirclePoint, VerticalAxisNeedsNoRotation) {
    for (int j = 0; j < 360; j += 15) {
        const IncDec ring = CirclePoint(123, 90, 25, j); // any declination of the axis
        EXPECT_NEAR(Distance(ring.Dec, ring.Inc, j, 65), 0, 1e-6) << j;
        const IncDec primitive = CirclePoint(0, 90, 90, j);
        EXPECT_NEAR(primitive.Inc, 0, 1e-12) << j;
        EXPECT_NEAR(Distance(primitive.Dec, 0, j, 0), 0, 1e-6) << j;
    }
}

} // namespace
