// Surfaces in memory: creation, colours, fills, clip rectangles and pixel
// access, behaving as DirectDraw surfaces with a GDI context do.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "render/memory/display_drawing.h"
#include "render/memory/drawing_clock.h"
#include "render/memory/memory_surface.h"

namespace {

// One format for every surface of the process, set by the first display
// that opens and forgotten when the last one closes: sheets and glyph grids
// are made in it and blitted onto any open display.
PixelFormat currentFormat = PixelFormat::none;
int32_t openDisplays = 0;

bool inside(const Surface* surface, int32_t x, int32_t y)
{
    return surface && surface->image.pixels && x >= 0 && y >= 0 && x < surface->image.w &&
           y < surface->image.h;
}

// Larger images are refused as SDL refused them: a pitch or a size past
// what an int holds.
constexpr int64_t largestImageBytes = INT32_MAX;

}  // namespace

PixelFormat displayPixelFormat() { return currentFormat; }

void setDisplayPixelFormat(PixelFormat format) { currentFormat = format; }

PixelFormat pixelFormatForDepth(int32_t depth)
{
    if (depth == 16)
        return PixelFormat::rgb565;
    if (depth == 32)
        return PixelFormat::xrgb8888;
    return PixelFormat::none;
}

// The pixels come from malloc, not new: a world that asks for more than the
// machine has gets a null surface, as from SDL, not an exception.
Surface* createSurfaceOfFormat(int32_t width, int32_t height, PixelFormat format)
{
    if (width <= 0 || height <= 0 || format == PixelFormat::none)
        return nullptr;
    const int32_t bytesPerPixel = format == PixelFormat::rgb565 ? 2 : 4;
    const int64_t pitch = (static_cast<int64_t>(width) * bytesPerPixel + 3) & ~int64_t{3};
    if (pitch > largestImageBytes || pitch * height > largestImageBytes)
        return nullptr;
    void* pixels = std::calloc(static_cast<size_t>(pitch * height), 1);
    if (!pixels)
        return nullptr;
    Surface* surface = nullptr;
    try {
        surface = new Surface;
    } catch (...) {
        std::free(pixels);
        throw;
    }
    surface->image = {static_cast<uint8_t*>(pixels), width,  height,
                      static_cast<int32_t>(pitch),   format, bytesPerPixel};
    return surface;
}

Surface* createSurface(int32_t width, int32_t height)
{
    return createSurfaceOfFormat(width, height, currentFormat);
}

void releaseSurface(Surface* surface)
{
    if (!surface)
        return;
    std::free(surface->image.pixels);
    delete surface;
}

DisplaySurfaces openDisplaySurfaces(Display& display, int32_t width, int32_t height, int32_t depth)
{
    closeDisplaySurfaces(display);
    PixelFormat format = pixelFormatForDepth(depth);
    if (format == PixelFormat::none || width <= 0 || height <= 0)
        return DisplaySurfaces::unsupported;
    if (openDisplays > 0 && format != currentFormat)
        return DisplaySurfaces::unsupported;  // one format for every surface
    setDisplayPixelFormat(format);
    openDisplays += 1;
    display.primarySurface = createSurface(width, height);
    display.backSurface = createSurface(width, height);
    display.width = width;
    display.height = height;
    display.depth = depth;
    if (!display.primarySurface || !display.backSurface) {
        closeDisplaySurfaces(display);
        return DisplaySurfaces::outOfMemory;
    }
    clearDisplaySurfaces(display);
    return DisplaySurfaces::opened;
}

void closeDisplaySurfaces(Display& display)
{
    const bool wasOpen = display.depth != 0;
    releaseSurface(display.backSurface);
    releaseSurface(display.primarySurface);
    display = Display();
    if (wasOpen && --openDisplays == 0)
        setDisplayPixelFormat(PixelFormat::none);
}

bool swapDisplaySurfaces(Display& display)
{
    if (!display.primarySurface || !display.backSurface)
        return false;
    std::swap(display.primarySurface->image, display.backSurface->image);
    return true;
}

void setDisplayDrawing(Display& display, bool on)
{
    for (Surface* surface : {display.primarySurface, display.backSurface})
        if (surface)
            surface->drawingOff = !on;
}

int32_t surfaceWidth(const Surface* surface)
{
    return surface && surface->image.pixels ? surface->image.w : 0;
}

int32_t surfaceHeight(const Surface* surface)
{
    return surface && surface->image.pixels ? surface->image.h : 0;
}

// Whole storage units: the unused byte of a 32-bit pixel is kept, as
// DirectDraw keeps all 32 bits of a fill colour or key.
uint32_t storedMask(const Surface* surface)
{
    return surface->image.bytesPerPixel >= 4 ? 0xFFFFFFFFu
                                             : (1u << (8 * surface->image.bytesPerPixel)) - 1;
}

uint32_t storedFromGdi(const Surface* surface, uint32_t colour)
{
    uint32_t r = colour & 0xFF;
    uint32_t g = (colour >> 8) & 0xFF;
    uint32_t b = (colour >> 16) & 0xFF;
    if (surface->image.format == PixelFormat::rgb565)
        return (r >> 3) << 11 | (g >> 2) << 5 | b >> 3;
    return r << 16 | g << 8 | b;
}

