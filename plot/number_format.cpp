#include "number_format.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kSignificantDigits = 18;

} // namespace

QString FormatNumber(double value, int precision, int decimals, QChar decimalSeparator) {
    if (std::isnan(value)) {
        return QStringLiteral("NAN");
    }
    if (std::isinf(value)) {
        return value > 0.0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    }
    precision = std::clamp(precision, 2, kSignificantDigits);
    decimals = std::clamp(decimals, 0, kSignificantDigits);
    const bool negative = std::signbit(value);

    // 18 significant digits: "d.ddddddddddddddddde+XX".
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17e", std::fabs(value));
    std::array<char, kSignificantDigits> digits{};
    digits[0] = buffer[0];
    std::copy(buffer + 2, buffer + 1 + kSignificantDigits, digits.begin() + 1);
    int e = std::atoi(buffer + 2 + kSignificantDigits) + 1; // digits before the point

    // Keep m significant digits, rounding half away from zero on the digits.
    const int m = std::min(precision, e + decimals);
    std::array<char, kSignificantDigits> kept{};
    int keptCount = 0;
    if (m >= 0) {
        keptCount = m;
        std::copy(digits.begin(), digits.begin() + m, kept.begin());
        const char next = m < kSignificantDigits ? digits[static_cast<std::size_t>(m)] : '0';
        if (next >= '5') {
            int i = m - 1;
            while (i >= 0 && kept[static_cast<std::size_t>(i)] == '9') {
                kept[static_cast<std::size_t>(i)] = '0';
                --i;
            }
            if (i < 0) {
                // A carry out of the first digit, or rounding up with m = 0.
                kept[0] = '1';
                keptCount = 1;
                ++e;
            } else {
                ++kept[static_cast<std::size_t>(i)];
            }
        }
    }
    const bool zero =
        std::all_of(kept.begin(), kept.begin() + keptCount, [](char c) { return c == '0'; });
    auto digitAt = [&](int index) -> QChar {
        if (zero || index < 0 || index >= keptCount) {
            return u'0';
        }
        return QChar::fromLatin1(kept[static_cast<std::size_t>(index)]);
    };

    QString out;
    if (negative && !zero) {
        out += u'-';
    }
    if (!zero && e > precision) {
        out += digitAt(0);
        int last = keptCount - 1;
        while (last > 0 && kept[static_cast<std::size_t>(last)] == '0') {
            --last;
        }
        if (last > 0) {
            out += decimalSeparator;
            for (int i = 1; i <= last; ++i) {
                out += digitAt(i);
            }
        }
        out += u'E';
        out += QString::number(e - 1);
        return out;
    }
    if (zero || e <= 0) {
        out += u'0';
    } else {
        for (int i = 0; i < e; ++i) {
            out += digitAt(i);
        }
    }
    if (decimals > 0) {
        out += decimalSeparator;
        for (int i = 0; i < decimals; ++i) {
            out += digitAt(e + i);
        }
    }
    return out;
}
