#include "render/machine_memory.h"

// A page cannot ask for the machine's memory; its heap may grow to the 2 GB
// that the page's link allows (-sMAXIMUM_MEMORY in cmake/web-page.cmake).
MachineMemory machineMemory()
{
    MachineMemory machine;
    machine.addressSpaceBytes = uint64_t{2} << 30;
    return machine;
}
