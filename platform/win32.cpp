#include "platform/services.h"

#include <windows.h>

#include <cstdlib>
#include <ctime>

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

uint32_t clockSeed() { return static_cast<uint32_t>(time(nullptr)); }

const char* environmentValue(const char* name) { return std::getenv(name); }
