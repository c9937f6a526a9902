#pragma once

#include <cstddef>
#include <memory>
#include <type_traits>

// Memory for the density grids, left uninitialised. Fresh memory costs a
// page fault for every 4 KiB on its first touch, which on some systems is
// most of a cold contour pass; a large block is therefore placed on
// transparent huge pages where the system offers them, one fault for 2 MiB.
// Where it does not, the block is ordinary memory: only the time differs.
void* AllocateGridMemory(std::size_t bytes); // throws std::bad_alloc
void FreeGridMemory(void* block) noexcept;

struct GridMemoryFree {
    void operator()(void* block) const noexcept { FreeGridMemory(block); }
};
template <class T> using GridArray = std::unique_ptr<T[], GridMemoryFree>;

// count elements of a type that the allocation itself brings to life
// (trivially copyable and destructible), uninitialised.
template <class T> GridArray<T> MakeGridArray(std::size_t count) {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);
    return GridArray<T>(static_cast<T*>(AllocateGridMemory(count * sizeof(T))));
}
