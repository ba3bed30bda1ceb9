// Surfaces on SDL_Surface: creation, colours, fills, clip rectangles and
// pixel access, behaving as DirectDraw surfaces with a GDI context do.
#include <cstring>

#include "render/sdl/display_drawing.h"
#include "render/sdl/drawing_clock.h"
#include "render/sdl/sdl_surface.h"

// Off only for the runner's --no-draw (the headless display sets it); the
// window display of the Linux saver always draws.
bool displayDrawingOff = false;

namespace {

uint32_t currentFormat = 0;

// Widens an n-bit field to 8 bits the way GDI reads it back: the top bits
// repeat into the low ones, so 5-bit 31 becomes 255.
uint32_t widenField(uint32_t field, int bits)
{
    uint32_t wide = field << (8 - bits);
    return wide | (wide >> bits);
}

bool inside(const Surface* surface, int32_t x, int32_t y)
{
    return surface && surface->image && x >= 0 && y >= 0 && x < surface->image->w &&
           y < surface->image->h;
}

}  // namespace

uint32_t displayPixelFormat() { return currentFormat; }

void setDisplayPixelFormat(uint32_t sdlFormat) { currentFormat = sdlFormat; }

uint32_t pixelFormatForDepth(int32_t depth)
{
    if (depth == 16)
        return SDL_PIXELFORMAT_RGB565;
    if (depth == 32)
        return SDL_PIXELFORMAT_RGB888;
    return 0;
}

Surface* createSurfaceOfFormat(int32_t width, int32_t height, uint32_t sdlFormat)
{
    if (width <= 0 || height <= 0 || sdlFormat == 0)
        return nullptr;
    SDL_Surface* image = SDL_CreateRGBSurfaceWithFormat(0, width, height, 0, sdlFormat);
    if (!image)
        return nullptr;
    Surface* surface = nullptr;
    try {
        surface = new Surface;
    } catch (...) {
        SDL_FreeSurface(image);
        throw;
    }
    surface->image = image;
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
    SDL_FreeSurface(surface->image);
    delete surface;
}

DisplaySurfaces openDisplaySurfaces(int32_t width, int32_t height, int32_t depth)
{
    closeDisplaySurfaces();
    uint32_t format = pixelFormatForDepth(depth);
    if (format == 0 || width <= 0 || height <= 0)
        return DisplaySurfaces::unsupported;
    setDisplayPixelFormat(format);
    primarySurface = createSurface(width, height);
    backSurface = createSurface(width, height);
    if (!primarySurface || !backSurface) {
        closeDisplaySurfaces();
        return DisplaySurfaces::outOfMemory;
    }
    displayWidth = width;
    displayHeight = height;
    displayDepth = depth;
    clearDisplaySurfaces();
    return DisplaySurfaces::opened;
}

void closeDisplaySurfaces()
{
    releaseSurface(backSurface);
    releaseSurface(primarySurface);
    backSurface = nullptr;
    primarySurface = nullptr;
    displayWidth = 0;
    displayHeight = 0;
    displayDepth = 0;
    setDisplayPixelFormat(0);
}

int32_t surfaceWidth(const Surface* surface)
{
    return surface && surface->image ? surface->image->w : 0;
}

int32_t surfaceHeight(const Surface* surface)
{
    return surface && surface->image ? surface->image->h : 0;
}

// Whole storage units: the unused byte of a 32-bit pixel is kept, as
// DirectDraw keeps all 32 bits of a fill colour or key.
uint32_t storedMask(const Surface* surface)
{
    return surface->image->format->BytesPerPixel >= 4
               ? 0xFFFFFFFFu
               : (1u << (8 * surface->image->format->BytesPerPixel)) - 1;
}

uint32_t storedFromGdi(const Surface* surface, uint32_t colour)
{
    uint8_t r = colour & 0xFF;
    uint8_t g = (colour >> 8) & 0xFF;
    uint8_t b = (colour >> 16) & 0xFF;
    return SDL_MapRGB(surface->image->format, r, g, b);
}

uint32_t gdiFromStored(const Surface* surface, uint32_t stored)
{
    const SDL_PixelFormat* f = surface->image->format;
    auto field = [stored](uint32_t mask, int shift, int loss) {
        return widenField((stored & mask) >> shift, 8 - loss);
    };
    uint32_t r = field(f->Rmask, f->Rshift, f->Rloss);
    uint32_t g = field(f->Gmask, f->Gshift, f->Gloss);
    uint32_t b = field(f->Bmask, f->Bshift, f->Bloss);
    return r | (g << 8) | (b << 16);
}

uint32_t loadStored(const Surface* surface, int32_t x, int32_t y)
{
    const SDL_Surface* image = surface->image;
    const uint8_t* row = static_cast<const uint8_t*>(image->pixels) + y * image->pitch;
    if (image->format->BytesPerPixel == 2) {
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
    SDL_Surface* image = surface->image;
    uint8_t* row = static_cast<uint8_t*>(image->pixels) + y * image->pitch;
    if (image->format->BytesPerPixel == 2) {
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
    if (!surface || !surface->image)
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
    if (!surface || !surface->image || skipsDrawingOnto(surface))
        return 0;
    SDL_FillRect(surface->image, nullptr, storedColour & storedMask(surface));
    return 0;
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
    if (!surface || !surface->image)
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
