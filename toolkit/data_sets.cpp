#include "data_sets.h"

namespace {

constexpr std::string_view kBlanks = " \t";

} // namespace

std::optional<std::string_view> DataSetName(std::string_view line) {
    const std::size_t first = line.find_first_not_of(kBlanks);
    if (first == std::string_view::npos || line[first] != '#') {
        return std::nullopt;
    }
    std::string_view name = line.substr(first + 1);
    const std::size_t start = name.find_first_not_of(kBlanks);
    if (start == std::string_view::npos) {
        return std::string_view();
    }
    name.remove_prefix(start);
    name.remove_suffix(name.size() - 1 - name.find_last_not_of(kBlanks));
    return name;
}
