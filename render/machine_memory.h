// The machine's memory as the platform reports it. Called once, by the
// world's memory budget (sim/world_memory.cpp) on the world's first entity.
#pragma once

#include <cstdint>

// 0 where the platform cannot tell.
struct MachineMemory {
    uint64_t physicalBytes = 0;
    uint64_t addressSpaceBytes = 0;  // what this process may map
};

MachineMemory machineMemory();
