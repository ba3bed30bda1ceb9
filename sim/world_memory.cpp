#include "sim/world_memory.h"

#include <algorithm>

namespace {

constexpr uint64_t mebibyte = uint64_t{1} << 20;
// Thirty times the largest world a built-in algorithm or the entity limit
// makes: far beyond any world that settles, well short of what pages.
constexpr uint64_t largestBudget = uint64_t{1} << 30;
// Every built-in world fits, on whatever machine it ran before.
constexpr uint64_t smallestBudget = 64 * mebibyte;

// A heap block costs its header and its rounding too: counted so, the
// budget bounds what the process really holds.
uint64_t heapBytes(std::size_t bytes)
{
    constexpr uint64_t header = sizeof(void*);
    constexpr uint64_t alignment = 2 * sizeof(void*);
    return (uint64_t{bytes} + header + alignment - 1) / alignment * alignment;
}

// A whole number of mebibytes from 1 up; 0 when unset or not one.
uint64_t budgetFromEnvironment()
{
    const char* text = environmentValue("TOVRINE_WORLD_MEMORY_MB");
    if (text == nullptr || *text == '\0')
        return 0;
    uint64_t megabytes = 0;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9' || megabytes > largestBudget)
            return 0;
        megabytes = megabytes * 10 + static_cast<uint64_t>(*c - '0');
    }
    return megabytes * mebibyte;
}

}  // namespace

uint64_t worldMemoryBudgetFor(const MachineMemory& machine)
{
    uint64_t chosen = largestBudget;
    // A screen saver shares the machine with what the user left running.
    if (machine.physicalBytes != 0)
        chosen = std::min(chosen, machine.physicalBytes / 4);
    // The food index's arrays need whole blocks of it, and the heap frays.
    if (machine.addressSpaceBytes != 0)
        chosen = std::min(chosen, machine.addressSpaceBytes / 4);
    return std::max(chosen, smallestBudget);
}

uint64_t worldMemoryBudget(WorldMemory& memory)
{
    if (memory.budget == 0) {
        memory.budget = worldMemoryBudgetFor(machineMemory());
        const uint64_t lowered = budgetFromEnvironment();
        if (lowered != 0)
            memory.budget = std::min(memory.budget, lowered);
    }
    return memory.budget;
}

void* takeWorldMemory(WorldMemory& memory, std::size_t bytes)
{
    const uint64_t cost = heapBytes(bytes);
    const uint64_t limit = worldMemoryBudget(memory);
    if (memory.inUse > limit || cost > limit - memory.inUse)
        throw std::bad_alloc();
    void* block = ::operator new(bytes);
    memory.inUse += cost;
    return block;
}

void giveWorldMemory(WorldMemory& memory, void* block, std::size_t bytes) noexcept
{
    if (block == nullptr)
        return;
    memory.inUse -= heapBytes(bytes);
    ::operator delete(block);
}
