#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "angles.h"
#include "density.h"

namespace {

Vector3 Unit(double dec, double inc) {
    return DirectionToVector(inc, dec, 1.0);
}

DensitySettings Settings(DensityMethod method, double sigma = 3.0) {
    DensitySettings s;
    s.Method = method;
    s.Sigma = sigma;
    return s;
}

// Expected values: tests/toolkit/reference/density_reference.py (40 digits).
TEST(DensityAt, ReferenceValues) {
    const std::vector<Vector3> site = {Unit(12, 41), Unit(18, 47), Unit(5, 38),    Unit(355, 52),
                                       Unit(20, 35), Unit(30, 44), Unit(200, -45), Unit(110, 5)};
    struct Row {
        double dec, inc, kamb, exponential, exponentialSigma15, onePercent;
    };
    const Row rows[] = {
        {15, 45, 4.95833333333, 9.48259206008, 10.6765525795, 37.5},
        {12, 41, 4.95833333333, 9.44605068796, 10.5703607399, 50.0},
        {90, 0, 0.708333333333, 1.62532162552, 0.966402206638, 0.0},
        // The antipode of (20, 40): axial data count alike at either end.
        {200, -40, 4.95833333333, 9.36628842744, 10.4054622294, 50.0},
        {300, 70, 4.95833333333, 3.48555817623, 1.07917570411, 0.0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.dec << " " << r.inc);
        const Vector3 p = Unit(r.dec, r.inc);
        EXPECT_NEAR(DensityAt(site, Settings(DensityMethod::Kamb), p), r.kamb, 1e-10);
        EXPECT_NEAR(DensityAt(site, Settings(DensityMethod::ExponentialKamb), p), r.exponential,
                    1e-10);
        EXPECT_NEAR(DensityAt(site, Settings(DensityMethod::ExponentialKamb, 1.5), p),
                    r.exponentialSigma15, 1e-10);
        EXPECT_NEAR(DensityAt(site, Settings(DensityMethod::OnePercentArea), p), r.onePercent,
                    1e-10);
    }
}

// One datum at sigma 3: a = 9/10 and sqrt(N a (1 - a)) = 0.3, so Kamb gives
// 1 / 0.3 = 10/3; f = 20/9 and sqrt(N (f/2 - 1) / f^2) = 0.15, so exponential
// Kamb gives 1 / 0.15 = 20/3, and 30 degrees away exp(f (cos 30 - 1)) / 0.15
// (reference script). N identical data fill the 1% circle: 100%.
TEST(DensityAt, SingleAndIdenticalData) {
    const std::vector<Vector3> one = {Unit(0, 90)};
    EXPECT_NEAR(DensityAt(one, Settings(DensityMethod::Kamb), Unit(0, 90)), 10.0 / 3.0, 1e-12);
    EXPECT_NEAR(DensityAt(one, Settings(DensityMethod::ExponentialKamb), Unit(0, 90)), 20.0 / 3.0,
                1e-12);
    EXPECT_NEAR(DensityAt(one, Settings(DensityMethod::ExponentialKamb), Unit(0, 60)),
                4.95005486304, 1e-10);
    for (const int n : {1, 7, 50}) {
        const std::vector<Vector3> same(static_cast<std::size_t>(n), Unit(123, -17));
        EXPECT_DOUBLE_EQ(DensityAt(same, Settings(DensityMethod::OnePercentArea), Unit(123, -17)),
                         100.0);
        EXPECT_DOUBLE_EQ(DensityAt(same, Settings(DensityMethod::OnePercentArea), Unit(303, 17)),
                         100.0);
    }
}

// Evenly spread data. Over the whole sphere the Kamb density averages exactly
// sigma for any data (each circle covers a of the sphere) and exponential Kamb
// sigma (1 - e^-f); for random uniform data either strays about 1 (their
// unit is that standard deviation). A Fibonacci lattice is far more even: the
// reference script finds exponential Kamb within 0.092 of sigma at 40 probes
// and Kamb within 0.994, three counts of its step of 0.33, since the counting
// circle of a lattice of 3000 holds 9 +- 3 points.
TEST(DensityAt, UniformDataNearSigma) {
    constexpr int kCount = 3000;
    const double golden = 3.141592653589793 * (3.0 - std::sqrt(5.0));
    std::vector<Vector3> lattice;
    for (int k = 0; k < kCount; ++k) {
        const double z = 1.0 - (2.0 * k + 1.0) / kCount;
        const double r = std::sqrt(1.0 - z * z);
        lattice.push_back({r * std::cos(golden * k), r * std::sin(golden * k), z});
    }
    for (int k = 0; k < 40; ++k) {
        SCOPED_TRACE(k);
        const Vector3 p = Unit(37.0 * k, 89.0 - 4.5 * k);
        EXPECT_NEAR(DensityAt(lattice, Settings(DensityMethod::ExponentialKamb), p), 3.0, 0.1);
        EXPECT_NEAR(DensityAt(lattice, Settings(DensityMethod::Kamb), p), 3.0, 1.0);
    }
}

TEST(DensitySettings, SigmaMustBeFiniteAndPositiveForKamb) {
    const std::vector<Vector3> data = {Unit(10, 20)};
    const double inf = std::numeric_limits<double>::infinity();
    for (const double sigma : {0.0, -1.0, inf, std::nan("")}) {
        SCOPED_TRACE(sigma);
        for (const DensityMethod m : {DensityMethod::Kamb, DensityMethod::ExponentialKamb}) {
            EXPECT_STREQ(DensitySettingsRefusal(Settings(m, sigma)),
                         "The Kamb densities need a finite sigma greater than 0");
            EXPECT_TRUE(std::isnan(DensityAt(data, Settings(m, sigma), Unit(10, 20))));
        }
        // 1% area has no sigma to refuse.
        EXPECT_EQ(DensitySettingsRefusal(Settings(DensityMethod::OnePercentArea, sigma)), nullptr);
    }
    EXPECT_STREQ(DensitySettingsRefusal(Settings(static_cast<DensityMethod>(7))),
                 "Unknown density method");
    EXPECT_EQ(DensityAt({}, Settings(DensityMethod::Kamb), Unit(0, 90)), 0.0);
    EXPECT_STREQ(DensityUnit(DensityMethod::Kamb), "sigma");
    EXPECT_STREQ(DensityUnit(DensityMethod::ExponentialKamb), "sigma");
    EXPECT_STREQ(DensityUnit(DensityMethod::OnePercentArea), "%");
}

} // namespace
