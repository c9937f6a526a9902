#include <gtest/gtest.h>

#include <string>

#include "file_type.h"
#include "fixed_column.h"

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
        {10, "30 120", 210, -30, 0, false}, // dip written first: no dip of 120
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
    EXPECT_FALSE(ReadDataLine(0, "1,5 2,5", '.').Success);
}

struct SeparatorCase {
    int type;
    std::string line;
    char separator;
    double dec, inc, error;
    bool success;
};

// Numbers copied from a spreadsheet: tabs between the cells, and full stops
// in them whatever the locale's separator.
TEST(ReadDataLine, TabsAndFullStopsAsASpreadsheetPastesThem) {
    const std::string fixedTab = std::string(11, ' ') + "1.5\t  2.5"; // tab in the first field
    const SeparatorCase cases[] = {
        {0, "10.5\t20.25", ',', 10.5, 20.25, 0, true},
        {0, "10,5\t20.25\tS1", ',', 10.5, 20.25, 0, true},
        {0, "\t10\t\t20\t", '.', 10, 20, 0, true},
        {0, "10,5\t20", '.', 0, 20, 0, false},
        {1, "10.5\t-20,5\t3.5", ',', 10.5, -20.5, 3.5, true},
        {9, "120.5\t30", ',', 30.5, 60, 0, true},
        {10, "120\t30,5", ',', 300, 59.5, 0, true},
        {2, std::string(11, ' ') + "1.5   2,5", ',', 1.5, 2.5, 0, true},
        {2, fixedTab, '.', 0, 2.5, 0, false}, // fixed columns keep their rule
        {4, "   x" + std::string(3, ' ') + "350.5 -20.5" + std::string(22, ' ') + "\t3.5", ',',
         350.5, -20.5, 0, false},
    };
    for (const SeparatorCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " line [" << c.line << "]");
        const Direction d = ReadDataLine(c.type, c.line, c.separator);
        EXPECT_EQ(d.Dec, c.dec);
        EXPECT_EQ(d.Inc, c.inc);
        EXPECT_EQ(d.ErrorRadius, c.error);
        EXPECT_EQ(d.Success, c.success);
    }
}

struct RangeCase {
    int type;
    std::string line;
    bool success;
};

// Inclinations and latitudes lie in -90...90 and dips in 0...90, both ends
// included; declinations, azimuths and strikes of any size are read.
TEST(ReadDataLine, ImpossibleInclinationsAndDipsAreNotRead) {
    const auto fixed = [](int type, std::string_view dec, std::string_view inc) {
        const ColumnLayout layout = ColumnLayoutOf(type);
        std::string line(60, ' ');
        line.replace(static_cast<std::size_t>(layout.DecColumn - 1), dec.size(), dec);
        line.replace(static_cast<std::size_t>(layout.IncColumn - 1), inc.size(), inc);
        if (layout.ErrorColumn > 0) {
            line.replace(static_cast<std::size_t>(layout.ErrorColumn - 1), 1, "5");
        }
        return line;
    };
    const RangeCase cases[] = {
        {0, "10 90", true},
        {0, "10 -90", true},
        {0, "10 90.001", false},
        {0, "10 -9e1", true},
        {0, "10 -90.5", false},
        {0, "10 1e300", false},
        {0, "-720 10", true},
        {0, "1e300 10", true},
        {1, "10 95 5", false},
        {1, "10 -90 5", true},
        {1, "10 20 -5", true}, // the error radius is the plot pass's to judge
        {2, fixed(2, "10", "90"), true},
        {2, fixed(2, "10", "90.01"), false},
        {3, fixed(3, "999", "-91"), false},
        {4, fixed(4, "-999", "-90"), true},
        {5, fixed(5, "10", "1e2"), false},
        {6, fixed(6, "10", "95"), false},
        {7, fixed(7, "10", "-95"), false},
        {8, fixed(8, "400", "85"), true},
        {9, "0 0", true},
        {9, "0 90", true},
        {9, "0 -0.5", false},
        {9, "0 90.5", false},
        {9, "-400 30", true},
        {10, "210 30", true},
        {10, "30 210", false}, // the dip written first, as the caption reads
        {10, "30 -10", false},
        {10, "-30 10", true},
    };
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " line [" << c.line << "]");
        EXPECT_EQ(ReadDataLine(c.type, c.line).Success, c.success);
    }
}

struct BeddingCase {
    int type;
    std::string line;
    char separator;
    bool success;
    double dipDirection, dip;
};

