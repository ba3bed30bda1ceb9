// What a Surface is in the SDL backend, and the colour conversions that the
// backend shares. Private to render/sdl.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "render/surface.h"

struct Surface {
    SDL_Surface* image = nullptr;  // pixels in the display's format, never RLE
    bool hasColourKey = false;
    uint32_t colourKey = 0;  // a stored value, compared with all its bits
    bool hasClip = false;
    PixelRect clip = {0, 0, 0, 0};
    int32_t accessDepth = 0;  // open pixel-access sections
};

// The pixel format of every surface; 0 until a display is open. Set by the
// display when it opens, cleared when it closes.
uint32_t displayPixelFormat();
void setDisplayPixelFormat(uint32_t sdlFormat);

// The SDL format for a display depth: 5-6-5 at 16, XRGB8888 at 32, 0 for
// any depth we do not draw.
uint32_t pixelFormatForDepth(int32_t depth);

// The display's two surfaces in memory, of the format for `depth`, cleared,
// with the display's size and depth set: what both displays draw into.
enum class DisplaySurfaces { opened, unsupported, outOfMemory };
DisplaySurfaces openDisplaySurfaces(int32_t width, int32_t height, int32_t depth);
// Releases them and clears the size, depth and format; safe when none is open.
void closeDisplaySurfaces();

// A new surface in the given SDL format; null when SDL cannot make it.
Surface* createSurfaceOfFormat(int32_t width, int32_t height, uint32_t sdlFormat);

// GDI colour (0x00BBGGRR) to the value the surface stores, truncating the
// bits the format drops, as GDI does when it writes.
uint32_t storedFromGdi(const Surface* surface, uint32_t colour);
// Stored value to a GDI colour, widening each field by repeating its top
// bits, as GDI does when it reads a 16-bit pixel back.
uint32_t gdiFromStored(const Surface* surface, uint32_t stored);

// Raw stored values; the caller checks the bounds.
uint32_t loadStored(const Surface* surface, int32_t x, int32_t y);
void storeStored(Surface* surface, int32_t x, int32_t y, uint32_t stored);

// Mask of the bits a stored value of this surface has.
uint32_t storedMask(const Surface* surface);
