#include <gtest/gtest.h>

#include <limits>

#include "number_format.h"

namespace {

struct FormatRow {
    double value;
    int precision;
    int decimals;
    const char* expected;
};

class NumberFormatTest : public ::testing::TestWithParam<FormatRow> {};

TEST_P(NumberFormatTest, WritesTheExpectedText) {
    const FormatRow& r = GetParam();
    EXPECT_EQ(FormatNumber(r.value, r.precision, r.decimals), QString::fromLatin1(r.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Examples, NumberFormatTest,
    ::testing::Values(
        // The plot's own examples.
        FormatRow{359.96, 5, 1, "360.0"}, FormatRow{123.456789, 6, 4, "123.4570"},
        FormatRow{123456789, 7, 1, "1.234568E8"}, FormatRow{12.25, 5, 1, "12.3"},
        FormatRow{0.05, 5, 1, "0.1"}, FormatRow{-0.04, 5, 1, "0.0"}, FormatRow{9.96, 5, 1, "10.0"},
        FormatRow{12.3456789, 6, 4, "12.3457"},
        // Fisher and great-circle results.
        FormatRow{359.4145, 5, 1, "359.4"}, FormatRow{2.977370, 6, 4, "2.9774"},
        FormatRow{88.3797, 7, 1, "88.4"}, FormatRow{0.016243, 6, 4, "0.0162"},
        FormatRow{0.0, 5, 1, "0.0"}, FormatRow{-0.0, 6, 4, "0.0000"},
        // Halves away from zero, negative values, carries into a new digit.
        FormatRow{-12.25, 5, 1, "-12.3"}, FormatRow{99.96, 5, 1, "100.0"},
        FormatRow{-9.96, 5, 1, "-10.0"}, FormatRow{0.00005, 6, 4, "0.0001"},
        FormatRow{0.004, 5, 1, "0.0"}, FormatRow{0.00049, 6, 4, "0.0005"},
        // 18 significant digits decide: 2.675 is 2.67499999999999982 in binary.
        FormatRow{2.675, 5, 2, "2.67"}, FormatRow{1.005, 5, 2, "1.00"},
        FormatRow{0.15, 5, 1, "0.1"},
        // P caps the digits: the rest of the decimals are zeros.
        FormatRow{1234.56789, 5, 4, "1234.6000"}, FormatRow{0.123456789, 5, 4, "0.1235"},
        // Scientific form when the integer part needs more than P digits.
        FormatRow{123456, 5, 1, "1.2346E5"}, FormatRow{100000000, 7, 1, "1E8"},
        FormatRow{-123456789, 7, 1, "-1.234568E8"}, FormatRow{999999.96, 6, 1, "1E6"},
        FormatRow{99999.96, 6, 1, "100000.0"}, FormatRow{1e300, 7, 1, "1E300"},
        FormatRow{10000000, 7, 1, "1E7"}, FormatRow{9999999.0, 7, 1, "9999999.0"}));

TEST(NumberFormatSpecialTest, InfinityAndNaN) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(FormatNumber(inf, 7, 1), QStringLiteral("INF"));
    EXPECT_EQ(FormatNumber(-inf, 7, 1), QStringLiteral("-INF"));
    EXPECT_EQ(FormatNumber(std::numeric_limits<double>::quiet_NaN(), 7, 1), QStringLiteral("NAN"));
}

TEST(NumberFormatSpecialTest, UsesTheGivenDecimalSeparator) {
    EXPECT_EQ(FormatNumber(359.4145, 5, 1, u','), QStringLiteral("359,4"));
    EXPECT_EQ(FormatNumber(123456789, 7, 1, u','), QStringLiteral("1,234568E8"));
    EXPECT_EQ(FormatNumber(0.0, 5, 1, u','), QStringLiteral("0,0"));
}

TEST(NumberFormatSpecialTest, NoDecimalsWritesNoSeparator) {
    EXPECT_EQ(FormatNumber(12.5, 5, 0), QStringLiteral("13"));
    EXPECT_EQ(FormatNumber(0.4, 5, 0), QStringLiteral("0"));
}

} // namespace