TEST(ReadDataLine, BeddingFollowsTheDatumWhenAskedFor) {
    const BeddingCase cases[] = {
        {0, "10 20 120 30 S1", '.', true, 120, 30},
        {0, "10\t20\t-40,5\t0.0", ',', true, -40.5, 0},
        {0, " 10  20  400 90", '.', true, 400, 90},
        {0, "10 20", '.', false, 0, 0},
        {0, "10 20 120", '.', false, 0, 0},
        {0, "10 20 120 90.5", '.', false, 0, 0},
        {0, "10 20 120 -1", '.', false, 0, 0},
        {0, "10 20 x 30", '.', false, 0, 0},
        {0, "10 20 120 30,5", '.', false, 0, 0},
        {0, "10 95 120 30", '.', false, 0, 0}, // the datum's own limits still hold
        {1, "10 20 5 120 30", '.', true, 120, 30},
        {1, "10 20 5 120", '.', false, 0, 0},
        {1, "10 20 120 30", '.', false, 0, 0}, // 120 is the a95: no dip
    };
    for (const BeddingCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " line [" << c.line << "]");
        const Direction d = ReadDataLine(c.type, c.line, ReadingOptions{c.separator, true});
        EXPECT_EQ(d.Success, c.success);
        EXPECT_EQ(d.HasBedding, c.success);
        if (c.success) {
            EXPECT_EQ(d.Dec, 10.0);
            EXPECT_EQ(d.Inc, 20.0);
            EXPECT_EQ(d.BeddingDipDirection, c.dipDirection);
            EXPECT_EQ(d.BeddingDip, c.dip);
        }
    }
}

TEST(ReadDataLine, BeddingIsReadOnlyWhenAskedForAndOnlyByTypesZeroAndOne) {
    const Direction plain = ReadDataLine(0, "10 20 120 95");
    EXPECT_TRUE(plain.Success);
    EXPECT_FALSE(plain.HasBedding);
    EXPECT_EQ(plain.BeddingDipDirection, 0.0);
    EXPECT_EQ(plain.BeddingDip, 0.0);
    EXPECT_TRUE(ReadDataLine(1, "10 20 5").Success);

    const ReadingOptions bedding{'.', true};
    const Direction pole = ReadDataLine(10, "120 30", bedding);
    EXPECT_TRUE(pole.Success);
    EXPECT_FALSE(pole.HasBedding);
    EXPECT_EQ(pole.Dec, 300.0);
    const Direction fixed = ReadDataLine(2, std::string(11, ' ') + "  350   -45", bedding);
    EXPECT_TRUE(fixed.Success);
    EXPECT_FALSE(fixed.HasBedding);
    EXPECT_EQ(RejectionReason(9, "0 30", bedding), "");
}

TEST(FileTypeColumns, DescribeWhatEachReaderReads) {
    const std::pair<int, std::string> cases[] = {
        {0, "declination or longitude, inclination or latitude (-90...90), then anything "
            "(numbers separated by spaces or tabs)"},
        {1, "declination, inclination (-90...90), a95, then anything (numbers separated by "
            "spaces or tabs)"},
        {2, "columns 12-16: declination; 18-22: inclination (-90...90)"},
        {3, "columns 50-54: declination; 56-60: inclination (-90...90)"},
        {4, "lines 1-2 are headers; columns 8-12: declination; 14-18: inclination (-90...90); "
            "41-45: error radius"},
        {5, "lines 1-2 are headers; columns 20-24: declination; 26-30: inclination (-90...90); "
            "41-45: error radius"},
        {6, "lines 1-2 are headers; columns 47-51: declination; 53-57: inclination (-90...90); "
            "41-45: error radius"},
        {7, "columns 22-26: declination; 28-32: inclination (-90...90); 56-60: error radius"},
        {8, "columns 34-38: declination; 40-44: inclination (-90...90); 56-60: error radius"},
        {9, "strike, dip (0...90), then anything (numbers separated by spaces or tabs)"},
        {10, "dip direction, dip (0...90), then anything (numbers separated by spaces or tabs); "
             "this type reads the dip direction first, then the dip"},
        {11, ""},
        {-1, ""},
    };
    for (const auto& [type, columns] : cases) {
        SCOPED_TRACE(type);
        const std::string text = FileTypeColumns(type);
        EXPECT_EQ(text, columns);
        // Short enough for a tooltip line, and plain ASCII.
        EXPECT_LT(text.size(), 150U);
        EXPECT_EQ(text.find_first_not_of(
                      " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`"
                      "abcdefghijklmnopqrstuvwxyz{|}~"),
                  std::string::npos);
    }
    const ReadingOptions bedding{'.', true};
    EXPECT_EQ(FileTypeColumns(0, bedding),
              "declination or longitude, inclination or latitude (-90...90), bedding dip "
              "direction, bedding dip (0...90), then anything (numbers separated by spaces or "
              "tabs)");
    EXPECT_EQ(FileTypeColumns(1, bedding),
              "declination, inclination (-90...90), a95, bedding dip direction, bedding dip "
              "(0...90), then anything (numbers separated by spaces or tabs)");
    EXPECT_EQ(FileTypeColumns(9, bedding), FileTypeColumns(9));
}

TEST(ReadDataLine, MegabyteLinesAreReadToTheirEnd) {
    const std::size_t megabyte = std::size_t{1} << 20;
    const std::string digits(megabyte, '0'); // one huge token; fields of "00000"
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
