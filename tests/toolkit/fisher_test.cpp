#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "angles.h"
#include "fisher.h"
#include "floating_point_fault.h"
#include "sums_of.h"

namespace {

TEST(FisherBlock, PublishedExamples) {
    struct Case {
        const char* name;
        std::vector<std::pair<double, double>> data;
        double meanDec, meanInc, r, k, a95;
        double rTolerance, kTolerance; // half a unit of the last printed digit
    };
    const Case cases[] = {
        {"three close data",
         {{0, 45}, {10, 50}, {350, 40}},
         359.4145,
         45.2898,
         2.977370,
         88.3797,
         13.1922,
         0.5e-6,
         0.5e-4},
        {"five scattered data",
         {{10, 20}, {60, 35}, {110, 30}, {160, 10}, {200, -15}},
         115.1364,
         35.4314,
         2.294916,
         1.478697,
         108.2992,
         0.5e-6,
         0.5e-6},
        {"two data either side of north",
         {{350, 40}, {10, 40}},
         0.0,
         40.4325,
         1.982226,
         56.2623,
         33.9388,
         0.5e-6,
         0.5e-4},
        {"two data, p = 20",
         {{0, 10}, {20, 10}},
         10.0000,
         10.1511,
         1.970539,
         33.9427,
         44.2804,
         0.5e-6,
         0.5e-4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FisherResult f = FisherBlock(SumsOf(c.data));
        EXPECT_NEAR(f.MeanDec, c.meanDec, 0.5e-4);
        EXPECT_NEAR(f.MeanInc, c.meanInc, 0.5e-4);
        EXPECT_NEAR(f.R, c.r, c.rTolerance);
        EXPECT_NEAR(f.K, c.k, c.kTolerance);
        EXPECT_NEAR(f.A95, c.a95, 0.5e-4);
    }
}

TEST(FisherBlock, IntermediatesOfTheThreeDataExample) {
    const DirectionSums sums = SumsOf({{0, 45}, {10, 50}, {350, 40}});
    EXPECT_EQ(sums.N, 3);
    EXPECT_NEAR(sums.Sx, 2.094536, 0.5e-6);
    EXPECT_NEAR(sums.Sy, -0.021403, 0.5e-6);
    EXPECT_NEAR(sums.Sz, 2.115939, 0.5e-6);
    // The trace of the product sums is N: each datum has unit length.
    EXPECT_NEAR(sums.Sxx + sums.Syy + sums.Szz, 3.0, 1e-14);
    const FisherResult f = FisherBlock(sums);
    EXPECT_NEAR(sums.N - f.R, 0.022630, 0.5e-6);
    const double p = PowerOf(20, 1.0 / (sums.N - 1));
    EXPECT_NEAR(p, 4.472136, 0.5e-6);
    const double argument = 1 - (p - 1) * ((sums.N - f.R) / f.R);
    EXPECT_NEAR(argument, 0.973610, 0.5e-6);
    EXPECT_NEAR(ClampedArcCos(argument), 0.230248, 0.5e-6);
    EXPECT_NEAR(f.A95, ClampedArcCos(argument) * 57.29577951308232, 1e-12);
}

TEST(FisherBlock, OppositeDataGiveTheWidestCone) {
    // sin 180 degrees is not 0, so R is about 1.2e-16 rather than 0.
    const FisherResult f = FisherBlock(SumsOf({{0, 0}, {180, 0}}));
    EXPECT_GT(f.R, 0.0);
    EXPECT_LT(f.R, 1e-15);
    EXPECT_NEAR(f.MeanDec, 90, 1e-9);
    EXPECT_NEAR(f.MeanInc, 0, 1e-9);
    EXPECT_NEAR(f.K, 0.5, 1e-12);
    EXPECT_NEAR(f.A95, 180, 1e-12);
}

TEST(FisherBlock, IdenticalDataAreNoFault) {
    const FisherResult f = FisherBlock(SumsOf({{0, 0}, {0, 0}}));
    EXPECT_EQ(f.R, 2.0);
    EXPECT_EQ(f.K, INFINITY);
    EXPECT_EQ(f.A95, 0.0);
    EXPECT_EQ(f.MeanDec, 0.0);
    EXPECT_EQ(f.MeanInc, 0.0);

    // Other repeated directions may leave N - R a rounding error away from 0.
    const FisherResult g = FisherBlock(SumsOf({{123, 45}, {123, 45}, {123, 45}}));
    EXPECT_NEAR(g.MeanDec, 123, 1e-9);
    EXPECT_NEAR(g.MeanInc, 45, 1e-9);
    EXPECT_GT(g.K, 1e12);
    EXPECT_LT(g.A95, 1e-5);
}

TEST(FisherBlock, RepeatedDirectionsHaveInfiniteKWhateverTheRounding) {
    // Plain sums of repeated unit vectors can leave R a little above N; the
    // data are still identical.
    struct Case {
        const char* name;
        double dec, inc;
        int n;
        double meanTolerance; // the summation's error, about N u radians
    };
    const Case cases[] = {
        {"ten at 45/45", 45, 45, 10, 1e-9},
        {"ten million at 10/20", 10, 20, 10'000'000, 1e-7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DirectionSums sums;
        for (int i = 0; i < c.n; ++i) {
            sums.Accumulate(c.dec, c.inc);
        }
        const FisherResult f = FisherBlock(sums);
        EXPECT_EQ(f.R, c.n);
        EXPECT_EQ(f.K, INFINITY);
        EXPECT_EQ(f.A95, 0.0);
        EXPECT_NEAR(f.MeanDec, c.dec, c.meanTolerance);
        EXPECT_NEAR(f.MeanInc, c.inc, c.meanTolerance);
    }
}

TEST(FisherBlock, NearlyIdenticalDataKeepAFiniteK) {
    // 0.001 degrees apart: N - R = 7.6154e-11, far above its rounding error of
    // about 1e-15. mpmath at 40 digits (tests/toolkit/reference/fisher_reference.py);
    // the relative tolerance covers that rounding error of N - R.
    const FisherResult f = FisherBlock(SumsOf({{10, 20}, {10, 20.001}}));
    EXPECT_NEAR(f.K, 13131225400.098, 13131225400.098 * 1e-4);
    EXPECT_NEAR(f.A95, 0.00217944947194, 0.00217944947194 * 1e-4);
    EXPECT_LT(f.R, 2.0);
}

TEST(FisherBlock, CancellingDataAreNoFault) {
    // +-180 degrees have sines of opposite sign, so every component cancels.
    const DirectionSums sums = SumsOf({{0, 0}, {180, 0}, {-180, 0}, {0, 0}});
    ASSERT_EQ(sums.Sx, 0.0);
    ASSERT_EQ(sums.Sy, 0.0);
    ASSERT_EQ(sums.Sz, 0.0);
    const FisherResult f = FisherBlock(sums);
    EXPECT_EQ(f.R, 0.0);
    EXPECT_EQ(f.K, 0.75); // (N - 1) / N
    EXPECT_NEAR(f.A95, 180, 1e-12);
    EXPECT_EQ(f.MeanInc, 90.0); // the answer for the zero vector
    EXPECT_EQ(f.MeanDec, 90.0);
}

TEST(FisherBlock, FewerThanTwoDataHaveNoStatistics) {
    for (const DirectionSums& sums : {SumsOf({}), SumsOf({{10, 20}})}) {
        EXPECT_THROW(FisherBlock(sums), FloatingPointFault);
    }
}

TEST(FisherSummaryOf, LimitsAreValuesNotFaults) {
    DirectionSums tenIdentical;
    for (int i = 0; i < 10; ++i) {
        tenIdentical.Accumulate(45, 45);
    }
    struct Case {
        const char* name;
        DirectionSums sums;
        bool hasMean;
        double r, k, a95;
    };
    const Case cases[] = {
        {"identical", tenIdentical, true, 10, INFINITY, 0},
        {"cancelling", SumsOf({{0, 0}, {180, 0}, {-180, 0}, {0, 0}}), false, 0, 0.75, 180},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FisherSummary s = FisherSummaryOf(c.sums);
        EXPECT_EQ(s.MeanDec.has_value(), c.hasMean);
        EXPECT_EQ(s.MeanInc.has_value(), c.hasMean);
        EXPECT_EQ(s.R, c.r);
        EXPECT_EQ(s.K, c.k);
        EXPECT_NEAR(s.A95.value_or(-1), c.a95, 1e-12);
    }
}

TEST(DirectionSums, ResetClearsCountAndSums) {
    DirectionSums sums = SumsOf({{10, 20}, {30, 40}});
    sums.Reset();
    sums.Accumulate(90, 0);
    EXPECT_EQ(sums.N, 1);
    EXPECT_NEAR(sums.Sy, 1.0, 1e-15);
    EXPECT_NEAR(sums.Syy, 1.0, 1e-15);
    EXPECT_NEAR(sums.Sx + sums.Sz + sums.Sxx + sums.Szz + sums.Sxy + sums.Sxz + sums.Syz, 0.0,
                1e-15);
}

} // namespace
