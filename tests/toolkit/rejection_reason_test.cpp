#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <new>
#include <random>
#include <string>

#include "counting_new.h"
#include "file_type.h"
#include "fixed_column.h"

namespace {

// A line of the given length of spaces with texts written from 1-based columns.
std::string Columns(std::size_t length,
                    std::initializer_list<std::pair<int, std::string_view>> fields) {
    std::string line(length, ' ');
    for (const auto& [column, text] : fields) {
        line.replace(static_cast<std::size_t>(column - 1), text.size(), text);
    }
    return line;
}

struct ReasonCase {
    int type;
    std::string line;
    char separator;
    std::string reason;
};

TEST(RejectionReason, NamesTheTokenOrFieldAndItsColumn) {
    const ReasonCase cases[] = {
        {0, "10 20", '.', ""},
        {0, "   ", '.', ""}, // blank lines never reach a reader
        {0, "10\t20", '.', ""},
        {0, "\t10 20", '.', ""},
        {0, "\t\t", '.', "the first number is missing"},
        {0, "50,5 20", '.', "'50,5' at column 1 is not a number (the decimal separator is '.')"},
        {0, "10\t20,5", '.', "'20,5' at column 4 is not a number (the decimal separator is '.')"},
        {0, "10 20.5", ',', ""},
        {0, "1,5 2", '/',
         "'1,5' at column 1 is not a number (the decimal separator is '.' or '/')"},
        {0, "10 95", '.', "inclination or latitude 95 at column 4 is outside -90...90"},
        {0, "10\t-90.5e0 S1", ',',
         "inclination or latitude -90.5e0 at column 4 is outside -90...90"},
        {0, "1 200000000000000000000000", '.',
         "inclination or latitude 20000000000000000000... at column 3 is outside -90...90"},
        {0, "10", '.', "the second number is missing"},
        {0, "10  x", '.', "'x' at column 5 is not a number"},
        {0, "x 10", '.', "'x' at column 1 is not a number"}, // the first fault is named
        {0, "10,20,30", '.',
         "'10,20,30' at column 1 is not a number; separate numbers with spaces"},
        {0, "1e999 5", '.', "'1e999' at column 1 is too large a number"},
        {0, "abcdefghijklmnopqrstuvwxyz 1", '.',
         "'abcdefghijklmnopqrst...' at column 1 is not a number"},
        {0, "x\x01y 2", '.', "'x[0x01]y' at column 1 is not a number"},
        {1, "10 20 5", '.', ""},
        {1, "10 20", '.', "a third number (a95) is required for site means"},
        {1, "12345", '.', "the second number is missing"},
        {1, "10 95 x", '.', "inclination 95 at column 4 is outside -90...90"},
        {9, "120 95", '.', "dip 95 at column 5 is outside 0...90"},
        {10, "30\t210", '.',
         "dip 210 at column 4 is outside 0...90; this type reads the dip direction first, then "
         "the dip"},
        {10, "210 -0.5", '.',
         "dip -0.5 at column 5 is outside 0...90; this type reads the dip direction first, then "
         "the dip"},
        {2, "ab", '.', "the line is too short (2 characters)"},
        {2, Columns(16, {{12, "123"}}), '.',
         "the line ends at column 16, before columns 18-22 (inclination)"},
        {2, Columns(22, {{12, "12 34"}, {18, "5"}}), '.',
         "columns 12-16 (declination) hold '12 34', not a number"},
        {2, Columns(22, {{12, "1\t2"}, {18, "5"}}), '.',
         "columns 12-16 (declination) hold a tab; align the columns with spaces"},
        {2, Columns(22, {{12, "10"}, {18, "-91.5"}}), '.',
         "columns 18-22 (inclination) hold -91.5, outside -90...90"},
        {8, Columns(60, {{34, "10"}, {40, "  95"}, {56, "x"}}), ',',
         "columns 40-44 (inclination) hold 95, outside -90...90"},
        {4, Columns(50, {{8, "10.5"}, {14, "20.5"}}), '.',
         "columns 41-45 (error radius) hold no number"},
        {5, Columns(45, {{20, "1,5"}, {26, "2"}, {41, "3"}}), '.',
         "columns 20-24 (declination) hold '1,5', not a number (the decimal separator is '.')"},
        // Type 6 reads its error field (41-45) last, though it lies first.
        {6, Columns(57, {{41, "x"}, {53, "10"}}), '.',
         "columns 47-51 (declination) hold no number"},
        {6, Columns(57, {{41, "9e999"}, {47, "200"}, {53, "10"}}), '.',
         "columns 41-45 (error radius) hold '9e999', too large a number"},
        {11, "10 20", '.', "there is no file type 11"},
    };
    for (const ReasonCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " line [" << c.line << "]");
        EXPECT_EQ(RejectionReason(c.type, c.line, c.separator), c.reason);
    }
}