uint32_t gdiFromStored(const Surface* surface, uint32_t stored)
{
    uint32_t xrgb =
        surface->image.format == PixelFormat::rgb565 ? xrgbFrom565(stored) : stored & 0xFFFFFF;
    return (xrgb >> 16) | (xrgb & 0xFF00) | (xrgb & 0xFF) << 16;
}

uint32_t loadStored(const Surface* surface, int32_t x, int32_t y)
{
    const PixelImage& image = surface->image;
    const uint8_t* row = image.pixels + static_cast<ptrdiff_t>(y) * image.pitch;
    if (image.bytesPerPixel == 2) {
        uint16_t value;
        std::memcpy(&value, row + x * 2, 2);
        return value;
    }
    uint32_t value;
    std::memcpy(&value, row + x * 4, 4);
    return value;
}

void storeStored(Surface* surface, int32_t x, int32_t y, uint32_t stored)
{
    PixelImage& image = surface->image;
    uint8_t* row = image.pixels + static_cast<ptrdiff_t>(y) * image.pitch;
    if (image.bytesPerPixel == 2) {
        uint16_t value = static_cast<uint16_t>(stored);
        std::memcpy(row + x * 2, &value, 2);
        return;
    }
    std::memcpy(row + x * 4, &stored, 4);
}

// The stored value for a colour can be computed without touching the
// surface, so the top-left pixel is never disturbed.
uint32_t matchColour(Surface* surface, uint32_t colour)
{
    if (!surface || !surface->image.pixels)
        return invalidColour;
    if (colour == invalidColour)
        return loadStored(surface, 0, 0) & storedMask(surface);
    return storedFromGdi(surface, colour & 0xFFFFFF) & storedMask(surface);
}

void setColourKey(Surface* surface, uint32_t colour)
{
    if (!surface)
        return;
    surface->colourKey = matchColour(surface, colour);
    surface->hasColourKey = true;
}

int fillSurface(Surface* surface, uint32_t storedColour)
{
    DrawingTimer timer;
    if (!surface || !surface->image.pixels || skipsDrawingOnto(surface))
        return 0;
    fillStored(surface, PixelRect{0, 0, surface->image.w, surface->image.h}, storedColour);
    return 0;
}

void fillStored(Surface* surface, const PixelRect& box, uint32_t stored)
{
    PixelImage& image = surface->image;
    const int32_t left = std::max(box.left, 0), right = std::min(box.right, image.w);
    const int32_t top = std::max(box.top, 0), bottom = std::min(box.bottom, image.h);
    if (left >= right || top >= bottom)
        return;
    stored &= storedMask(surface);
    // Black, every frame's clear, is the same byte throughout: one memset a
    // row, which the page's build does many times faster than a store a pixel.
    const uint8_t byte = stored & 0xFF;
    const bool sameBytes = stored == (image.bytesPerPixel == 2 ? 0x0101u : 0x01010101u) * byte;
    for (int32_t y = top; y < bottom; ++y) {
        uint8_t* row = image.pixels + static_cast<ptrdiff_t>(y) * image.pitch;
        if (sameBytes)
            std::memset(row + static_cast<ptrdiff_t>(left) * image.bytesPerPixel, byte,
                        static_cast<size_t>(right - left) * image.bytesPerPixel);
        else if (image.bytesPerPixel == 2)
            std::fill_n(reinterpret_cast<uint16_t*>(row) + left, right - left,
                        static_cast<uint16_t>(stored));
        else
            std::fill_n(reinterpret_cast<uint32_t*>(row) + left, right - left, stored);
    }
}

Surface* copySurface(const Surface* surface)
{
    const PixelImage& from = surface->image;
    Surface* copy = createSurfaceOfFormat(from.w, from.h, from.format);
    if (copy)
        std::memcpy(copy->image.pixels, from.pixels, static_cast<size_t>(from.pitch) * from.h);
    return copy;
}

bool setClipRect(Surface* surface, const PixelRect& clip)
{
    if (!surface || clip.left >= clip.right || clip.top >= clip.bottom)
        return false;
    surface->clip = clip;
    surface->hasClip = true;
    return true;
}

bool beginPixelAccess(Surface* surface)
{
    if (!surface || !surface->image.pixels)
        return false;
    surface->accessDepth += 1;
    return true;
}

// Outside an access section there is no device context to read through, so
// reads fail and writes are lost, as they would be on Windows.
uint32_t readPixel(Surface* surface, int32_t x, int32_t y)
{
    if (!inside(surface, x, y) || surface->accessDepth == 0)
        return invalidColour;
    return gdiFromStored(surface, loadStored(surface, x, y));
}

void writePixel(Surface* surface, int32_t x, int32_t y, uint32_t colour)
{
    if (!inside(surface, x, y) || surface->accessDepth == 0)
        return;
    storeStored(surface, x, y, storedFromGdi(surface, colour & 0xFFFFFF));
}

void endPixelAccess(Surface* surface)
{
    if (surface && surface->accessDepth > 0)
        surface->accessDepth -= 1;
}
