// A display nobody sees, over real DirectDraw: a hidden window at the normal
// cooperative level, so the desktop's mode is never touched; primary and
// back an off-screen flipping pair in the chosen format, the back with its
// clipper. tovrine-world's display on Windows, and the tests' under theirs.
#pragma once

#include <cstdint>
#include <string>

#include "render/display.h"

// What becomes of the front of the flipping pair before it is wrapped as
// the primary surface (the tests count flips through it); null keeps it.
// DirectDraw's surface, named without <windows.h>, whose macros (near,
// far) this header would otherwise bring to everyone who includes it.
struct IDirectDrawSurface;
using FrontSurfaceHook = IDirectDrawSurface* (*)(IDirectDrawSurface* front);

// Opens `display` as a W x H display at 16 (5-6-5) or 32 (XRGB) bits, both
// surfaces black, the clip rectangle (0, 0, W, H) on the back, its bitmaps
// from TOVRINE_RESOURCES's folder when that is set. False for any other
// depth or size. One at a time: opening again closes the previous first.
bool openHiddenDisplay(Display& display, int32_t width, int32_t height, int32_t depth,
                       FrontSurfaceHook hook = nullptr);
// Releases the surfaces, DirectDraw and the window, and empties the display.
void closeHiddenDisplay(Display& display);

// PNG files are the native runner's: on Windows this always fails.
bool saveSurfacePng(Surface* surface, const char* path);

// Where bitmaps are read from while TOVRINE_RESOURCES is set (its
// bitmaps\<id>_*.bmp files); otherwise they come from the program's
// resources, named here as such.
std::string resourceDirectory();
