#pragma once

#include <optional>
#include <string_view>

// A line whose first character that is neither a space nor a tab is '#'
// starts a new data set; the set is named by the rest of the line, spaces
// and tabs trimmed at both ends (possibly empty). Nothing for any other line.
std::optional<std::string_view> DataSetName(std::string_view line);
