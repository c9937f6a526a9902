#include "free_format.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

#include "direction.h"
#include "number_text.h"
#include "rejection_text.h"

// The readers walk the line exactly as the step lists of the free format give
// it, so that failing lines leave the same values behind. Positions in the
// comments are 1-based like the steps; the code uses 0-based views. A tab
// counts as a space wherever the steps look for one.
namespace {

// Most characters of a line are digits or letters, above the space: one
// comparison rules them out.
bool IsSeparator(char c) {
    return static_cast<unsigned char>(c) <= ' ' && (c == ' ' || c == '\t');
}

std::string_view Strip(std::string_view text) {
    while (!text.empty() && IsSeparator(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

// 0-based index of the first separator at or after i, or the length. Eight
// characters at a time: the token ends are the hot loop of every redraw.
std::size_t FindSeparator(std::string_view text, std::size_t i) {
    const std::size_t n = text.size();
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t kOnes = 0x0101010101010101;
        constexpr std::uint64_t kHighBits = 0x8080808080808080;
        while (n - i >= 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, text.data() + i, sizeof word);
            // Flags the bytes below 0x21 (the zero-byte test of Mycroft, 1987,
            // shifted); a borrow can flag a byte only above a flagged one, so
            // the lowest flag is exact.
            const std::uint64_t low = (word - kOnes * 0x21) & ~word & kHighBits;
            if (low == 0) {
                i += 8;
                continue;
            }
            const std::size_t at = i + static_cast<std::size_t>(std::countr_zero(low)) / 8;
            if (IsSeparator(text[at])) {
                return at;
            }
            i = at + 1;
        }
    }
    for (; i < n; ++i) {
        if (IsSeparator(text[i])) {
            return i;
        }
    }
    return n;
}

// 1-based position of the first separator, or the length when none comes first.
std::size_t TokenEnd(std::string_view text) {
    const std::size_t at = FindSeparator(text, 0);
    return at == text.size() ? at : at + 1;
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
    rest = Strip(rest); // blank when nothing is left
    if (rest.empty()) {
        success = false;
        return 0.0;
    }
    std::size_t p = TokenEnd(rest);
    if (IsSeparator(rest[p - 1])) {
        --p;
    }
    return Convert(Head(rest, p), success, separator);
}

void TwoNumberSteps(std::string_view line, Direction& d, char decimalSeparator) {
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
        // The token may end in the one separator that ends the line.
        d.Dec =
            Convert(Head(text, IsSeparator(text[p - 1]) ? p - 1 : p), d.Success, decimalSeparator);
        d.Inc = 0.0;
        d.Success = false;
        return;
    }
    d.Dec = Convert(Head(text, p - 1), d.Success, decimalSeparator);
    d.Inc = ReadLastToken(From(text, p), d.Success, decimalSeparator);
}

void SiteMeanSteps(std::string_view line, Direction& d, char decimalSeparator) {
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
    text = Strip(From(text, p)); // blank when nothing is left
    if (text.empty()) {
        d.Inc = 0.0;
        d.ErrorRadius = 0.0;
        d.Success = false;
        return;
    }
    p = TokenEnd(text);
    if (p == text.size()) {
        d.Inc =
            Convert(Head(text, IsSeparator(text[p - 1]) ? p - 1 : p), d.Success, decimalSeparator);
        d.ErrorRadius = 0.0;
        d.Success = false;
        return;
    }
    d.Inc = Convert(Head(text, p - 1), d.Success, decimalSeparator);
    d.ErrorRadius = ReadLastToken(From(text, p), d.Success, decimalSeparator);
}

// The token line[Begin, End); Begin is npos when the line holds no more.
struct Token {
    std::size_t Begin = 0;
    std::size_t End = 0;
};

// The first token that starts at or after the 0-based position from.
Token NextToken(std::string_view line, std::size_t from) {
    std::size_t begin = from;
    while (begin < line.size() && IsSeparator(line[begin])) {
        ++begin;
    }
    if (begin == line.size()) {
        return {std::string_view::npos, std::string_view::npos};
    }
    std::size_t end = begin;
    while (end < line.size() && !IsSeparator(line[end])) {
        ++end;
    }
    return {begin, end};
}

std::string_view TokenText(std::string_view line, Token token) {
    return line.substr(token.Begin, token.End - token.Begin);
}

// A bedding is a dip direction of any size and a dip from horizontal (0) to
// vertical (90).
constexpr std::array<ValueLimits, 2> kBedding = {{
    AnyValue("bedding dip direction"),
    Within(0.0, 90.0, "bedding dip"),
}};

// The bedding, the two numbers after the count numbers of the datum.
void ReadBedding(std::string_view line, std::size_t count, Direction& d, char separator) {
    d.HasBedding = false;
    Token token;
    for (std::size_t k = 0; k < count; ++k) {
        token = NextToken(line, token.End);
        if (token.Begin == std::string_view::npos) {
            d.Success = false;
            return;
        }
    }
    double bedding[2] = {0.0, 0.0};
    for (std::size_t k = 0; k < kBedding.size(); ++k) {
        token = NextToken(line, token.End);
        if (token.Begin == std::string_view::npos) {
            d.Success = false;
            return;
        }
        const std::optional<double> value = FieldToNumber(TokenText(line, token), separator);
        if (!value || !kBedding[k].Holds(*value)) {
            d.Success = false;
            return;
        }
        bedding[k] = *value;
    }
    d.BeddingDipDirection = bedding[0];
    d.BeddingDip = bedding[1];
    d.HasBedding = d.Success;
}

// The limits of the count numbers read, then the bedding where asked for.
// Inlined: it runs for every line of every redraw.
[[gnu::always_inline]] inline void CheckRules(std::string_view line, std::size_t count,
                                              Direction& d, char separator,
                                              const FreeFormatRules& rules) {
    if (d.Success && (!rules.Numbers[0].Holds(d.Dec) || !rules.Numbers[1].Holds(d.Inc) ||
                      (count > 2 && !rules.Numbers[2].Holds(d.ErrorRadius)))) {
        d.Success = false;
    }
    if (rules.Bedding) {
        ReadBedding(line, count, d, separator);
    }
}

} // namespace

