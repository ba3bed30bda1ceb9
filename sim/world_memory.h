// The world's memory: what its lists take for entities and nodes, and the
// food index built over them, is counted as it is taken and given back. Past
// the budget a request fails as an exhausted heap fails it (std::bad_alloc),
// and the run ends as it does then. Food that outlives its whirls' drops can
// grow without bound; this ends such a world before the machine pages itself
// to a standstill or the kernel ends some other program for it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <new>

#include "render/machine_memory.h"

// A quarter of the machine's memory and of the process's address space, at
// most 1 GiB and at least 64 MiB (the largest built-in world needs 35 MB).
uint64_t worldMemoryBudgetFor(const MachineMemory& machine);

// The budget in force: chosen from the machine on first use, lowered (never
// raised) by TOVRINE_WORLD_MEMORY_MB, so that a test can run out quickly.
uint64_t worldMemoryBudget();
// Replaces it, for tests; 0 chooses again.
void setWorldMemoryBudget(uint64_t bytes);
// What the world holds now, counted as the heap takes it.
uint64_t worldMemoryInUse();

// Throws std::bad_alloc past the budget, counting nothing.
void* takeWorldMemory(std::size_t bytes);
// `bytes` as given to takeWorldMemory.
void giveWorldMemory(void* block, std::size_t bytes) noexcept;

// The containers of the food index count in the world's memory.
template <typename T>
struct WorldAllocator {
    using value_type = T;
    WorldAllocator() = default;
    template <typename U>
    WorldAllocator(const WorldAllocator<U>&) noexcept
    {
    }
    T* allocate(std::size_t n)
    {
        if (n > std::numeric_limits<std::size_t>::max() / sizeof(T))
            throw std::bad_alloc();
        return static_cast<T*>(takeWorldMemory(n * sizeof(T)));
    }
    void deallocate(T* block, std::size_t n) noexcept { giveWorldMemory(block, n * sizeof(T)); }
    template <typename U>
    bool operator==(const WorldAllocator<U>&) const noexcept
    {
        return true;
    }
    template <typename U>
    bool operator!=(const WorldAllocator<U>&) const noexcept
    {
        return false;
    }
};
