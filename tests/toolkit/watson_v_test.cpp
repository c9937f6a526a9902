#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "fisher.h"
#include "sums_of.h"
#include "watson_v.h"

namespace {

using DecInc = std::vector<std::pair<double, double>>;

// A critical value as the caller's cache would hold it for these two sets.
WatsonVCritical CachedFor(const DirectionSums& first, const DirectionSums& second, double value) {
    return {first.N, *FisherSummaryOf(first).K, second.N, *FisherSummaryOf(second).K, 0, 1, value};
}

TEST(WatsonVTest, StatisticMatchesThePublishedFormulas) {
    // tests/toolkit/reference/watson_v_reference.py statistic: McFadden and
    // McElhinny's (1990) formulas taken literally at 40 digits, for the
    // V_critical given here (passed in as a cached value, so no simulation).
    const DecInc tight = {{350, 45}, {10, 50}, {5, 38}, {20, 55}};
    const DecInc turned = {{5.487104659, 46.9529621014}, {355, 40}, {10, 52}, {20, 47}};
    const DecInc north = {{0, 30}, {10, 35}, {355, 25}, {5, 40}, {2, 28}};
    const DecInc northEast = {{40, 50}, {50, 45}, {45, 55}, {35, 48}};
    const DecInc scattered = {{0, 0}, {120, 10}, {240, -5}};
    const DecInc scattered2 = {{60, 20}, {180, 0}, {300, 10}};
    const DecInc tight2 = {{60, 20}, {62, 22}, {58, 19}, {61, 18}};
    struct Case {
        const char* name;
        const DecInc& first;
        const DecInc& second;
        double vCritical, vw, gamma, gammaCritical;
        ReversalClass expectedClass;
    };
    const Case cases[] = {
        {"normal and turned reversed", tight, turned, 7.5, 0.0701179535656527, 1.32592355566193,
         13.7223979819217, ReversalClass::C},
        {"two distinct means", north, northEast, 6.8, 116.562851192075, 34.8947875399647,
         8.39599775164342, ReversalClass::Negative},
        {"two scattered sets, argument clamped to 1", scattered, scattered2, 6.5,
         0.00180459958652878, 10.625752582479, 0.0, ReversalClass::A},
        {"scattered and tight sets, argument clamped to -1", scattered, tight2, 6.5,
         0.085088268895185, 72.9912939185438, 180.0, ReversalClass::Indeterminate},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DirectionSums first = SumsOf(c.first);
        const DirectionSums second = SumsOf(c.second);
        const WatsonVCritical cached = CachedFor(first, second, c.vCritical);
        const WatsonVTestResult t = WatsonVTest(first, second, &cached);
        ASSERT_TRUE(t.Available);
        EXPECT_EQ(t.Reason, "");
        // The reference prints fifteen significant digits; 1e-9 relative is
        // far beyond the six asked for and far above the double rounding.
        EXPECT_NEAR(t.Vw, c.vw, 1e-9 * c.vw);
        EXPECT_NEAR(t.Gamma, c.gamma, 1e-9 * c.gamma);
        EXPECT_NEAR(t.GammaCritical, c.gammaCritical, 1e-9 * c.gammaCritical + 1e-9);
        EXPECT_EQ(t.Critical.Value, c.vCritical);
        EXPECT_EQ(t.Class, c.expectedClass);
    }
}

TEST(SimulateWatsonVCritical, AgreesWithAnIndependentMonteCarlo) {
    // tests/toolkit/reference/watson_v_reference.py critical 20: another
    // generator, another form of the Fisher deviate, another common mean. The
    // mean of 20 seeds' V_critical, and their standard deviation, the scatter
    // of one 5000-pair estimate; three of those are allowed for the value a
    // caller gets. The mean of eight more seeds must come three standard
    // errors close, which catches smaller biases: using the true k instead of
    // each simulated set's estimate moves the value by 3.5 to 12 scatters
    // (--true-k).
    struct Case {
        int n1;
        double k1;
        int n2;
        double k2;
        double mean, scatter;
    };
    const Case cases[] = {
        {10, 20, 15, 50, 6.69590, 0.20385},
        {5, 5, 8, 10, 7.49447, 0.17186},
        {30, 100, 25, 40, 6.27348, 0.16481},
        {2, 3, 3, 1.5, 10.18213, 0.36606},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.n1 << ", " << c.k1 << ", " << c.n2 << ", " << c.k2);
        const WatsonVCritical critical = SimulateWatsonVCritical(c.n1, c.k1, c.n2, c.k2);
        EXPECT_EQ(critical.Simulations, 5000);
        EXPECT_NEAR(critical.Value, c.mean, 3 * c.scatter);
        double sum = 0;
        for (std::uint64_t seed = 1; seed <= 8; ++seed) {
            sum += SimulateWatsonVCritical(c.n1, c.k1, c.n2, c.k2, seed).Value;
        }
        EXPECT_NEAR(sum / 8, c.mean, 3 * c.scatter * std::sqrt(1.0 / 8 + 1.0 / 20));
    }
}

