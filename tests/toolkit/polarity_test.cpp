#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "angles.h"
#include "fisher.h"
#include "polarity.h"

namespace {

struct Expected {
    int n;
    // NAN where the value does not exist.
    double dec, inc, r, k, a95;
};

// N for normal, R for reversed, datum by datum.
std::string ModesText(const PolaritySplit& split) {
    std::string text;
    for (Polarity p : split.Modes) {
        text += p == Polarity::Normal ? 'N' : 'R';
    }
    return text;
}

void ExpectSummary(const char* mode, const DirectionSums& sums, const Expected& e) {
    SCOPED_TRACE(mode);
    const FisherSummary s = FisherSummaryOf(sums);
    EXPECT_EQ(s.N, e.n);
    // The reference prints twelve significant digits.
    const auto expectValue = [](const std::optional<double>& value, double expected) {
        if (std::isnan(expected)) {
            EXPECT_FALSE(value.has_value());
        } else {
            ASSERT_TRUE(value.has_value());
            EXPECT_NEAR(*value, expected, 1e-9 * std::fmax(1.0, std::fabs(expected)));
        }
    };
    expectValue(s.MeanDec, e.dec);
    expectValue(s.MeanInc, e.inc);
    expectValue(s.R, e.r);
    expectValue(s.K, e.k);
    expectValue(s.A95, e.a95);
}

TEST(SeparatePolarities, MatchesTheReference) {
    // tests/toolkit/reference/polarity_reference.py: mpmath's eigen-solver at
    // 30 digits, the same rules for modes and names, Fisher (1953) per mode.
    struct Case {
        const char* name;
        std::vector<std::pair<double, double>> decInc;
        Vector3 north;
        std::string modes; // N normal, R reversed
        Expected normal, reversed, combined;
    };
    const Case cases[] = {
        {"mixed directions",
         {{350, 45}, {185, -40}, {10, 50}, {170, -52}, {5, 38}, {200, -47}, {20, 55}},
         {1, 0, 0},
         "NRNRNRN",
         {4, 5.46134974044, 47.4911651805, 3.94475128003, 54.2999005551, 12.5811428627},
         {3, 185.487104659, -46.9529621014, 2.95863591349, 48.3511221627, 17.9256384818},
         {7, 5.47245179488, 47.2605044747, 6.90331252739, 62.0556090493, 7.72252033668}},
        {"reversed directions only",
         {{180, -30}, {170, -35}, {190, -25}},
         {1, 0, 0},
         "RRR",
         {0, NAN, NAN, NAN, NAN, NAN},
         {3, 180.338026287, -30.2524410495, 2.96975523006, 66.1271354995, 15.2823079569},
         {3, 0.338026286967, 30.2524410495, 2.96975523006, 66.1271354995, 15.2823079569}},
        {"poles with one reversed",
         {{120, 80}, {200, 75}, {30, -70}, {300, 85}},
         {0, 0, 1},
         "NNRN",
         {3, 182.721499958, 84.4417689838, 2.96084937971, 51.084758939, 17.4290175014},
         {1, 30.0, -70.0, 1.0, NAN, NAN},
         {4, 197.581932209, 81.0629086155, 3.93438629775, 45.7221570638, 13.7339333113}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Vector3> data;
        for (const auto& [dec, inc] : c.decInc) {
            data.push_back(DirectionToVector(inc, dec, 1.0));
        }
        const PolaritySplit split = SeparatePolarities(data, c.north);
        EXPECT_EQ(ModesText(split), c.modes);
        ExpectSummary("normal", split.Normal, c.normal);
        ExpectSummary("reversed", split.Reversed, c.reversed);
        ExpectSummary("combined", split.Combined, c.combined);
        // The reversal test's second set is the reversed mode turned round.
        const FisherSummary turned = FisherSummaryOf(AntipodesOf(split.Reversed));
        if (c.reversed.n > 0) {
            EXPECT_NEAR(*turned.MeanInc, -c.reversed.inc, 1e-9);
        }
    }
}

TEST(SeparatePolarities, DegenerateSetsAreNoFault) {
    // Equal eigenvalues (the six ends of the axes) would make EigenAxes
    // fault. A datum exactly 90 degrees from the axis (x here) joins the mode
    // of its north end, which is normal: its mean (2, 1, 0) / sqrt 5 lies
    // further north than (-1, 0, 0).
    struct Case {
        const char* name;
        std::vector<Vector3> data;
        const char* modes; // nullptr where any axis is as good as another
    };
    const Case cases[] = {
        {"no data", {}, ""},
        {"all eigenvalues equal",
         {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}},
         nullptr},
        {"a datum at 90 degrees", {{1, 0, 0}, {-1, 0, 0}, {1, 0, 0}, {0, 1, 0}}, "NRNN"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PolaritySplit split = SeparatePolarities(c.data, {1, 0, 0});
        if (c.modes != nullptr) {
            EXPECT_EQ(ModesText(split), c.modes);
        }
        EXPECT_EQ(split.Modes.size(), c.data.size());
        EXPECT_EQ(split.Normal.N + split.Reversed.N, static_cast<int>(c.data.size()));
        EXPECT_EQ(split.Combined.N, static_cast<int>(c.data.size()));
        for (const DirectionSums* sums : {&split.Normal, &split.Reversed, &split.Combined}) {
            EXPECT_NO_THROW(FisherSummaryOf(*sums));
        }
    }
}

} // namespace
