// What a Surface is in the plain-memory backend shared by the native
// displays and the web page, and the colour conversions they share: pixels
// in memory at 16 (5-6-5) or 32 (XRGB) bits, behaving as DirectDraw surfaces
// with a GDI context do.
#pragma once

#include <cstddef>
#include <cstdint>

#include "render/display.h"
#include "render/surface.h"

enum class PixelFormat : uint32_t { none, rgb565, xrgb8888 };

// Rows of pixels, each `pitch` bytes (whole 32-bit words, as SDL lays them),
// zeroed when made. Swapped whole between the two display surfaces by a flip.
struct PixelImage {
    uint8_t* pixels = nullptr;  // null for a surface that could not be made
    int32_t w = 0;
    int32_t h = 0;
    int32_t pitch = 0;
    PixelFormat format = PixelFormat::none;
    int32_t bytesPerPixel = 0;
};

struct Surface {
    PixelImage image;
    bool hasColourKey = false;
    uint32_t colourKey = 0;  // a stored value, compared with all its bits
    bool hasClip = false;
    PixelRect clip = {0, 0, 0, 0};
    int32_t accessDepth = 0;  // open pixel-access sections
    // A display's surface with drawing switched off (setDisplayDrawing):
    // fills, blits and text onto it do nothing.
    bool drawingOff = false;
};

// The pixel format of every surface; none until a display is open. Set by
// the display when it opens, cleared when it closes.
PixelFormat displayPixelFormat();
void setDisplayPixelFormat(PixelFormat format);

// The format for a display depth: 5-6-5 at 16, XRGB8888 at 32, none for any
// depth we do not draw.
PixelFormat pixelFormatForDepth(int32_t depth);

// The display's two surfaces in memory, of the format for `depth`, cleared,
// with the display's size and depth set: what every display draws into.
// Displays open side by side share one pixel format: a depth other than
// that of those already open is refused.
enum class DisplaySurfaces { opened, unsupported, outOfMemory };
DisplaySurfaces openDisplaySurfaces(Display& display, int32_t width, int32_t height, int32_t depth);
// Releases them and empties the display (the format goes with the last
// open display); safe on one that is not open.
void closeDisplaySurfaces(Display& display);

// The flip of every display in memory: the two surfaces trade their pixels.
// False while either is missing.
bool swapDisplaySurfaces(Display& display);

// While off, fills, blits and text onto the display's two surfaces do
// nothing (every other surface is drawn as usual); flips still swap. On
// when the display opens. The runner's --no-draw: the same world, no pixels.
void setDisplayDrawing(Display& display, bool on);

// A new surface in the given format; null when its memory cannot be had.
Surface* createSurfaceOfFormat(int32_t width, int32_t height, PixelFormat format);

// A 5-6-5 pixel as XRGB8888 (0x00RRGGBB): each field widened by repeating its
// top bits, as GDI reads a 16-bit pixel back, so 5-bit 31 becomes 255. The
// one widening of every picture made from these surfaces (the page's canvas,
// the Linux window, PNG files), so that they all agree to the pixel.
inline uint32_t widenField(uint32_t field, int bits)
{
    const uint32_t wide = field << (8 - bits);
    return wide | (wide >> bits);
}
inline uint32_t xrgbFrom565(uint32_t p)
{
    return widenField((p >> 11) & 0x1F, 5) << 16 | widenField((p >> 5) & 0x3F, 6) << 8 |
           widenField(p & 0x1F, 5);
}

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

// Fills the part of `box` inside the surface with a stored value (no clip
// rectangle: text's black boxes and whole fills).
void fillStored(Surface* surface, const PixelRect& box, uint32_t stored);

// A surface of the display's format holding a Windows bitmap file's pixels
// (render/memory/bitmap_file.cpp), each converted as GDI copies a bitmap
// onto a surface of fewer bits; null when the bytes are not a bitmap we read
// or no surface can be made.
Surface* surfaceFromBitmapFile(const uint8_t* bytes, std::size_t size);

// A copy of a surface's pixels in a new surface of the same format.
Surface* copySurface(const Surface* surface);
