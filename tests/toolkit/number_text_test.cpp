#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "number_text.h"

namespace {

struct NumberCase {
    std::string_view text;
    char separator;
    std::optional<double> expected; // nullopt: the conversion fails
};

constexpr std::optional<double> kFails = std::nullopt;

TEST(FieldToNumber, AcceptsExactlyTheFieldSyntax) {
    const NumberCase cases[] = {
        {"15", '.', 15.0},
        {"  -2.5  ", '.', -2.5},
        {"+7", '.', 7.0},
        {"007", '.', 7.0},
        {"1.5E1", '.', 15.0},
        {"1.5e+1", '.', 15.0},
        {"25e-1", '.', 2.5},
        {".5", '.', 0.5},
        {"5.", '.', 5.0},
        {".", '.', 0.0},
        {".e5", '.', 0.0},
        {"1e", '.', 1.0}, // an exponent without digits is 0
        {"1E-", '.', 1.0},
        {"1,5", ',', 1.5}, // the locale's separator, and the full stop always
        {"-,25", ',', -0.25},
        {"1.5", ',', 1.5},
        {"-.25E1", ',', -2.5},
        {",", ',', 0.0},
        {"1,5", '.', kFails},
        {"1,5", '/', kFails},
        {"1/5", '/', 1.5},
        {"1,000.5", '.', kFails}, // no thousands separators
        {"1,000.5", ',', kFails},
        {"1.000,5", ',', kFails},
        {"1,5.", ',', kFails},
        {"", '.', kFails},
        {"   ", '.', kFails},
        {"+", '.', kFails},
        {"-", '.', kFails},
        {"e5", '.', kFails},
        {"E", '.', kFails},
        {"\t1", '.', kFails}, // only spaces are skipped
        {"1\t", '.', kFails},
        {"1 2", '.', kFails},
        {"--1", '.', kFails},
        {"1..2", '.', kFails},
        {"1e5.5", '.', kFails},
        {"1e+-2", '.', kFails},
        {"0x10", '.', kFails},
        {"inf", '.', kFails},
        {"nan", '.', kFails},
        {std::string_view("1\0", 2), '.', kFails},
        {std::string_view("\0", 1), '.', kFails},
        {"\xB5"
         "1",
         '.', kFails},
        {"1\xFF", '.', kFails},
    };
    for (const NumberCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "text [" << c.text << "] separator " << c.separator);
        EXPECT_EQ(FieldToNumber(c.text, c.separator), c.expected);
    }
}

TEST(FieldToNumber, LoneSeparatorKeepsItsSign) {
    const auto value = FieldToNumber("-.");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(*value, 0.0);
    EXPECT_TRUE(std::signbit(*value));
}

TEST(FieldToNumber, ValuesBeyondTheDoubleRangeFailAndTinyOnesReadAsZero) {
    const double max = std::numeric_limits<double>::max();
    const double tiniest = std::numeric_limits<double>::denorm_min();
    const NumberCase cases[] = {
        {"1.7976931348623157e308", '.', max},
        {"1.7976931348623159e308", '.', kFails}, // rounds past the largest double
        {"1.8e308", '.', kFails},
        {"1e400", '.', kFails},
        {"-1e400", '.', kFails},
        {"1e99999999999999999999999999", '.', kFails},
        {"0.0001e312", '.', 1e308},
        {"0e99999999999999999999", '.', 0.0},
        {"1e-310", '.', 1e-310},
        {"4.9e-324", '.', tiniest},
        {"1e-400", '.', 0.0},
        {"1e-99999999999999999999999999", '.', 0.0},
    };
    for (const NumberCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(FieldToNumber(c.text, c.separator), c.expected);
    }
    const auto negativeTiny = FieldToNumber("-1e-400");
    ASSERT_TRUE(negativeTiny.has_value());
    EXPECT_TRUE(std::signbit(*negativeTiny));
}

TEST(FieldToNumber, LongDigitRunsRoundCorrectly) {
    // 2^53 + 1 lies halfway between two doubles; ties go to the even one, and
    // a non-zero digit far beyond the first 800 must still tip it upwards.
    const std::string halfway = "9007199254740993." + std::string(900, '0');
    EXPECT_EQ(FieldToNumber(halfway), 9007199254740992.0);
    EXPECT_EQ(FieldToNumber(halfway + "1"), 9007199254740994.0);
    EXPECT_EQ(FieldToNumber(std::string(1000, '0') + "1.25"), 1.25);
    EXPECT_EQ(FieldToNumber("0." + std::string(1000, '0') + "1e1001"), 1.0);
    EXPECT_EQ(FieldToNumber("1" + std::string(900, '0') + "e-900"), 1.0);
}

TEST(FieldToNumber, MegabyteFieldsNeitherCrashNorHang) {
    const std::size_t megabyte = std::size_t{1} << 20;
    EXPECT_EQ(FieldToNumber(std::string(megabyte, '9')), kFails);
    EXPECT_EQ(FieldToNumber(std::string(megabyte, '0')), 0.0);
    EXPECT_EQ(FieldToNumber("1" + std::string(megabyte, '0') + "e-1048576"), 1.0);
    EXPECT_EQ(FieldToNumber(std::string(megabyte, ' ') + "2" + std::string(megabyte, ' ')), 2.0);
    EXPECT_EQ(FieldToNumber(std::string(megabyte, '\0')), kFails);
    EXPECT_EQ(FieldToNumber("1e" + std::string(megabyte, '9')), kFails);
}

} // namespace
