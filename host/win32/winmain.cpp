// The process entry of the screen saver: the system starts it with its mode
// on the command line, and the mode's result is the exit code.

#include <windows.h>

#include "host/command_line.h"
#include "host/win32/saver_host.h"
#include "render/win32/bitmap_source.h"

namespace {

bool systemLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != 0; }

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // The whole line, not WinMain's copy: its tail is found by our own rules.
    const char* tail = findCommandTail(GetCommandLineA(), systemLeadByte);
    setResourceModule(instance);
    ExitProcess(static_cast<UINT>(saverMain(instance, tail)));
}
