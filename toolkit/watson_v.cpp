#include "watson_v.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "fisher.h"
#include "xoshiro256.h"

namespace {

constexpr double kRadToDeg = 57.29577951308232;

// One set as the statistic sees it: tau = k R and the unit mean, with
// 1 - m_z kept apart so that means close to the z axis keep their small
// differences (the simulation puts the common mean there).
struct WeightedMean {
    double tau = 0.0;
    double mx = 0.0, my = 0.0, mz = 0.0;
    double oneMinusMz = 0.0;
};

// V_w = 2 (S_w - R_w) = 2 tau1 tau2 |m1 - m2|^2 / (S_w + R_w), since
// S_w^2 - R_w^2 = 2 tau1 tau2 (1 - cos gamma) = tau1 tau2 |m1 - m2|^2.
double WatsonV(const WeightedMean& a, const WeightedMean& b) {
    const double dx = a.mx - b.mx;
    const double dy = a.my - b.my;
    const double dz = b.oneMinusMz - a.oneMinusMz;
    const double sw = a.tau + b.tau;
    const double rw = std::hypot(a.tau * a.mx + b.tau * b.mx, a.tau * a.my + b.tau * b.my,
                                 a.tau * a.mz + b.tau * b.mz);
    return 2.0 * a.tau * b.tau * (dx * dx + dy * dy + dz * dz) / (sw + rw);
}

// cos and sin of an angle uniform in [0, 2 pi), by von Neumann's (1951)
// doubled angle of a point uniform in the unit disc: no sin or cos, whose
// last bits differ between C libraries.
std::pair<double, double> UniformAzimuth(Xoshiro256StarStar& generator) {
    for (;;) {
        const double a = 2.0 * generator.NextUniform() - 1.0;
        const double b = 2.0 * generator.NextUniform() - 1.0;
        const double r2 = a * a + b * b;
        if (r2 <= 1.0 && r2 > 0.0) {
            return {(a * a - b * b) / r2, 2.0 * a * b / r2};
        }
    }
}

// A simulated set's k far beyond any data's (whose N - R exceeds the rounding
// bound, so k < 1 / (8 u)) stands in where rounding leaves the computed N - R
// at or below 0, which only deviates that all but coincide can do; it keeps
// V_w finite.
constexpr double kLargestSimulatedK = 1e100;

// One Fisher sample of n deviates about +z with precision k, summarised.
// Fisher, Lewis and Embleton (1987): cos theta = 1 + ln(v + (1 - v) e^{-2k}) / k
// for v uniform in (0, 1]; w = 1 - cos theta is kept exactly as that formula
// gives it, so that N - Sz = sum w loses nothing to cancellation at large k.
WeightedMean SimulatedSet(Xoshiro256StarStar& generator, int n, double k, double e2k) {
    double sumW = 0.0;
    double hx = 0.0;
    double hy = 0.0;
    for (int i = 0; i < n; ++i) {
        const double v = 1.0 - generator.NextUniform();
        const double w = std::min(-std::log(v + (1.0 - v) * e2k) / k, 2.0);
        const auto [cosPhi, sinPhi] = UniformAzimuth(generator);
        const double sinTheta = std::sqrt(w * (2.0 - w));
        hx += sinTheta * cosPhi;
        hy += sinTheta * sinPhi;
        sumW += w;
    }
    const double count = n;
    const double sz = count - sumW;
    const double h2 = hx * hx + hy * hy;
    const double r = std::sqrt(h2 + sz * sz);
    // N^2 - R^2 = (N - Sz)(N + Sz) - h^2, and N - R = (N^2 - R^2) / (N + R).
    const double spread = (sumW * (count + sz) - h2) / (count + r);
    const double estimatedK =
        spread > (count - 1.0) / kLargestSimulatedK ? (count - 1.0) / spread : kLargestSimulatedK;
    WeightedMean m;
    m.tau = estimatedK * r;
    if (r > 0.0) {
        m.mx = hx / r;
        m.my = hy / r;
        m.mz = sz / r;
        // 1 - Sz / R = (R^2 - Sz^2) / (R (R + Sz)) where Sz > 0.
        m.oneMinusMz = sz > 0.0 ? h2 / (r * (r + sz)) : 1.0 - m.mz;
    } else {
        m.oneMinusMz = 1.0;
    }
    return m;
}

bool Simulable(int n, double k) {
    return n >= 2 && k > 0.0 && std::isfinite(k);
}

} // namespace

