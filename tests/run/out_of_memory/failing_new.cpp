#include "tests/run/out_of_memory/failing_new.h"

#include <cstdlib>
#include <new>

namespace {

int64_t allocationsLeft = -1;  // below 0: no limit
bool failingOnce = false;
int64_t refused = 0;

void* allocate(std::size_t size)
{
    if (allocationsLeft == 0) {
        refused += 1;
        if (failingOnce)
            allocationsLeft = -1;
        throw std::bad_alloc();
    }
    if (allocationsLeft > 0)
        allocationsLeft -= 1;
    void* block = std::malloc(size != 0 ? size : 1);
    if (block == nullptr)
        throw std::bad_alloc();
    return block;
}

}  // namespace

void failAllocationsAfter(int64_t count)
{
    allocationsLeft = count;
    failingOnce = false;
    refused = 0;
}

void failOneAllocationAfter(int64_t count)
{
    failAllocationsAfter(count);
    failingOnce = true;
}

void stopFailingAllocations() { allocationsLeft = -1; }

int64_t refusedAllocations() { return refused; }

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
