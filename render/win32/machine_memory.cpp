#include "render/machine_memory.h"

#include <windows.h>

MachineMemory machineMemory()
{
    // GlobalMemoryStatus is there from Windows 95 on. Beyond 4 GB it may
    // report 4 GB: a quarter of that is already the largest budget.
    MEMORYSTATUS status;
    status.dwLength = sizeof status;
    GlobalMemoryStatus(&status);
    MachineMemory machine;
    machine.physicalBytes = status.dwTotalPhys;
    machine.addressSpaceBytes = status.dwTotalVirtual;  // 2 GB for the 32-bit saver
    return machine;
}
