// The test program's own operator new, which can be told to run out of
// memory: a real machine rarely does so on cue.
#pragma once

#include <cstdint>

// The next `count` allocations succeed, every later one throws bad_alloc,
// as memory stays short once it has run out.
void failAllocationsAfter(int64_t count);
// Only the allocation after the next `count` fails: a shortage that passes
// once what was built is freed.
void failOneAllocationAfter(int64_t count);
// Allocations succeed again.
void stopFailingAllocations();
// Allocations refused since the last failAllocationsAfter.
int64_t refusedAllocations();
