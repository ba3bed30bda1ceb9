#include "platform/services.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>

MachineMemory machineMemory()
{
    MachineMemory machine;
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages > 0 && pageSize > 0)
        machine.physicalBytes = static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize);
    // A limit set with ulimit -v is the address space there is.
    rlimit limit;
    if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        machine.addressSpaceBytes = static_cast<uint64_t>(limit.rlim_cur);
    else if (sizeof(void*) == 4)
        machine.addressSpaceBytes = uint64_t{3} << 30;
    return machine;
}

uint32_t clockSeed() { return static_cast<uint32_t>(std::time(nullptr)); }

const char* environmentValue(const char* name) { return std::getenv(name); }
