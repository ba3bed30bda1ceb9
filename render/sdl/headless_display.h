// The display of a native run: two surfaces in memory and no window. Used by
// tovrine-world and the native tests instead of the DirectDraw set-up.
#pragma once

#include <cstdint>
#include <string>

#include "render/display.h"
#include "render/memory/drawing_clock.h"  // countDrawingTime, drawingMilliseconds
#include "render/sdl/resource_directory.h"
#include "render/surface.h"

// Opens a W x H display at 16 (5-6-5) or 32 (XRGB) bits: creates
// primarySurface and backSurface (both black), sets displayWidth/Height/
// Depth and puts the clip rectangle (0, 0, W, H) on the back surface.
// False for any other depth or size (nothing is opened), as a display
// refuses a mode it does not offer. Surfaces can be created only while a
// display is open. Opening again closes the previous display first.
bool openHeadlessDisplay(int32_t width, int32_t height, int32_t depth);
// Releases both surfaces and forgets the format; the globals return to 0.
// Also clears injected input and the quit request.
void closeHeadlessDisplay();

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
int32_t flipCount();

// While off, fills, blits and text onto primarySurface and backSurface do
// nothing (every other surface is drawn as usual); flips still swap. On when
// the display opens. The runner's --no-draw: the same world, no pixels.
void setDisplayDrawing(bool on);

// requestQuit() sets this; a test or the runner reads and clears it.
bool quitRequested();
void clearQuitRequest();
