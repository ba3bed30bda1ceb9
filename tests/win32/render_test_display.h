// The display of the Windows tests: the same calls as the SDL backend's
// headless display, over the hidden DirectDraw display of tovrine-world
// (render/win32/hidden_display.h), with its flips counted and input from
// stand-in DirectInput devices that the test feeds.
#pragma once

#include <cstdint>
#include <string>

#include "render/display.h"
#include "render/win32/hidden_display.h"
#include "render/surface.h"

// Opens a W x H display at 16 (5-6-5) or 32 (XRGB) bits, both surfaces
// black, the clip rectangle (0, 0, W, H) on the back. False for any other
// depth or size. Opening again closes the previous display first.
// One display at a time.
bool openHeadlessDisplay(Display& display, int32_t width, int32_t height, int32_t depth);
// Releases the surfaces, the devices and DirectDraw and empties the display.
// Also clears injected input and the quit request.
void closeHeadlessDisplay(Display& display);

// The surface as a 24-bit BMP file, to look at; false when it cannot.
bool saveSurfaceBmp(Surface* surface, const char* path);

// What the stand-in keyboard and mouse report. Motion is consumed by a
// read, buttons stay until changed.
void setKeyState(int32_t scanCode, bool pressed);
void setMouseMotion(int32_t x, int32_t y, int32_t z);
void setMouseButton(int32_t button, bool pressed);
// A press and release between two reads, as the devices' buffers hold them.
void tapKey(int32_t scanCode);
void tapMouseButton(int32_t button);
// While false, both devices are lost and cannot be acquired again.
void setInputReadable(bool readable);
// The next read of each device finds it lost once; acquiring it brings it
// back. Acquisitions made since the display opened:
void loseInputOnce();
int32_t inputAcquisitions();

// The next `count` flips fail (the surfaces stay as they were).
void failNextFlips(int32_t count);
// Flips done since the display opened.
int32_t flipCount(const Display& display);

// requestQuit() posts the quit message; these read and remove it.
bool quitRequested();
void clearQuitRequest();
