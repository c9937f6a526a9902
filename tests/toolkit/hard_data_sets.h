#pragma once

// Data sets on which a closed-form eigen-analysis loses its small eigenvalues:
// tight Fisher clusters (the two small eigenvalues nearly coincide) and the six
// axis directions moved a little (all three nearly coincide). The generator
// uses only the raw mt19937 output, so a seed gives the same draws with every
// standard library.

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

struct HardDataSet {
    std::string family; // "kappa 1e5" ... "kappa 1e8", "near-isotropic"
    std::vector<std::pair<double, double>> decInc;
};

namespace hard_data_sets_detail {

constexpr double kPi = 3.141592653589793;
constexpr double kDeg = 180.0 / kPi;

// Uniform in (0, 1), never 0, from one 32-bit draw.
inline double Uniform(std::mt19937& random) {
    return (static_cast<double>(random()) + 0.5) / 4294967296.0;
}

struct Unit {
    double x, y, z;
};

inline std::pair<double, double> DecIncOf(const Unit& v) {
    const double dec = std::atan2(v.y, v.x) * kDeg;
    return {dec < 0.0 ? dec + 360.0 : dec, std::atan2(v.z, std::hypot(v.x, v.y)) * kDeg};
}

// The direction at angle theta from the unit vector m, at position angle psi.
inline Unit Moved(const Unit& m, double theta, double psi) {
    // Two unit vectors across m.
    const Unit helper = std::fabs(m.z) < 0.9 ? Unit{0, 0, 1} : Unit{1, 0, 0};
    Unit e1{helper.y * m.z - helper.z * m.y, helper.z * m.x - helper.x * m.z,
            helper.x * m.y - helper.y * m.x};
    const double n1 = std::sqrt(e1.x * e1.x + e1.y * e1.y + e1.z * e1.z);
    e1 = {e1.x / n1, e1.y / n1, e1.z / n1};
    const Unit e2{m.y * e1.z - m.z * e1.y, m.z * e1.x - m.x * e1.z, m.x * e1.y - m.y * e1.x};
    const double c = std::cos(theta);
    const double s = std::sin(theta);
    const double a = s * std::cos(psi);
    const double b = s * std::sin(psi);
    return {c * m.x + a * e1.x + b * e2.x, c * m.y + a * e1.y + b * e2.y,
            c * m.z + a * e1.z + b * e2.z};
}

} // namespace hard_data_sets_detail

// n directions drawn from a Fisher distribution of concentration kappa about a
// uniformly drawn mean; 1 - cos theta = -ln(u) / kappa (exact for kappa >> 1).
inline HardDataSet FisherCluster(std::mt19937& random, double kappa, int n) {
    using namespace hard_data_sets_detail;
    const double z = 2.0 * Uniform(random) - 1.0;
    const double azimuth = 2.0 * kPi * Uniform(random);
    const double h = std::sqrt(1.0 - z * z);
    const Unit mean{h * std::cos(azimuth), h * std::sin(azimuth), z};
    HardDataSet set;
    for (int k = 0; k < n; ++k) {
        const double theta = 2.0 * std::asin(std::sqrt(-std::log(Uniform(random)) / (2.0 * kappa)));
        set.decInc.push_back(DecIncOf(Moved(mean, theta, 2.0 * kPi * Uniform(random))));
    }
    return set;
}

// The six directions +-x, +-y, +-z, each moved by shiftDeg at a random position angle.
inline HardDataSet NearIsotropicSix(std::mt19937& random, double shiftDeg) {
    using namespace hard_data_sets_detail;
    const Unit axes[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    HardDataSet set;
    set.family = "near-isotropic";
    for (const Unit& axis : axes) {
        set.decInc.push_back(DecIncOf(Moved(axis, shiftDeg / kDeg, 2.0 * kPi * Uniform(random))));
    }
    return set;
}

// perFamily clusters of 3 to 20 data for each kappa of 10^lowestDecade to
// 10^8, then perFamily near-isotropic sets moved by 0.01 degree.
inline std::vector<HardDataSet> HardDataSets(std::uint32_t seed, int perFamily, int lowestDecade) {
    std::mt19937 random(seed);
    std::vector<HardDataSet> sets;
    for (int decade = lowestDecade; decade <= 8; ++decade) {
        for (int k = 0; k < perFamily; ++k) {
            const int n = 3 + static_cast<int>(random() % 18);
            sets.push_back(FisherCluster(random, std::pow(10.0, decade), n));
            sets.back().family = "kappa 1e" + std::to_string(decade);
        }
    }
    for (int k = 0; k < perFamily; ++k) {
        sets.push_back(NearIsotropicSix(random, 0.01));
    }
    return sets;
}
