#pragma once

// Counts every allocation through operator new in the program that includes
// this header, so a test or benchmark can tell that a call allocated nothing.
// The replacement operators are defined here: include it in exactly one
// source file of a program.

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

inline std::atomic<long long> gOperatorNewCalls{0};

// How many times operator new has run so far.
inline long long OperatorNewCalls() {
    return gOperatorNewCalls.load(std::memory_order_relaxed);
}

void* operator new(std::size_t size) {
    gOperatorNewCalls.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept {
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
