#include "rejection_text.h"

#include <charconv>
#include <cstddef>
#include <cstdio>

namespace {

constexpr std::size_t kMaxQuoted = 20;

} // namespace

std::string QuotedText(std::string_view piece) {
    std::string quoted = "'";
    for (std::size_t i = 0; i < piece.size() && i < kMaxQuoted; ++i) {
        const auto byte = static_cast<unsigned char>(piece[i]);
        if (byte == '\t') {
            quoted += "[tab]";
        } else if (byte < 0x20 || byte == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "[0x%02X]", static_cast<unsigned>(byte));
            quoted += hex;
        } else {
            quoted += piece[i];
        }
    }
    if (piece.size() > kMaxQuoted) {
        quoted += "...";
    }
    quoted += '\'';
    return quoted;
}

std::string NotANumberWords(NumberFault fault, char decimalSeparator) {
    switch (fault) {
    case NumberFault::TooLarge:
        return "too large a number";
    case NumberFault::OtherSeparator:
        if (decimalSeparator == '.') {
            return "not a number (the decimal separator is '.')";
        }
        return std::string("not a number (the decimal separator is '.' or '") + decimalSeparator +
               "')";
    default:
        return "not a number";
    }
}

std::string NumberAsWritten(std::string_view piece) {
    if (piece.size() > kMaxQuoted) {
        return std::string(piece.substr(0, kMaxQuoted)) + "...";
    }
    return std::string(piece);
}

namespace {

std::string Degrees(double value) {
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, value);
    return std::string(text, written.ptr);
}

} // namespace

std::string RangeWords(const ValueLimits& limits) {
    return Degrees(limits.Low) + "..." + Degrees(limits.High);
}

std::string OutsideWords(const ValueLimits& limits) {
    std::string words = "outside " + RangeWords(limits);
    if (!limits.Hint.empty()) {
        words += "; ";
        words += limits.Hint;
    }
    return words;
}
