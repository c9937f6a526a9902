#include <gtest/gtest.h>

#include <string>

#include "file_type.h"

namespace {

TEST(FileType, HeaderLinesOnlyForTheCaltechPaleomagFiles) {
    for (int type = -1; type <= kFileTypeCount; ++type) {
        EXPECT_EQ(FirstDataLine(type), (type >= 4 && type <= 6) ? 3 : 1) << type;
    }
}

TEST(FileType, OnlySpacesMakeABlankLine) {
    EXPECT_TRUE(IsBlankLine(""));
    EXPECT_TRUE(IsBlankLine("    "));
    EXPECT_FALSE(IsBlankLine("\t"));
    EXPECT_FALSE(IsBlankLine("  \xA0"));
    EXPECT_FALSE(IsBlankLine(std::string_view("  \0", 3)));
    EXPECT_FALSE(IsBlankLine("   x"));
}

struct DataLineCase {
    int type;
    std::string line;
    double dec, inc, error;
    bool success;
};

TEST(ReadDataLine, DispatchesAndConvertsPlanesToPoles) {
    const DataLineCase cases[] = {
        {0, "10 20 5 word", 10, 20, 0, true}, // no error radius for type 0
        {0, "\t", 0, 0, 0, false},            // not blank, so it reaches the reader
        {1, "10 20 5", 10, 20, 5, true},
        {7, std::string(21, ' ') + "  100   -30" + std::string(23, ' ') + "  4.5", 100, -30, 4.5,
         true},
        // Strike and dip: pole azimuth strike - 90, plunge 90 - dip.
        {9, "0 30", 270, 60, 0, true},
        {9, "120 30", 30, 60, 0, true},
        {9, "45 90", 315, 0, 0, true},
        {9, "10 x", 280, 90, 0, false}, // converted, flag unchanged
        // Dip direction and dip: pole azimuth dip direction - 180.
        {10, "120 30", 300, 60, 0, true},
        {10, "200 30", 20, 60, 0, true},
        {10, "30 120", 210, -30, 0, true}, // dip written first
        {11, "10 20", 0, 0, 0, false},
        {-1, "10 20", 0, 0, 0, false},
    };
    for (const DataLineCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " line [" << c.line << "]");
        const Direction d = ReadDataLine(c.type, c.line);
        EXPECT_EQ(d.Dec, c.dec);
        EXPECT_EQ(d.Inc, c.inc);
        EXPECT_EQ(d.ErrorRadius, c.error);
        EXPECT_EQ(d.Success, c.success);
    }
}

TEST(ReadDataLine, PassesTheSeparatorToEveryReader) {
    EXPECT_EQ(ReadDataLine(0, "1,5 2,5", ',').Inc, 2.5);
    EXPECT_EQ(ReadDataLine(1, "1,5 2,5 3,5", ',').ErrorRadius, 3.5);
    const Direction fixed = ReadDataLine(2, std::string(11, ' ') + "1,5   2,5", ',');
    EXPECT_TRUE(fixed.Success);
    EXPECT_EQ(fixed.Dec, 1.5);
    EXPECT_FALSE(ReadDataLine(0, "1.5 2.5", ',').Success);
}

TEST(ReadDataLine, MegabyteLinesAreReadToTheirEnd) {
    const std::size_t megabyte = std::size_t{1} << 20;
    const std::string digits(megabyte, '9'); // one huge token; fields of "99999"
    const std::string nuls(megabyte, '\0');
    const std::string pairs = "1 2 3 " + std::string(megabyte, ' ') + "x";
    for (int type = 0; type < kFileTypeCount; ++type) {
        SCOPED_TRACE(type);
        const bool fixed = type >= 2 && type <= 8;
        EXPECT_EQ(ReadDataLine(type, digits).Success, fixed);
        EXPECT_FALSE(ReadDataLine(type, nuls).Success);
        EXPECT_EQ(ReadDataLine(type, pairs).Success, !fixed);
    }
}

} // namespace
