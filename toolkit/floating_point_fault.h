#pragma once

#include <stdexcept>

// The one exception of the numeric core. The statistics raise it where an
// unguarded division, square root or logarithm would fault in hardware; the
// plot pass lets it end the redraw and the window shows what() in its error box.
class FloatingPointFault : public std::runtime_error {
public:
    enum class Kind { DivisionByZero, InvalidOperation, Overflow };

    explicit FloatingPointFault(Kind kind);

    Kind kind() const noexcept { return kind_; }

    // "Floating point division by zero", "Invalid floating point operation",
    // "Floating point overflow".
    static const char* MessageOf(Kind kind) noexcept;

private:
    Kind kind_;
};
