#include "platform/services.h"

#include <chrono>

// A page cannot ask for the machine's memory; its heap may grow to the 2 GB
// that the page's link allows (-sMAXIMUM_MEMORY in cmake/web-page.cmake).
MachineMemory machineMemory()
{
    MachineMemory machine;
    machine.addressSpaceBytes = uint64_t{2} << 30;
    return machine;
}

// Microseconds: two worlds started in the same second still differ.
uint32_t clockSeed()
{
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::microseconds>(now).count());
}

// A page has no environment to set.
const char* environmentValue(const char*) { return nullptr; }
