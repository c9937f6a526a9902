#include "fixed_column.h"

#include <cstddef>

#include "direction.h"
#include "number_text.h"
#include "rejection_text.h"
#include "value_limits.h"

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

// The fields in the order the reader takes them, with their limits.
struct Field {
    int ColumnLayout::*Column;
    ValueLimits Limits;
};
constexpr Field kFields[] = {
    {&ColumnLayout::DecColumn, AnyValue("declination")},
    {&ColumnLayout::IncColumn, Within(-90.0, 90.0, "inclination")},
    {&ColumnLayout::ErrorColumn, AnyValue("error radius")},
};
constexpr const ValueLimits& kInclination = kFields[1].Limits;

std::size_t FieldCount(const ColumnLayout& layout) {
    return layout.ErrorColumn > 0 ? 3 : 2;
}

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
    if (!kInclination.Holds(d.Inc)) {
        d.Success = false;
    }
}

namespace {

std::string_view TrimSpaces(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string_view::npos
               ? std::string_view()
               : text.substr(first, text.find_last_not_of(' ') + 1 - first);
}

std::string ColumnRange(int column) {
    return std::to_string(column) + "-" + std::to_string(column + kFieldWidth - 1);
}

// Why the field from column holds no number, or one outside the limits; empty
// when it reads.
std::string FieldRejection(std::string_view line, int column, const ValueLimits& limits,
                           char separator) {
    const std::string_view field = FieldAt(line, column);
    const NumberFault fault = NumberFaultOf(field, separator);
    if (fault == NumberFault::None && limits.Holds(FieldToNumber(field, separator).value_or(0.0))) {
        return {};
    }
    const std::string where =
        "columns " + ColumnRange(column) + " (" + std::string(limits.Name) + ")";
    switch (fault) {
    case NumberFault::None:
        return where + " hold " + NumberAsWritten(TrimSpaces(field)) + ", " + OutsideWords(limits);
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
    for (std::size_t i = 0; i < FieldCount(layout); ++i) {
        const Field& field = kFields[i];
        if (std::string reason =
                FieldRejection(line, layout.*field.Column, field.Limits, decimalSeparator);
            !reason.empty()) {
            return reason;
        }
    }
    return {};
}

std::string FixedColumnLineColumns(const ColumnLayout& layout) {
    std::string text = "columns ";
    for (std::size_t i = 0; i < FieldCount(layout); ++i) {
        const Field& field = kFields[i];
        if (i > 0) {
            text += "; ";
        }
        text += ColumnRange(layout.*field.Column) + ": " + std::string(field.Limits.Name);
        if (field.Limits.IsLimited()) {
            text += " (" + RangeWords(field.Limits) + ")";
        }
    }
    return text;
}
