#pragma once

#include <limits>
#include <string_view>

// The closed range, in degrees, that a value must lie in for its line to be
// read, and the words that name the value to the user: Name ("inclination"),
// and Hint, said after the range in a reason (may be empty). The default holds
// every number.
struct ValueLimits {
    double Low = -std::numeric_limits<double>::infinity();
    double High = std::numeric_limits<double>::infinity();
    std::string_view Name;
    std::string_view Hint;

    constexpr bool Holds(double value) const { return value >= Low && value <= High; }
    constexpr bool IsLimited() const {
        return Low > -std::numeric_limits<double>::infinity() ||
               High < std::numeric_limits<double>::infinity();
    }
};

// A value of any size, named for the user.
constexpr ValueLimits AnyValue(std::string_view name) {
    ValueLimits limits;
    limits.Name = name;
    return limits;
}

// A value from low to high, both included, named for the user.
constexpr ValueLimits Within(double low, double high, std::string_view name,
                             std::string_view hint = {}) {
    return {low, high, name, hint};
}
