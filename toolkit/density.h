#pragma once

#include <cstddef>
#include <span>

#include "direction.h"

// Density of axial data on the sphere: a datum and its antipode count alike,
// through c = |cos| of the angle between the datum and the point where the
// density is taken. Data are unit vectors (x north, y east, z down), as
// DirectionToVector(inc, dec, 1) gives them; other vectors give meaningless
// densities.
enum class DensityMethod {
    // Kamb (1959): the count of data with c >= 1 - a, a = sigma^2 / (N + sigma^2)
    // (the counting circle and its antipode cover a of the sphere), over the
    // standard deviation sqrt(N a (1 - a)) of that count for uniform data.
    Kamb,
    // Vollmer (1995): sum of exp(f (c - 1)), f = 2 (1 + N / sigma^2), over
    // sqrt(N (f/2 - 1) / f^2). No 0.5 is subtracted from the sum.
    ExponentialKamb,
    // Schmidt's counting circle of 1% of the area, c >= 0.99: the count
    // times 100 / N, in % of the data per 1% of the area. Sigma is unused.
    OnePercentArea,
};

struct DensitySettings {
    DensityMethod Method = DensityMethod::ExponentialKamb;
    double Sigma = 3.0; // the Kamb methods' expected count in standard deviations; > 0, finite
};

// Why the settings cannot be used, or nullptr when they can: the Kamb methods
// need a finite sigma > 0; an enumerator outside DensityMethod is refused.
const char* DensitySettingsRefusal(const DensitySettings& settings);

// "sigma" for the Kamb methods, "%" for 1% area.
const char* DensityUnit(DensityMethod method);

// The constants of one method for n data (n >= 1, settings not refused).
struct DensityKernel {
    // Step methods: a datum counts where c >= CountFrom; density = Scale * count.
    // Exponential Kamb: density = Scale * sum of exp(Concentration * (c - 1)).
    double CountFrom = 0.0;
    double Concentration = 0.0;
    double Scale = 0.0;
};
DensityKernel DensityKernelOf(const DensitySettings& settings, std::size_t n);

// The density of the data at point (any nonzero vector; only its direction
// counts), by the definition: every datum is visited, no cut-off. The slow
// path, for read-outs and tests. No data give 0; refused settings give NaN.
double DensityAt(std::span<const Vector3> data, const DensitySettings& settings,
                 const Vector3& point);
