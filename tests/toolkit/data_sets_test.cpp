#include <gtest/gtest.h>

#include <optional>
#include <string_view>

#include "data_sets.h"

namespace {

TEST(DataSetName, AHashAfterBlanksStartsASetNamedByTheTrimmedRest) {
    struct Row {
        std::string_view line;
        std::optional<std::string_view> name;
    };
    const Row rows[] = {
        {"#Site A", "Site A"},
        {"  \t# Site B \t ", "Site B"},
        {"#", ""},
        {"#   ", ""},
        {"## twice", "# twice"},
        {"10 20 # a tagline", std::nullopt},
        {"x#", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
    };
    for (const Row& row : rows)
        EXPECT_EQ(DataSetName(row.line), row.name) << row.line;
}

} // namespace