WatsonVCritical SimulateWatsonVCritical(int n1, double k1, int n2, double k2, std::uint64_t seed,
                                        int simulations) {
    WatsonVCritical critical{n1, k1, n2, k2, seed, 0, 0.0};
    if (!Simulable(n1, k1) || !Simulable(n2, k2) || simulations < 1) {
        return critical;
    }
    Xoshiro256StarStar generator(seed);
    const double e2k1 = std::exp(-2.0 * k1);
    const double e2k2 = std::exp(-2.0 * k2);
    std::vector<double> values(static_cast<std::size_t>(simulations));
    for (double& value : values) {
        const WeightedMean a = SimulatedSet(generator, n1, k1, e2k1);
        const WeightedMean b = SimulatedSet(generator, n2, k2, e2k2);
        value = WatsonV(a, b);
    }
    // The ceil(0.95 M)-th smallest, counted from 1.
    const std::size_t rank = (static_cast<std::size_t>(simulations) * 95 + 99) / 100;
    const auto at = values.begin() + static_cast<std::ptrdiff_t>(rank - 1);
    std::nth_element(values.begin(), at, values.end());
    critical.Simulations = simulations;
    critical.Value = *at;
    return critical;
}

ReversalClass ReversalClassOf(double vw, double vCritical, double gammaCritical) {
    if (!(vw <= vCritical)) {
        return ReversalClass::Negative;
    }
    if (gammaCritical < 5.0) {
        return ReversalClass::A;
    }
    if (gammaCritical < 10.0) {
        return ReversalClass::B;
    }
    if (gammaCritical < 20.0) {
        return ReversalClass::C;
    }
    return ReversalClass::Indeterminate;
}

std::string_view ReversalClassName(ReversalClass c) {
    switch (c) {
    case ReversalClass::A:
        return "A";
    case ReversalClass::B:
        return "B";
    case ReversalClass::C:
        return "C";
    case ReversalClass::Indeterminate:
        return "indeterminate";
    case ReversalClass::Negative:
        break;
    }
    return "negative";
}

WatsonVTestResult WatsonVTest(const DirectionSums& first, const DirectionSums& second,
                              const WatsonVCritical* cached) {
    WatsonVTestResult result;
    const FisherSummary f1 = FisherSummaryOf(first);
    const FisherSummary f2 = FisherSummaryOf(second);
    if (!f1.K || !f2.K) {
        result.Reason = "a set has fewer than two data";
        return result;
    }
    if (std::isinf(*f1.K) || std::isinf(*f2.K)) {
        result.Reason = "a set's data are identical within rounding, so its k is infinite";
        return result;
    }
    if (!(*f1.R > 0.0) || !(*f2.R > 0.0)) {
        result.Reason = "a set's resultant is zero, so its mean is undefined";
        return result;
    }
    const double r1 = *f1.R;
    const double r2 = *f2.R;
    WeightedMean a{*f1.K * r1, first.Sx / r1, first.Sy / r1, first.Sz / r1, 0.0};
    WeightedMean b{*f2.K * r2, second.Sx / r2, second.Sy / r2, second.Sz / r2, 0.0};
    a.oneMinusMz = 1.0 - a.mz;
    b.oneMinusMz = 1.0 - b.mz;

    if (cached != nullptr && cached->N1 == first.N && cached->K1 == *f1.K &&
        cached->N2 == second.N && cached->K2 == *f2.K && cached->Simulations > 0) {
        result.Critical = *cached;
    } else {
        result.Critical = SimulateWatsonVCritical(first.N, *f1.K, second.N, *f2.K);
    }
    const double vCritical = result.Critical.Value;

    result.Available = true;
    result.Vw = WatsonV(a, b);
    const double cross =
        std::hypot(a.my * b.mz - a.mz * b.my, a.mz * b.mx - a.mx * b.mz, a.mx * b.my - a.my * b.mx);
    result.Gamma = std::atan2(cross, a.mx * b.mx + a.my * b.my + a.mz * b.mz) * kRadToDeg;
    // With R_wc = S_w - V/2: 1 - cos gamma_c = (S_w^2 - R_wc^2) / (2 tau1 tau2)
    // = (V S_w - V^2 / 4) / (2 tau1 tau2); the half of it, clamped to [0, 1]
    // as cos gamma_c is to [-1, 1], is sin^2(gamma_c / 2).
    const double sw = a.tau + b.tau;
    const double halfVersine = std::clamp(
        (vCritical * sw - vCritical * vCritical / 4.0) / (4.0 * a.tau * b.tau), 0.0, 1.0);
    result.GammaCritical = 2.0 * std::asin(std::sqrt(halfVersine)) * kRadToDeg;
    result.Class = ReversalClassOf(result.Vw, vCritical, result.GammaCritical);
    return result;
}
