#include <gtest/gtest.h>

#include <string>

#include "direction.h"
#include "fixed_column.h"

namespace {

constexpr double kUntouched = -999.0;

// A line of the given length of filler with texts written from 1-based columns.
std::string Line(std::size_t length, std::initializer_list<std::pair<int, std::string_view>> fields,
                 char filler = ' ') {
    std::string line(length, filler);
    for (const auto& [column, text] : fields) {
        line.replace(static_cast<std::size_t>(column - 1), text.size(), text);
    }
    return line;
}

Direction Read(int type, std::string_view line) {
    Direction d{kUntouched, kUntouched, kUntouched, false};
    ReadFixedColumnLine(line, ColumnLayoutOf(type), d);
    return d;
}

TEST(ReadFixedColumnLine, EachLayoutReadsItsOwnColumns) {
    struct LayoutCase {
        int type;
        int dec, inc, error; // start columns; 0 for no error field
    };
    const LayoutCase cases[] = {
        {2, 12, 18, 0},  {3, 50, 56, 0},  {4, 8, 14, 41},  {5, 20, 26, 41},
        {6, 47, 53, 41}, {7, 22, 28, 56}, {8, 34, 40, 56},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type);
        // Digits everywhere else must not leak into the fields.
        std::string line = Line(70, {{c.dec, "123.5"}, {c.inc, "-45.5"}}, '7');
        if (c.error > 0) {
            line.replace(static_cast<std::size_t>(c.error - 1), 5, "  8.5");
        }
        const Direction d = Read(c.type, line);
        EXPECT_TRUE(d.Success);
        EXPECT_EQ(d.Dec, 123.5);
        EXPECT_EQ(d.Inc, -45.5);
        EXPECT_EQ(d.ErrorRadius, c.error > 0 ? 8.5 : kUntouched);
    }
}

TEST(ReadFixedColumnLine, ShortLinesEmptyFieldsAndCutNumbers) {
    struct FieldCase {
        const char* what;
        int type;
        std::string line;
        double dec, inc, error;
        bool success;
    };
    const FieldCase cases[] = {
        {"two characters write nothing", 2, "12", kUntouched, kUntouched, kUntouched, false},
        {"line ends after the first field", 2, Line(16, {{12, "123.4"}}), 123.4, 0, kUntouched,
         false},
        {"number at the right of its field", 2, Line(22, {{12, "  123"}, {18, "   45"}}), 123, 45,
         kUntouched, true},
        {"two numbers in one field", 2, Line(22, {{12, "1 2  "}, {18, "45"}}), 0, 45, kUntouched,
         false},
        {"blank error field", 4, Line(50, {{8, "10.5"}, {14, "20.5"}}), 10.5, 20.5, 0, false},
        {"error field before declination", 6, Line(57, {{41, "3.5"}, {47, "200"}, {53, "-10"}}),
         200, -10, 3.5, true},
        {"text elsewhere", 3, Line(60, {{50, "350.1"}, {56, "-80.9"}}, 'x'), 350.1, -80.9,
         kUntouched, true},
        {"six-character number is cut", 2, Line(30, {{12, "-123.4"}, {18, "10"}}), -123, 10,
         kUntouched, true},
        {"three characters, fields beyond the end", 7, "abc", 0, 0, 0, false},
        {"tab takes one column", 2, "\t" + Line(21, {{11, "15"}, {17, "25"}}), 15, 25, kUntouched,
         true},
    };
    for (const FieldCase& c : cases) {
        SCOPED_TRACE(c.what);
        const Direction d = Read(c.type, c.line);
        EXPECT_EQ(d.Dec, c.dec);
        EXPECT_EQ(d.Inc, c.inc);
        EXPECT_EQ(d.ErrorRadius, c.error);
        EXPECT_EQ(d.Success, c.success);
    }
}

TEST(ReadFixedColumnLine, OtherTypesHaveNoFields) {
    for (const int type : {-1, 0, 1, 9, 10, 11}) {
        const ColumnLayout layout = ColumnLayoutOf(type);
        EXPECT_EQ(layout.DecColumn, 0) << type;
        EXPECT_EQ(Read(type, "10 20 30").Success, false) << type;
    }
}

} // namespace
