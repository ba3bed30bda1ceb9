// What the world asks of the machine it runs on: its memory, a seed from
// the clock, the environment's settings. One file per platform defines
// these (platform/posix.cpp, platform/win32.cpp, platform/web.cpp); sim/ and
// run/ reach the machine only through here.
#pragma once

#include <cstdint>

// 0 where the platform cannot tell.
struct MachineMemory {
    uint64_t physicalBytes = 0;
    uint64_t addressSpaceBytes = 0;  // what this process may map
};

// The machine's memory as the platform reports it. Called by a world's
// memory budget (sim/world_memory.cpp) on the world's first entity.
MachineMemory machineMemory();

// A seed for a world that was given none: the saver's set-up, a page's
// world without a seed in its link.
uint32_t clockSeed();

// A setting of the process's environment; null when it is not set (or the
// platform has no environment).
const char* environmentValue(const char* name);
