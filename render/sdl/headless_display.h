// The display of a native run: two surfaces in memory and no window. Used by
// tovrine-world and the native tests instead of the DirectDraw set-up.
#pragma once

#include <cstdint>
#include <string>

#include "render/display.h"
#include "render/memory/memory_surface.h"  // setDisplayDrawing
#include "render/memory/drawing_clock.h"   // countDrawingTime, drawingMilliseconds
#include "render/sdl/resource_directory.h"
#include "render/surface.h"

// Opens `display` as a W x H display at 16 (5-6-5) or 32 (XRGB) bits:
// creates its primary and back surfaces (both black), sets its size and
// depth and puts the clip rectangle (0, 0, W, H) on the back surface.
// False for any other depth or size (nothing is opened), as a display
// refuses a mode it does not offer, and for a depth other than that of
// displays already open. Surfaces can be created only while a display is
// open. Opening it again closes it first. Each display is its own: worlds
// may draw on two of them from two threads.
bool openHeadlessDisplay(Display& display, int32_t width, int32_t height, int32_t depth);
// Releases both surfaces and empties the display. Also clears injected input,
// failing flips and the quit request.
void closeHeadlessDisplay(Display& display);

// Writes a surface as a PNG file; false, with errno set, when it cannot,
// also when a write or the file's close failed (a full disk).
bool saveSurfacePng(Surface* surface, const char* path);

// Input for tests: what readKeyboardState and readMouseState report. Nothing
// is pressed until a test says so. Mouse motion is consumed by a read,
// buttons stay until changed.
void setKeyState(int32_t scanCode, bool pressed);
void setMouseMotion(int32_t x, int32_t y, int32_t z);
void setMouseButton(int32_t button, bool pressed);
// While false, both reads fail (a device that cannot be read).
void setInputReadable(bool readable);

// Makes the next `count` flips report failure (the surfaces stay as they
// were), to exercise a caller's retries.
void failNextFlips(int32_t count);
// Flips done since the display opened.
int32_t flipCount(const Display& display);