TEST(RejectionReason, NamesAMissingOrImpossibleBedding) {
    const ReasonCase cases[] = {
        {0, "10 20 120 30", '.', ""},
        {0, "10 20", '.', "the third number (bedding dip direction) is missing"},
        {0, "10\t20\t120\t", '.', "the fourth number (bedding dip) is missing"},
        {0, "10 20 120 95", '.', "bedding dip 95 at column 11 is outside 0...90"},
        {0, "10 20 x 30", '.', "'x' at column 7 is not a number"},
        {0, "10 20 1,5 30", '.',
         "'1,5' at column 7 is not a number (the decimal separator is '.')"},
        {0, "10 95 120 95", '.', "inclination or latitude 95 at column 4 is outside -90...90"},
        {1, "10 20", '.', "a third number (a95) is required for site means"},
        {1, "10 20 5", '.', "the fourth number (bedding dip direction) is missing"},
        {1, "10 20 5 120", ',', "the fifth number (bedding dip) is missing"},
        {1, "10 20 5 120 -0.5", ',', "bedding dip -0.5 at column 13 is outside 0...90"},
        {2, Columns(22, {{12, "10"}, {18, "20"}}), '.', ""},
    };
    for (const ReasonCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " line [" << c.line << "]");
        EXPECT_EQ(RejectionReason(c.type, c.line, ReadingOptions{c.separator, true}), c.reason);
    }
}

TEST(RejectionReason, AllocatesNothingForALineThatIsRead) {
    struct ReadLine {
        int type;
        std::string line;
        ReadingOptions options;
    };
    const ReadLine read[] = {
        {1, "  350.5  -45.25  3.5 S01 a long tagline that is never looked at", {}},
        {1, "350,5\t-45.25\t3.5\t120\t30\tS01", {',', true}},
        {4, Columns(45, {{8, "10.5"}, {14, "20.5"}, {41, "3"}}), {',', false}},
    };
    for (const auto& [type, line, options] : read) {
        const long long before = OperatorNewCalls();
        const bool empty = RejectionReason(type, line, options).empty();
        const bool success = ReadDataLine(type, line, options).Success;
        EXPECT_EQ(OperatorNewCalls(), before) << line;
        EXPECT_TRUE(empty) << line;
        EXPECT_TRUE(success) << line;
    }
}

// Lines that a reader of some type may accept, built from random pieces of
// the alphabet a data file holds: numbers, junk tokens, spaces and tabs, and
// numbers placed in the columns of a fixed-column layout.
class LineMaker {
public:
    std::string Next() {
        std::string line;
        switch (Below(4)) {
        case 0:
            line = RandomCharacters(Below(81));
            break;
        case 1:
            line = Tokens();
            break;
        case 2:
            line = DataLine();
            break;
        default:
            line = FixedColumns();
            break;
        }
        return line.substr(0, 80);
    }

private:
    // Control characters and bytes above 0x7F probe the word-wise token scan.
    static constexpr std::string_view kAlphabet = "   0123456789+-.,eE\tabxyz\x01\xA0";

    std::size_t Below(std::size_t n) { return static_cast<std::size_t>(random_() % n); }
    char Pick(std::string_view from) { return from[Below(from.size())]; }

    std::string RandomCharacters(std::size_t length) {
        std::string s;
        for (std::size_t i = 0; i < length; ++i) {
            s += Pick(kAlphabet);
        }
        return s;
    }

