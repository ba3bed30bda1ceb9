// A world's memory account bounds what the process really holds: each block
// is counted at least as the C library's heap keeps it, its size word and
// rounding included (glibc: the usable size and one size_t). Counted short,
// a world on a small machine would grow past its budget unnoticed.
#include <gtest/gtest.h>

#include <malloc.h>

#include <cstddef>
#include <cstdint>

#include "sim/entity.h"
#include "sim/entity_list.h"
#include "sim/world_memory.h"

namespace {

TEST(HeapAccount, EachBlockIsCountedAtLeastAsTheHeapHoldsIt)
{
    // Whole multiples of the heap's alignment as well as the entities and
    // nodes of the lists.
    for (std::size_t bytes : {std::size_t{16}, std::size_t{32}, std::size_t{48}, sizeof(Entity),
                              sizeof(EntityNode), std::size_t{1000}, std::size_t{4096}}) {
        WorldMemory memory;
        memory.budget = uint64_t{1} << 30;
        void* block = takeWorldMemory(memory, bytes);
        const uint64_t held = malloc_usable_size(block) + sizeof(std::size_t);
        EXPECT_GE(memory.inUse, held) << bytes << " bytes";
        giveWorldMemory(memory, block, bytes);
        EXPECT_EQ(memory.inUse, 0u) << bytes << " bytes";
    }
}

}  // namespace