void ReadTwoNumberLine(std::string_view line, Direction& d, char decimalSeparator,
                       const FreeFormatRules& rules) {
    TwoNumberSteps(line, d, decimalSeparator);
    CheckRules(line, 2, d, decimalSeparator, rules);
}

void ReadSiteMeanLine(std::string_view line, Direction& d, char decimalSeparator,
                      const FreeFormatRules& rules) {
    SiteMeanSteps(line, d, decimalSeparator);
    CheckRules(line, 3, d, decimalSeparator, rules);
}

// The reasons follow the readers' visible contract: a reader reads a line
// exactly when its first count tokens (and the bedding's two after them) exist,
// convert and lie within their limits. The short-line steps need no reason of
// their own, since count tokens take at least 2 count - 1 characters; the
// differential test holds the contract to the steps above.
namespace {

constexpr std::string_view kOrdinals[] = {"first", "second", "third", "fourth", "fifth"};

// Why the token is no number; empty when it converts. Tokens hold no tab.
std::string TokenRejection(std::string_view line, Token token, char separator) {
    const std::string_view text = TokenText(line, token);
    const NumberFault fault = NumberFaultOf(text, separator);
    if (fault == NumberFault::None) {
        return {};
    }
    std::string reason = QuotedText(text) + " at column " + std::to_string(token.Begin + 1) +
                         " is " + NotANumberWords(fault, separator);
    if (fault == NumberFault::NotANumber && text.find_first_of(",;") != std::string_view::npos) {
        reason += "; separate numbers with spaces";
    }
    return reason;
}

// missingLast, when not empty, is said when only the last number of the datum
// is missing.
std::string FreeFormatRejection(std::string_view line, std::size_t count,
                                std::string_view missingLast, char separator,
                                const FreeFormatRules& rules) {
    const std::size_t total = count + (rules.Bedding ? kBedding.size() : 0);
    Token token;
    for (std::size_t k = 0; k < total; ++k) {
        const ValueLimits& limits = k < count ? rules.Numbers[k] : kBedding[k - count];
        token = NextToken(line, token.End);
        if (token.Begin == std::string_view::npos) {
            if (k >= count) {
                return "the " + std::string(kOrdinals[k]) + " number (" + std::string(limits.Name) +
                       ") is missing";
            }
            if (k + 1 == count && !missingLast.empty()) {
                return std::string(missingLast);
            }
            return "the " + std::string(kOrdinals[k]) + " number is missing";
        }
        if (std::string reason = TokenRejection(line, token, separator); !reason.empty()) {
            return reason;
        }
        const std::string_view text = TokenText(line, token);
        if (!limits.Holds(FieldToNumber(text, separator).value_or(0.0))) {
            return std::string(limits.Name) + " " + NumberAsWritten(text) + " at column " +
                   std::to_string(token.Begin + 1) + " is " + OutsideWords(limits);
        }
    }
    return {};
}

std::string FreeFormatColumns(std::size_t count, const FreeFormatRules& rules) {
    std::string text;
    std::string hints;
    const auto add = [&](const ValueLimits& limits) {
        text += limits.Name;
        if (limits.IsLimited()) {
            text += " (" + RangeWords(limits) + ")";
        }
        text += ", ";
        if (!limits.Hint.empty()) {
            hints += "; ";
            hints += limits.Hint;
        }
    };
    for (std::size_t k = 0; k < count; ++k) {
        add(rules.Numbers[k]);
    }
    if (rules.Bedding) {
        for (const ValueLimits& limits : kBedding) {
            add(limits);
        }
    }
    return text + "then anything (numbers separated by spaces or tabs)" + hints;
}

} // namespace

std::string TwoNumberLineRejection(std::string_view line, char decimalSeparator,
                                   const FreeFormatRules& rules) {
    return FreeFormatRejection(line, 2, {}, decimalSeparator, rules);
}

std::string SiteMeanLineRejection(std::string_view line, char decimalSeparator,
                                  const FreeFormatRules& rules) {
    return FreeFormatRejection(line, 3, "a third number (a95) is required for site means",
                               decimalSeparator, rules);
}

std::string TwoNumberLineColumns(const FreeFormatRules& rules) {
    return FreeFormatColumns(2, rules);
}

std::string SiteMeanLineColumns(const FreeFormatRules& rules) {
    return FreeFormatColumns(3, rules);
}
