// The command line the system starts the saver with: finding its tail,
// choosing the mode and reading window handles, on any bytes. The first
// byte picks the code page's lead bytes (none, or every byte from a
// threshold up), the rest is the line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "host/command_line.h"

namespace {

unsigned char firstLeadByte = 0;

bool isLeadByte(unsigned char byte) { return byte >= firstLeadByte; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    LeadByteTest leadByteTest = nullptr;
    if (data[0] != 0) {
        firstLeadByte = static_cast<unsigned char>(data[0] | 0x80);
        leadByteTest = isLeadByte;
    }
    // A block of exactly the line and its terminator, so that any read past
    // the terminator is caught.
    size_t length = size - 1;
    char* line = static_cast<char*>(std::malloc(length + 1));
    std::memcpy(line, data + 1, length);
    line[length] = '\0';
    const char* end = line + std::strlen(line);

    const char* tail = findCommandTail(line, leadByteTest);
    if (tail < line || tail > end)
        __builtin_trap();
    RunRequest request = chooseRunMode(tail);
    if (request.mode == RunMode::fullScreen && request.window != 0)
        __builtin_trap();
    parseWindowHandle(line);
    std::free(line);
    return 0;
}
