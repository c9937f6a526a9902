#include <gtest/gtest.h>

#include <cmath>

#include "angles.h"
#include "floating_point_fault.h"

namespace {

constexpr double kPi = 3.141592653589793;

TEST(VectorToDirection, DegenerateAndQuadrantCases) {
    struct Case {
        double x, y, z, inc, dec;
    };
    const Case cases[] = {
        {0, 0, 0, 90, 90},
        {0, 0, -1, -90, 90},
        {0, 1, 0, 0, 90},
        {0, -1, 0, 0, 270},
        {1, 0, 0, 0, 0},
        {-1, 0, 0, 0, 180},
        {1, -1, 0, 0, 315},
        {-1, -1, -1, -35.26439, 225},
        {2, 0, 2, 45, 0},
        {1, 0, 1, 45, 0},
        // Just west of north: -tiny + 360 rounds to 360, which becomes 0.
        {1, -1e-20, 0, 0, 0},
        {1, -1e-10, 0, 0, 360 - 1e-10 / kDegToRad},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y << ", " << c.z);
        const IncDec r = VectorToDirection(c.x, c.y, c.z);
        EXPECT_NEAR(r.Inc, c.inc, 0.5e-5); // table prints five decimals
        EXPECT_NEAR(r.Dec, c.dec, 1e-12);
    }
}

TEST(DirectionToVector, AxesAndTheInexactCosineOf90) {
    const Vector3 north = DirectionToVector(0, 0, 1);
    EXPECT_EQ(north.x, 1.0);
    EXPECT_EQ(north.y, 0.0);
    EXPECT_EQ(north.z, 0.0);
    const Vector3 down = DirectionToVector(90, 0, 1);
    EXPECT_NEAR(down.x, 6.1e-17, 0.05e-17);
    EXPECT_EQ(down.y, 0.0);
    EXPECT_EQ(down.z, 1.0);
    const Vector3 scaled = DirectionToVector(30, 60, 2);
    EXPECT_NEAR(std::sqrt(scaled.x * scaled.x + scaled.y * scaled.y + scaled.z * scaled.z), 2.0,
                1e-15);
}

TEST(DirectionToVector, RoundTripNormalisesTheDeclination) {
    struct Case {
        double inc, dec, length, backInc, backDec;
    };
    const Case cases[] = {
        {30, -30, 1, 30, 330},     {30, 390, 2, 30, 30},      {100, 0, 1, 80, 180},
        {-45, 200, 0.5, -45, 200}, {89.5, 123, 3, 89.5, 123}, {-90, 0, 1, -90, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "inc " << c.inc << " dec " << c.dec);
        const Vector3 v = DirectionToVector(c.inc, c.dec, c.length);
        const IncDec back = VectorToDirection(v.x, v.y, v.z);
        EXPECT_NEAR(back.Inc, c.backInc, 1e-9);
        EXPECT_NEAR(back.Dec, c.backDec, 1e-9);
    }
}

TEST(LowerHemisphereEnd, TurnsAnUpwardAxisRound) {
    struct Case {
        IncDec in, out;
    };
    const Case cases[] = {
        {{30, 200}, {30, 200}},
        {{0, 350}, {0, 350}},
        {{-30, 200}, {30, 20}},
        {{-30, 20}, {30, 200}},
        {{-30, 180}, {30, 0}},
        {{-90, 90}, {90, 270}},
        // The largest double below 180 plus 180 rounds to 360.
        {{-10, std::nextafter(180.0, 0.0)}, {10, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.in.Inc << ", " << c.in.Dec);
        const IncDec r = LowerHemisphereEnd(c.in);
        EXPECT_EQ(r.Inc, c.out.Inc);
        EXPECT_EQ(r.Dec, c.out.Dec);
    }
}

TEST(ClampedArcCos, ClampsBeyondOne) {
    const double cases[][2] = {{1, 0},       {1.5, 0},       {-1, kPi},           {-2, kPi},
                               {0, kPi / 2}, {0.5, kPi / 3}, {-0.5, 2 * kPi / 3}, {-INFINITY, kPi}};
    for (const auto& c : cases) {
        EXPECT_NEAR(ClampedArcCos(c[0]), c[1], 1e-15) << c[0];
    }
}

TEST(PowerOf, RealPowersAndFaults) {
    EXPECT_NEAR(PowerOf(20, 0.5), 4.472135955, 0.5e-9);
    EXPECT_NEAR(PowerOf(20, 1), 20, 1e-13);
    struct FaultCase {
        double base, exponent;
        FloatingPointFault::Kind kind;
        const char* message;
    };
    const FaultCase faults[] = {
        {0, 0.5, FloatingPointFault::Kind::DivisionByZero, "Floating point division by zero"},
        {-2, 0.5, FloatingPointFault::Kind::InvalidOperation, "Invalid floating point operation"},
        {10, 400, FloatingPointFault::Kind::Overflow, "Floating point overflow"},
    };
    for (const FaultCase& f : faults) {
        try {
            PowerOf(f.base, f.exponent);
            ADD_FAILURE() << "no fault for base " << f.base;
        } catch (const FloatingPointFault& e) {
            EXPECT_EQ(e.kind(), f.kind);
            EXPECT_STREQ(e.what(), f.message);
        }
    }
}

} // namespace
