#include "floating_point_fault.h"

FloatingPointFault::FloatingPointFault(Kind kind)
    : std::runtime_error(MessageOf(kind)), kind_(kind) {}

const char* FloatingPointFault::MessageOf(Kind kind) noexcept {
    switch (kind) {
    case Kind::DivisionByZero:
        return "Floating point division by zero";
    case Kind::InvalidOperation:
        return "Invalid floating point operation";
    case Kind::Overflow:
        return "Floating point overflow";
    }
    return "Invalid floating point operation";
}