TEST(SimulateWatsonVCritical, LargeKKeepsItsDigits) {
    // For large k every deviate's angle scales as 1 / sqrt(k) and V_w does
    // not change, so the same seed must give the same value at k = 1e4 and
    // 1e14, where N - R is about 1e-14 N: taken from plain sums of unit
    // vectors it would carry a rounding error of about 1% and V_critical
    // with it.
    for (const auto& [n1, n2] : {std::pair{2, 3}, std::pair{10, 15}}) {
        SCOPED_TRACE(testing::Message() << n1 << ", " << n2);
        const double moderate = SimulateWatsonVCritical(n1, 1e4, n2, 5e4).Value;
        const double large = SimulateWatsonVCritical(n1, 1e14, n2, 5e14).Value;
        EXPECT_NEAR(large, moderate, 1e-4 * moderate);
    }
}

TEST(WatsonVTest, SameNumbersOnEveryRunAndFromTheCache) {
    const DirectionSums first = SumsOf({{350, 45}, {10, 50}, {5, 38}, {20, 55}});
    const DirectionSums second = SumsOf({{15, 40}, {355, 40}, {10, 52}, {20, 47}, {0, 44}});
    const WatsonVTestResult a = WatsonVTest(first, second);
    const WatsonVTestResult b = WatsonVTest(first, second);
    ASSERT_TRUE(a.Available);
    EXPECT_EQ(a.Critical.Simulations, 5000);
    EXPECT_EQ(a.Critical.Value, b.Critical.Value);
    EXPECT_EQ(a.Vw, b.Vw);
    EXPECT_EQ(a.GammaCritical, b.GammaCritical);
    // Handed back, the critical value is reused as it is.
    WatsonVCritical cached = a.Critical;
    cached.Value = 1.0;
    EXPECT_EQ(WatsonVTest(first, second, &cached).Critical.Value, 1.0);
    // Simulated for other data, it is not: the simulation runs again.
    cached.K1 = a.Critical.K1 * 2;
    EXPECT_EQ(WatsonVTest(first, second, &cached).Critical.Value, a.Critical.Value);
}

TEST(WatsonVTest, NotAvailableWithAReason) {
    const DecInc good = {{0, 30}, {10, 35}, {355, 25}};
    struct Case {
        const char* name;
        DecInc second;
        std::string_view reason;
    };
    const Case cases[] = {
        {"one datum", {{10, 20}}, "a set has fewer than two data"},
        {"identical data",
         {{45, 45},
          {45, 45},
          {45, 45},
          {45, 45},
          {45, 45},
          {45, 45},
          {45, 45},
          {45, 45},
          {45, 45},
          {45, 45}},
         "a set's data are identical within rounding, so its k is infinite"},
        {"cancelling data",
         {{0, 0}, {180, 0}, {-180, 0}, {0, 0}},
         "a set's resultant is zero, so its mean is undefined"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const WatsonVTestResult t = WatsonVTest(SumsOf(good), SumsOf(c.second));
        EXPECT_FALSE(t.Available);
        EXPECT_EQ(t.Reason, c.reason);
        EXPECT_EQ(t.Critical.Simulations, 0);
    }
}

TEST(ReversalClassOf, Boundaries) {
    struct Case {
        double vw, vCritical, gammaCritical;
        ReversalClass expected;
        std::string_view name;
    };
    const Case cases[] = {
        {1, 6, 4.999999, ReversalClass::A, "A"},
        {1, 6, 5, ReversalClass::B, "B"},
        {1, 6, 10, ReversalClass::C, "C"},
        {1, 6, 20, ReversalClass::Indeterminate, "indeterminate"},
        {6, 6, 1, ReversalClass::A, "A"},
        {6.000001, 6, 1, ReversalClass::Negative, "negative"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.vw << " " << c.gammaCritical);
        EXPECT_EQ(ReversalClassOf(c.vw, c.vCritical, c.gammaCritical), c.expected);
        EXPECT_EQ(ReversalClassName(c.expected), c.name);
    }
}

} // namespace
