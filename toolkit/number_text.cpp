#include "number_text.h"

#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <system_error>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Significant digits handed to the converter. A halfway point between two
// doubles has at most 767 significant digits, so 800 digits plus one sticky
// digit for a non-zero tail round exactly like the full text.
constexpr std::size_t kMaxSignificant = 800;

// Exponents beyond this are saturated while reading; any field that fits in
// memory has far fewer digits than that, so saturation cannot change a result.
constexpr std::int64_t kExponentCap = 1'000'000'000'000'000;

// Decimal exponents of the first significant digit outside these bounds are
// beyond the double range (above) or round to zero (below) for any mantissa.
constexpr std::int64_t kMaxDecimalExponent = 308;
constexpr std::int64_t kMinDecimalExponent = -400;

// Where the parts of a field lie, when the field has the number syntax.
struct NumberParts {
    bool negative = false;
    std::size_t intBegin = 0, intEnd = 0;
    std::size_t fracBegin = 0, fracEnd = 0;
    std::int64_t exponent = 0;
};

// Inlined: FieldToNumber runs for every field of every redraw.
[[gnu::always_inline]] inline bool ScanNumber(std::string_view text, char decimalSeparator,
                                              NumberParts& parts) {
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n && text[i] == ' ') {
        ++i;
    }
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t intBegin = i;
    while (i < n && IsDigit(text[i])) {
        ++i;
    }
    const std::size_t intEnd = i;
    std::size_t fracBegin = i;
    std::size_t fracEnd = i;
    bool hasSeparator = false;
    if (i < n && (text[i] == '.' || text[i] == decimalSeparator)) {
        hasSeparator = true;
        ++i;
        fracBegin = i;
        while (i < n && IsDigit(text[i])) {
            ++i;
        }
        fracEnd = i;
    }
    if (intEnd == intBegin && !hasSeparator) {
        return false;
    }
    std::int64_t exponent = 0;
    if (i < n && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        bool negativeExponent = false;
        if (i < n && (text[i] == '+' || text[i] == '-')) {
            negativeExponent = text[i] == '-';
            ++i;
        }
        while (i < n && IsDigit(text[i])) {
            if (exponent < kExponentCap) {
                exponent = exponent * 10 + (text[i] - '0');
            }
            ++i;
        }
        if (negativeExponent) {
            exponent = -exponent;
        }
    }
    while (i < n && text[i] == ' ') {
        ++i;
    }
    if (i != n) {
        return false;
    }
    parts = {negative, intBegin, intEnd, fracBegin, fracEnd, exponent};
    return true;
}

bool IsBlank(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

} // namespace

std::optional<double> FieldToNumber(std::string_view text, char decimalSeparator) {
    NumberParts parts;
    if (!ScanNumber(text, decimalSeparator, parts)) {
        return std::nullopt;
    }
    const bool negative = parts.negative;
    const std::size_t intBegin = parts.intBegin;
    const std::size_t intEnd = parts.intEnd;
    const std::int64_t exponent = parts.exponent;

    // Normalise to d.ddd...e<exp> in a stack buffer: leading zeros dropped, the
    // digits cut after kMaxSignificant with a sticky 1 for a non-zero tail.
    const double zero = negative ? -0.0 : 0.0;
    std::array<char, kMaxSignificant + 32> buffer;
    std::size_t out = 0;
    if (negative) {
        buffer[out++] = '-';
    }
    const std::size_t intLength = intEnd - intBegin;
    std::size_t significant = 0;
    std::size_t firstSignificant = 0; // index into the integer digits followed by the fraction
    bool truncatedNonZero = false;
    const auto take = [&](std::size_t index, char digit) {
        if (significant == 0) {
            if (digit == '0') {
                return;
            }
            firstSignificant = index;
        }
        if (significant < kMaxSignificant) {
            if (significant == 1) {
                buffer[out++] = '.';
            }
            buffer[out++] = digit;
            ++significant;
        } else if (digit != '0') {
            truncatedNonZero = true;
        }
    };
    std::size_t index = 0;
    for (std::size_t k = intBegin; k < intEnd; ++k, ++index) {
        take(index, text[k]);
    }
    for (std::size_t k = parts.fracBegin; k < parts.fracEnd; ++k, ++index) {
        take(index, text[k]);
    }
    if (significant == 0) {
        return zero;
    }
    if (truncatedNonZero) {
        buffer[out++] = '1';
    }
    const std::int64_t decimalExponent = static_cast<std::int64_t>(intLength) -
                                         static_cast<std::int64_t>(firstSignificant) - 1 + exponent;
    if (decimalExponent > kMaxDecimalExponent) {
        return std::nullopt;
    }
    if (decimalExponent < kMinDecimalExponent) {
        return zero;
    }
    buffer[out++] = 'e';
    const auto written =
        std::to_chars(buffer.data() + out, buffer.data() + buffer.size(), decimalExponent);
    const char* end = written.ptr;

    double value = 0.0;
    const auto result = std::from_chars(buffer.data(), end, value, std::chars_format::scientific);
    if (result.ec == std::errc::result_out_of_range) {
        // Too small rounds to zero; too large is no number of this program.
        if (decimalExponent < 0) {
            return zero;
        }
        return std::nullopt;
    }
    if (result.ec != std::errc() || result.ptr != end) {
        return std::nullopt;
    }
    return value;
}

NumberFault NumberFaultOf(std::string_view text, char decimalSeparator) {
    if (IsBlank(text)) {
        return NumberFault::Empty;
    }
    if (FieldToNumber(text, decimalSeparator)) {
        return NumberFault::None;
    }
    if (NumberParts parts; ScanNumber(text, decimalSeparator, parts)) {
        return NumberFault::TooLarge;
    }
    if (text.find('\t') != std::string_view::npos) {
        return NumberFault::Tab;
    }
    // The full stop is always read, so only a comma can be the wrong one.
    if (decimalSeparator != ',' && FieldToNumber(text, ',')) {
        return NumberFault::OtherSeparator;
    }
    return NumberFault::NotANumber;
}
