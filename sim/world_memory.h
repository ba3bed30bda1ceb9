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
#include <utility>

#include "platform/services.h"

// A quarter of the machine's memory and of the process's address space, at
// most 1 GiB and at least 64 MiB (the largest built-in world needs 35 MB).
uint64_t worldMemoryBudgetFor(const MachineMemory& machine);

// One world's account.
struct WorldMemory {
    uint64_t budget = 0;  // 0: chosen on first use (worldMemoryBudget)
    uint64_t inUse = 0;   // what the world holds now, counted as the heap takes it
    // The last change stamp given to one of the world's lists
    // (EntityList::changeStamp): the world's own, so that two worlds in two
    // threads share no counter.
    uint64_t lastChangeStamp = 0;
};

// The budget in force: chosen from the machine on first use, lowered (never
// raised) by TOVRINE_WORLD_MEMORY_MB, so that a test can run out quickly.
// A test sets memory.budget itself to choose another.
uint64_t worldMemoryBudget(WorldMemory& memory);

// Throws std::bad_alloc past the budget, counting nothing.
void* takeWorldMemory(WorldMemory& memory, std::size_t bytes);
// `bytes` as given to takeWorldMemory.
void giveWorldMemory(WorldMemory& memory, void* block, std::size_t bytes) noexcept;

// Entities and list nodes are made and ended through these, in the account
// of the world they belong to. makeInWorld throws std::bad_alloc past the
// budget, and gives the block back when the constructor throws.
template <typename T, typename... Args>
T* makeInWorld(WorldMemory& memory, Args&&... args)
{
    void* block = takeWorldMemory(memory, sizeof(T));
    try {
        return new (block) T(std::forward<Args>(args)...);
    } catch (...) {
        giveWorldMemory(memory, block, sizeof(T));
        throw;
    }
}

template <typename T>
void endInWorld(WorldMemory& memory, T* object) noexcept
{
    if (object == nullptr)
        return;
    object->~T();
    giveWorldMemory(memory, object, sizeof(T));
}

// The containers of the food index count in the world's memory.
template <typename T>
struct WorldAllocator {
    using value_type = T;
    explicit WorldAllocator(WorldMemory& account) noexcept : memory(&account) {}
    template <typename U>
    WorldAllocator(const WorldAllocator<U>& other) noexcept : memory(other.memory)
    {
    }
    T* allocate(std::size_t n)
    {
        if (n > std::numeric_limits<std::size_t>::max() / sizeof(T))
            throw std::bad_alloc();
        return static_cast<T*>(takeWorldMemory(*memory, n * sizeof(T)));
    }
    void deallocate(T* block, std::size_t n) noexcept
    {
        giveWorldMemory(*memory, block, n * sizeof(T));
    }
    template <typename U>
    bool operator==(const WorldAllocator<U>& other) const noexcept
    {
        return memory == other.memory;
    }
    template <typename U>
    bool operator!=(const WorldAllocator<U>& other) const noexcept
    {
        return memory != other.memory;
    }
    WorldMemory* memory;
};
