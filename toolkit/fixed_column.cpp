#include "fixed_column.h"

#include <cstddef>

#include "direction.h"
#include "number_text.h"

ColumnLayout ColumnLayoutOf(int fileType) {
    switch (fileType) {
    case 2:
        return {12, 18, 0};
    case 3:
        return {50, 56, 0};
    case 4:
        return {8, 14, 41};
    case 5:
        return {20, 26, 41};
    case 6:
        return {47, 53, 41};
    case 7:
        return {22, 28, 56};
    case 8:
        return {34, 40, 56};
    default:
        return {};
    }
}

namespace {

// The field of kFieldWidth characters from a 1-based column: shorter where the
// line ends inside it, empty where the line ends before it.
std::string_view FieldAt(std::string_view line, int column) {
    const auto start = static_cast<std::size_t>(column - 1);
    if (column < 1 || start >= line.size()) {
        return {};
    }
    return line.substr(start, kFieldWidth);
}

double ReadField(std::string_view line, int column, bool& success, char separator) {
    if (const auto value = FieldToNumber(FieldAt(line, column), separator)) {
        return *value;
    }
    success = false;
    return 0.0;
}

} // namespace

void ReadFixedColumnLine(std::string_view line, const ColumnLayout& layout, Direction& d,
                         char decimalSeparator) {
    d.Success = true;
    if (line.size() < 3) {
        d.Success = false;
        return;
    }
    // Every field is read whatever became of the ones before it.
    d.Dec = ReadField(line, layout.DecColumn, d.Success, decimalSeparator);
    d.Inc = ReadField(line, layout.IncColumn, d.Success, decimalSeparator);
    if (layout.ErrorColumn > 0) {
        d.ErrorRadius = ReadField(line, layout.ErrorColumn, d.Success, decimalSeparator);
    }
}
