#pragma once

#include <utility>
#include <vector>

#include "fisher.h"

// The sums of (declination, inclination) pairs, accumulated in order.
inline DirectionSums SumsOf(const std::vector<std::pair<double, double>>& decInc) {
    DirectionSums sums;
    for (const auto& [dec, inc] : decInc) {
        sums.Accumulate(dec, inc);
    }
    return sums;
}
