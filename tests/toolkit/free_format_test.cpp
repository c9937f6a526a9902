#include <gtest/gtest.h>

#include "direction.h"
#include "free_format.h"

namespace {

// Values a reader leaves untouched keep this mark.
constexpr double kUntouched = -999.0;

Direction Marked() {
    return {kUntouched, kUntouched, kUntouched, false};
}

struct TwoNumberCase {
    std::string_view line;
    double first;
    double second;
    bool success;
};

TEST(ReadTwoNumberLine, ValuesAndFlagFollowTheReadingSteps) {
    const TwoNumberCase cases[] = {
        {"", 0, 0, false},
        {"12", 0, 0, false},                    // under three characters
        {"   ", kUntouched, kUntouched, false}, // only spaces: nothing written
        {"123", 123, 0, false},                 // one token
        {"abc", 0, 0, false},
        {"10 ", 10, 0, false}, // one token and a single trailing space
        {"10  ", 10, 0, false},
        {"10   20  word", 10, 20, true},
        {"  10   20", 10, 20, true},
        {"10 20 ", 10, 20, true},
        {"10 20 5 word", 10, 20, true},
        {"word 20", 0, 20, false},
        {"10 word", 10, 0, false},
        {"10,20", 0, 0, false}, // a comma joins the numbers into one token
        // A tab separates numbers like a space: spreadsheets paste cells so.
        {"10\t20", 10, 20, true},
        {"\t10 \t20\tword", 10, 20, true},
        {"10\t", 10, 0, false},
        {"\t\t\t", kUntouched, kUntouched, false},
        {"1.5E1 .", 15, 0, true},
        {"-1e2 +3", -100, 3, true},
    };
    for (const TwoNumberCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "line [" << c.line << "]");
        Direction d = Marked();
        ReadTwoNumberLine(c.line, d);
        EXPECT_EQ(d.Dec, c.first);
        EXPECT_EQ(d.Inc, c.second);
        EXPECT_EQ(d.Success, c.success);
        EXPECT_EQ(d.ErrorRadius, kUntouched);
    }
}

struct SiteMeanCase {
    std::string_view line;
    double first;
    double second;
    double third;
    bool success;
};

TEST(ReadSiteMeanLine, ValuesAndFlagFollowTheReadingSteps) {
    const SiteMeanCase cases[] = {
        {"10 20 5", 10, 20, 5, true},
        {"1 2 3", 1, 2, 3, true}, // the shortest line that can succeed
        {"1 2", 0, 0, 0, false},
        {"     ", kUntouched, kUntouched, kUntouched, false},
        {"10 20", 10, 20, 0, false},
        {"10 20 ", 10, 20, 0, false},
        {"10 20  ", 10, 20, 0, false},
        {"10 20 5 comment", 10, 20, 5, true},
        {"  10  20   5  ", 10, 20, 5, true},
        {"x 20 5", 0, 20, 5, false},
        {"10 20 x", 10, 20, 0, false},
        {"10    ", 10, 0, 0, false},
        // A single token loses its last character to the first field and
        // leaves it as the second; the flag makes both meaningless.
        {"12345", 1234, 5, 0, false},
        {"10\t20\t5\t", 10, 20, 5, true},
        {"10\t20\t \t", 10, 20, 0, false},
        {"10 20\t", 10, 20, 0, false},
        {"1\t2", 0, 0, 0, false}, // under five characters
    };
    for (const SiteMeanCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "line [" << c.line << "]");
        Direction d = Marked();
        ReadSiteMeanLine(c.line, d);
        EXPECT_EQ(d.Dec, c.first);
        EXPECT_EQ(d.Inc, c.second);
        EXPECT_EQ(d.ErrorRadius, c.third);
        EXPECT_EQ(d.Success, c.success);
    }
}

TEST(FreeFormatReaders, ReadTheLocaleSeparatorAndTheFullStop) {
    Direction d = Marked();
    ReadSiteMeanLine("1,5 -2.5 ,5", d, ',');
    EXPECT_TRUE(d.Success);
    EXPECT_EQ(d.Dec, 1.5);
    EXPECT_EQ(d.Inc, -2.5);
    EXPECT_EQ(d.ErrorRadius, 0.5);

    ReadTwoNumberLine("1,5 2", d, '.');
    EXPECT_FALSE(d.Success);
    EXPECT_EQ(d.Dec, 0.0);
    EXPECT_EQ(d.Inc, 2.0);
}

} // namespace
