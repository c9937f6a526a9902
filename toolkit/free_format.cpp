#include "free_format.h"

#include <algorithm>
#include <cstddef>

#include "direction.h"
#include "number_text.h"
#include "rejection_text.h"

// The readers walk the line exactly as the step lists of the free format give
// it, so that failing lines leave the same values behind. Positions in the
// comments are 1-based like the steps; the code uses 0-based views.
namespace {

std::string_view Strip(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    return text;
}

// 1-based position of the first space, or the length when no space comes first.
std::size_t TokenEnd(std::string_view text) {
    const std::size_t space = text.find(' ');
    return space == std::string_view::npos ? text.size() : space + 1;
}

bool IsBlank(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

// Characters 1 to count of text.
std::string_view Head(std::string_view text, std::size_t count) {
    return text.substr(0, count);
}

// Characters from position to the end (1-based position).
std::string_view From(std::string_view text, std::size_t position) {
    return text.substr(position - 1);
}

double Convert(std::string_view field, bool& success, char separator) {
    if (const auto value = FieldToNumber(field, separator)) {
        return *value;
    }
    success = false;
    return 0.0;
}

// The closing steps of both readers: after the previous token, the rest must
// hold one more token, which is read up to its end; what follows is ignored.
double ReadLastToken(std::string_view rest, bool& success, char separator) {
    if (IsBlank(rest)) {
        success = false;
        return 0.0;
    }
    rest = Strip(rest);
    std::size_t p = TokenEnd(rest);
    if (rest[p - 1] == ' ') {
        --p;
    }
    return Convert(Head(rest, p), success, separator);
}

} // namespace

void ReadTwoNumberLine(std::string_view line, Direction& d, char decimalSeparator) {
    d.Success = true;
    if (line.size() < 3) {
        d.Dec = 0.0;
        d.Inc = 0.0;
        d.Success = false;
        return;
    }
    std::string_view text = Strip(line);
    if (text.empty()) {
        d.Success = false;
        return;
    }
    std::size_t p = TokenEnd(text);
    if (p == text.size()) {
        d.Dec = Convert(Head(text, p), d.Success, decimalSeparator);
        d.Inc = 0.0;
        d.Success = false;
        return;
    }
    d.Dec = Convert(Head(text, p - 1), d.Success, decimalSeparator);
    d.Inc = ReadLastToken(From(text, p), d.Success, decimalSeparator);
}

void ReadSiteMeanLine(std::string_view line, Direction& d, char decimalSeparator) {
    d.Success = true;
    if (line.size() < 5) {
        d.Dec = 0.0;
        d.Inc = 0.0;
        d.ErrorRadius = 0.0;
        d.Success = false;
        return;
    }
    std::string_view text = Strip(line);
    if (text.empty()) {
        d.Success = false;
        return;
    }
    // A first token that runs to the end of the line loses its last character
    // here and the reading goes on; the missing second or third token then
    // clears the flag, so those values are never used.
    std::size_t p = TokenEnd(text);
    d.Dec = Convert(Head(text, p - 1), d.Success, decimalSeparator);
    text = From(text, p);
    if (IsBlank(text)) {
        d.Inc = 0.0;
        d.ErrorRadius = 0.0;
        d.Success = false;
        return;
    }
    text = Strip(text);
    p = TokenEnd(text);
    if (p == text.size()) {
        d.Inc = Convert(Head(text, p), d.Success, decimalSeparator);
        d.ErrorRadius = 0.0;
        d.Success = false;
        return;
    }
    d.Inc = Convert(Head(text, p - 1), d.Success, decimalSeparator);
    d.ErrorRadius = ReadLastToken(From(text, p), d.Success, decimalSeparator);
}

// The reasons follow the readers' visible contract: a reader reads a line
// exactly when its first count tokens exist and convert. The short-line steps
// need no reason of their own, since count tokens take at least 2 count - 1
// characters; the differential test holds the contract to the steps above.
namespace {

constexpr std::string_view kOrdinals[] = {"first", "second", "third"};

// Why the token line[begin, end) is no number; empty when it converts.
std::string TokenRejection(std::string_view line, std::size_t begin, std::size_t end,
                           char separator) {
    const std::string_view token = line.substr(begin, end - begin);
    const NumberFault fault = NumberFaultOf(token, separator);
    if (fault == NumberFault::None) {
        return {};
    }
    if (fault == NumberFault::Tab) {
        // A tab between two pieces of text is what a spreadsheet pastes.
        const std::size_t tab = token.find('\t');
        const bool between = token.find_first_not_of('\t') < tab &&
                             token.find_first_not_of('\t', tab) != std::string_view::npos;
        return "a tab at column " + std::to_string(begin + tab + 1) +
               (between ? " separates the numbers; use spaces"
                        : " is not a space; separate numbers with spaces");
    }
    std::string reason = QuotedText(token) + " at column " + std::to_string(begin + 1) + " is " +
                         NotANumberWords(fault, separator);
    if (fault == NumberFault::NotANumber && token.find_first_of(",;") != std::string_view::npos) {
        reason += "; separate numbers with spaces";
    }
    return reason;
}

// missingLast, when not empty, is said when only the last token is missing.
std::string FreeFormatRejection(std::string_view line, std::size_t count,
                                std::string_view missingLast, char separator) {
    std::size_t end = 0;
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t begin = line.find_first_not_of(' ', end);
        if (begin == std::string_view::npos) {
            if (k + 1 == count && !missingLast.empty()) {
                return std::string(missingLast);
            }
            return "the " + std::string(kOrdinals[k]) + " number is missing";
        }
        end = std::min(line.find(' ', begin), line.size());
        if (std::string reason = TokenRejection(line, begin, end, separator); !reason.empty()) {
            return reason;
        }
    }
    return {};
}

} // namespace

std::string TwoNumberLineRejection(std::string_view line, char decimalSeparator) {
    return FreeFormatRejection(line, 2, {}, decimalSeparator);
}

std::string SiteMeanLineRejection(std::string_view line, char decimalSeparator) {
    return FreeFormatRejection(line, 3, "a third number (a95) is required for site means",
                               decimalSeparator);
}
