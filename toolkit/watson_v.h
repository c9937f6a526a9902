#pragma once

#include <cstdint>
#include <string_view>

struct DirectionSums;

// Watson's V_w test whether two sets of directions share a mean (McFadden and
// McElhinny 1990): the reversal test when the second set is the antipodes of
// the reversed mode, the common-mean test for two sets as they are.

// Any fixed seed makes repeated runs agree; this one is the year of the test.
inline constexpr std::uint64_t kWatsonVSeed = 1990;
inline constexpr int kWatsonVSimulations = 5000;

// The critical value of V_w and what it was simulated for. It depends on
// these alone, so a caller may keep it and pass it back to WatsonVTest.
struct WatsonVCritical {
    int N1 = 0;
    double K1 = 0.0;
    int N2 = 0;
    double K2 = 0.0;
    std::uint64_t Seed = 0;
    int Simulations = 0;
    double Value = 0.0; // V_critical
};

// The 95th percentile of V_w over `simulations` pairs of Fisher samples of
// sizes n1, n2 and precisions k1, k2 about a common mean, each pair's V_w
// computed with its own estimated k's as for the data: the ceil(0.95 M)-th
// smallest of the M values (the 4750th of 5000). Deviates as in Fisher, Lewis
// and Embleton (1987), from the raw output of xoshiro256** seeded with `seed`
// (xoshiro256.h), so the value is the same on every run and on every machine
// whose log and exp round alike. Takes time proportional to
// (n1 + n2) * simulations. Requires n1, n2 >= 2, k1, k2 > 0 and finite,
// simulations >= 1; otherwise Simulations is 0 and Value 0.
WatsonVCritical SimulateWatsonVCritical(int n1, double k1, int n2, double k2,
                                        std::uint64_t seed = kWatsonVSeed,
                                        int simulations = kWatsonVSimulations);

// McFadden and McElhinny's (1990) classes: with V_w <= V_critical, A for
// gamma_critical < 5 degrees, B for < 10, C for < 20, else Indeterminate;
// Negative for V_w > V_critical.
enum class ReversalClass { A, B, C, Indeterminate, Negative };
ReversalClass ReversalClassOf(double vw, double vCritical, double gammaCritical);
// "A", "B", "C", "indeterminate", "negative".
std::string_view ReversalClassName(ReversalClass c);

struct WatsonVTestResult {
    bool Available = false;
    std::string_view Reason; // why not, where Available is false; else empty
    double Vw = 0.0;
    double Gamma = 0.0;         // degrees between the two means, [0, 180]
    double GammaCritical = 0.0; // degrees, [0, 180]
    ReversalClass Class = ReversalClass::Negative;
    // V_critical is Critical.Value, the number of simulations
    // Critical.Simulations; pass it back to skip the simulation next time.
    WatsonVCritical Critical;
};

// V_w = 2 (S_w - R_w), S_w = k1 R1 + k2 R2, R_w = |k1 R1 m1 + k2 R2 m2|,
// k = (N - 1) / (N - R) and m the unit means (computed in the algebraically
// equal form 2 k1 R1 k2 R2 |m1 - m2|^2 / (S_w + R_w), which does not cancel).
// gamma_critical from R_wc = S_w - V_critical / 2 and
// cos gamma_c = (R_wc^2 - (k1 R1)^2 - (k2 R2)^2) / (2 k1 R1 k2 R2), the
// argument clamped to [-1, 1]. `cached` is used when its N1, K1, N2, K2 are
// the data's (the k's bit for bit as FisherSummaryOf gives them) and it holds
// a value; otherwise the simulation runs here with the default seed and count.
// Not available, with a reason, for a set of fewer than two data, a set
// identical within rounding (k infinite) or a set whose resultant is 0. Never
// throws; no value is NaN.
WatsonVTestResult WatsonVTest(const DirectionSums& first, const DirectionSums& second,
                              const WatsonVCritical* cached = nullptr);
