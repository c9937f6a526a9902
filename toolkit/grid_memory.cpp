#include "grid_memory.h"

#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Below this a huge page would cost more to clear than the faults it saves.
constexpr std::size_t kHugeFrom = std::size_t{128} << 10;

} // namespace

void* AllocateGridMemory(std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (bytes >= kHugeFrom) {
        const std::size_t size = (bytes + kHugePage - 1) / kHugePage * kHugePage;
        if (void* block = std::aligned_alloc(kHugePage, size)) {
            // Advice only: refused, it leaves ordinary pages.
            madvise(block, size, MADV_HUGEPAGE);
            return block;
        }
        throw std::bad_alloc();
    }
#endif
    if (void* block = std::malloc(bytes > 0 ? bytes : 1)) {
        return block;
    }
    throw std::bad_alloc();
}

void FreeGridMemory(void* block) noexcept {
    std::free(block);
}