    std::string Number() {
        std::string s;
        if (Below(3) == 0) {
            s += Pick("+-");
        }
        const std::size_t digits = Below(4);
        for (std::size_t i = 0; i < digits; ++i) {
            s += Pick("0123456789");
        }
        if (digits == 0 || Below(2) == 0) {
            s += Pick(".,");
            s += Pick("0123456789");
        }
        if (Below(8) == 0) {
            s += Pick("eE");
            s += Pick("+-0123456789");
        }
        return s;
    }

    std::string Tokens() {
        std::string line(Below(3), ' ');
        const std::size_t count = Below(6);
        for (std::size_t i = 0; i < count; ++i) {
            line += Below(6) == 0 ? RandomCharacters(1 + Below(4)) : Number();
            line += Below(10) == 0 ? std::string("\t") : std::string(1 + Below(3), ' ');
        }
        return line;
    }

    // Two to six angles, most of them in -99...99 so that limits are met and
    // missed, separated as typed or pasted.
    std::string DataLine() {
        std::string line(Below(2), Below(2) == 0 ? ' ' : '\t');
        const std::size_t count = 2 + Below(5);
        for (std::size_t i = 0; i < count; ++i) {
            line += Below(10) == 0 ? Number() : std::to_string(static_cast<int>(Below(199)) - 99);
            if (Below(3) == 0) {
                line += Pick(".,");
                line += Pick("0123456789");
            }
            line += Below(3) == 0 ? std::string("\t") : std::string(1 + Below(2), ' ');
        }
        if (Below(4) == 0) {
            line += "S1";
        }
        return line;
    }

    std::string FixedColumns() {
        const ColumnLayout layout = ColumnLayoutOf(2 + static_cast<int>(Below(7)));
        // Half the lines reach past every field, so that some are read.
        const std::size_t length = Below(2) == 0 ? Below(81) : 60 + Below(21);
        std::string line(length, Below(4) == 0 ? 'x' : ' ');
        for (const int column : {layout.DecColumn, layout.IncColumn, layout.ErrorColumn}) {
            const auto at = static_cast<std::size_t>(column - 1 + static_cast<int>(Below(2)));
            if (column > 0 && at < line.size()) {
                line.replace(at, std::min(line.size() - at, std::size_t{5}), Number());
            }
        }
        for (std::size_t i = Below(3); i > 0 && !line.empty(); --i) {
            line[Below(line.size())] = Pick(kAlphabet);
        }
        return line;
    }

    std::mt19937_64 random_{20260109};
};

// The reasons and the readers must agree on every line: a reason exactly
// for a non-blank line that ReadDataLine rejects, with and without the bedding.
TEST(RejectionReason, AgreesWithTheReadersOnGeneratedLines) {
    constexpr int kLines = 100'000;
    LineMaker maker;
    std::array<std::array<int, kFileTypeCount>, 2> accepted{};
    long compared = 0;
    for (int i = 0; i < kLines; ++i) {
        const std::string line = maker.Next();
        const bool blank = IsBlankLine(line);
        for (const char separator : {'.', ','}) {
            for (const bool bedding : {false, true}) {
                const ReadingOptions options{separator, bedding};
                for (int type = 0; type < kFileTypeCount; ++type) {
                    const bool read = ReadDataLine(type, line, options).Success;
                    const std::string reason = RejectionReason(type, line, options);
                    ASSERT_EQ(reason.empty(), read || blank)
                        << "type " << type << " separator " << separator << " bedding " << bedding
                        << " line [" << line << "] reason [" << reason << "]";
                    accepted[bedding ? 1 : 0][static_cast<std::size_t>(type)] += read ? 1 : 0;
                    ++compared;
                }
            }
        }
    }
    // The generator must reach the accepting side of every reader, or the
    // agreement says little.
    std::cout << "lines compared: " << compared << " (" << kLines
              << " lines, 11 types, 2 separators, with and without bedding); read by type:";
    for (const auto& byType : accepted) {
        for (int type = 0; type < kFileTypeCount; ++type) {
            EXPECT_GT(byType[static_cast<std::size_t>(type)], kLines / 200) << "type " << type;
            std::cout << ' ' << byType[static_cast<std::size_t>(type)];
        }
        std::cout << ';';
    }
    std::cout << '\n';
}

} // namespace
