#include "fixed_column.h"

#include <cstddef>
#include <utility>

#include "direction.h"
#include "number_text.h"
#include "rejection_text.h"

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

namespace {

std::string_view TrimSpaces(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string_view::npos
               ? std::string_view()
               : text.substr(first, text.find_last_not_of(' ') + 1 - first);
}

// Why the field from column holds no number; empty when it converts.
std::string FieldRejection(std::string_view line, int column, std::string_view meaning,
                           char separator) {
    const std::string_view field = FieldAt(line, column);
    const NumberFault fault = NumberFaultOf(field, separator);
    if (fault == NumberFault::None) {
        return {};
    }
    const std::string where = "columns " + std::to_string(column) + "-" +
                              std::to_string(column + kFieldWidth - 1) + " (" +
                              std::string(meaning) + ")";
    switch (fault) {
    case NumberFault::Empty:
        if (field.empty()) {
            return "the line ends at column " + std::to_string(line.size()) + ", before " + where;
        }
        return where + " hold no number";
    case NumberFault::Tab:
        // Every character takes one column, a tab too.
        return where + " hold a tab; align the columns with spaces";
    default:
        return where + " hold " + QuotedText(TrimSpaces(field)) + ", " +
               NotANumberWords(fault, separator);
    }
}

} // namespace

std::string FixedColumnLineRejection(std::string_view line, const ColumnLayout& layout,
                                     char decimalSeparator) {
    if (line.size() < 3) {
        return "the line is too short (" + std::to_string(line.size()) +
               (line.size() == 1 ? " character)" : " characters)");
    }
    // The fields in the order the reader takes them.
    const std::pair<int, std::string_view> fields[] = {{layout.DecColumn, "declination"},
                                                       {layout.IncColumn, "inclination"},
                                                       {layout.ErrorColumn, "error radius"}};
    const std::size_t fieldCount = layout.ErrorColumn > 0 ? 3 : 2;
    for (std::size_t i = 0; i < fieldCount; ++i) {
        const auto& [column, meaning] = fields[i];
        if (std::string reason = FieldRejection(line, column, meaning, decimalSeparator);
            !reason.empty()) {
            return reason;
        }
    }
    return {};
}
