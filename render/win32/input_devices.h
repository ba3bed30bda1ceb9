// The DirectInput devices that the Windows backend's direct polls read
// (readKeyboardState, readMouseState).
#pragma once

#include <windows.h>
#ifndef DIRECTINPUT_VERSION
#define DIRECTINPUT_VERSION 0x0700
#endif
#include <dinput.h>

// Events each device keeps between reads (DIPROP_BUFFERSIZE), so that a
// tap between two polls is still seen; set by whoever opens the devices.
constexpr DWORD inputBufferSize = 32;

// Set by whoever opens the display once both devices are acquired (the
// run's device set-up, the tests' display with its stand-ins); cleared with
// nulls before they are released. A null device reads as a failed poll.
void useInputDevices(LPDIRECTINPUTDEVICE keyboard, LPDIRECTINPUTDEVICE mouse);
