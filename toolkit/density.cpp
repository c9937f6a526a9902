#include "density.h"

#include <cmath>

const char* DensitySettingsRefusal(const DensitySettings& settings) {
    switch (settings.Method) {
    case DensityMethod::Kamb:
    case DensityMethod::ExponentialKamb:
        if (!(std::isfinite(settings.Sigma) && settings.Sigma > 0.0)) {
            return "The Kamb densities need a finite sigma greater than 0";
        }
        return nullptr;
    case DensityMethod::OnePercentArea:
        return nullptr;
    }
    return "Unknown density method";
}

const char* DensityUnit(DensityMethod method) {
    return method == DensityMethod::OnePercentArea ? "%" : "sigma";
}

// The standard deviations simplify: with a = s^2 / (N + s^2),
// sqrt(N a (1 - a)) = N s / (N + s^2); with f = 2 (1 + N / s^2),
// sqrt(N (f/2 - 1) / f^2) = N / (s f).
DensityKernel DensityKernelOf(const DensitySettings& settings, std::size_t n) {
    const double count = static_cast<double>(n);
    const double s = settings.Sigma;
    DensityKernel kernel;
    switch (settings.Method) {
    case DensityMethod::Kamb:
        kernel.CountFrom = 1.0 - s * s / (count + s * s);
        kernel.Scale = (count + s * s) / (count * s);
        break;
    case DensityMethod::ExponentialKamb:
        kernel.Concentration = 2.0 * (1.0 + count / (s * s));
        kernel.Scale = s * kernel.Concentration / count;
        break;
    case DensityMethod::OnePercentArea:
        kernel.CountFrom = 0.99;
        kernel.Scale = 100.0 / count;
        break;
    }
    return kernel;
}

double DensityAt(std::span<const Vector3> data, const DensitySettings& settings,
                 const Vector3& point) {
    if (DensitySettingsRefusal(settings) != nullptr) {
        return std::nan("");
    }
    if (data.empty()) {
        return 0.0;
    }
    const double length = std::sqrt(point.x * point.x + point.y * point.y + point.z * point.z);
    const Vector3 p{point.x / length, point.y / length, point.z / length};
    const DensityKernel kernel = DensityKernelOf(settings, data.size());
    if (settings.Method == DensityMethod::ExponentialKamb) {
        double sum = 0.0;
        for (const Vector3& u : data) {
            const double c = std::fabs(u.x * p.x + u.y * p.y + u.z * p.z);
            sum += std::exp(kernel.Concentration * (c - 1.0));
        }
        return kernel.Scale * sum;
    }
    long count = 0;
    for (const Vector3& u : data) {
        count += std::fabs(u.x * p.x + u.y * p.y + u.z * p.z) >= kernel.CountFrom ? 1 : 0;
    }
    return kernel.Scale * static_cast<double>(count);
}
