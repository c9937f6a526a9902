#include "polarity.h"

#include <array>
#include <cmath>

#include "angles.h"
#include "great_circle.h"

namespace {

Vector3 Negated(const Vector3& v) {
    return {-v.x, -v.y, -v.z};
}

// Component along north of the mode's unit mean, or of its end of the axis
// where the mode has no mean.
double AlongNorth(const DirectionSums& mode, const Vector3& end, const Vector3& north) {
    const Vector3 sum{mode.Sx, mode.Sy, mode.Sz};
    const double length = std::sqrt(Dot(sum, sum));
    return length > 0.0 ? Dot(sum, north) / length : Dot(end, north);
}

} // namespace

PolaritySplit SeparatePolarities(std::span<const Vector3> data, const Vector3& north) {
    DirectionSums all;
    for (const Vector3& v : data) {
        all.AccumulateUnitVector(v);
    }
    // Jacobi never faults, equal eigenvalues included; one of equal axes is as
    // good as another.
    const EigenAxis principal = JacobiEigenAxes(OrientationTensorOf(all))[0];
    Vector3 end = DirectionToVector(principal.Inc, principal.Dec, 1.0);
    if (Dot(end, north) < 0.0) {
        end = Negated(end);
    }

    DirectionSums first;
    DirectionSums second;
    for (const Vector3& v : data) {
        (Dot(v, end) >= 0.0 ? first : second).AccumulateUnitVector(v);
    }
    const bool firstIsNormal =
        AlongNorth(first, end, north) >= AlongNorth(second, Negated(end), north);

    PolaritySplit split;
    split.Normal = firstIsNormal ? first : second;
    split.Reversed = firstIsNormal ? second : first;
    split.Modes.reserve(data.size());
    for (const Vector3& v : data) {
        const bool inFirst = Dot(v, end) >= 0.0;
        const bool normal = inFirst == firstIsNormal;
        split.Modes.push_back(normal ? Polarity::Normal : Polarity::Reversed);
        split.Combined.AccumulateUnitVector(normal ? v : Negated(v));
    }
    return split;
}

DirectionSums AntipodesOf(const DirectionSums& sums) {
    DirectionSums antipodes = sums;
    antipodes.Sx = -sums.Sx;
    antipodes.Sy = -sums.Sy;
    antipodes.Sz = -sums.Sz;
    return antipodes;
}
