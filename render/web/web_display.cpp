// Input in the page reaches the world through the page's own handlers (the
// function keys); the direct polls of long loops read nothing, so a set-up or
// a rebirth, which run within one call, is never cut short by a key that was
// pressed before it.
#include "render/memory/memory_surface.h"
#include "render/web/web_display.h"

#include <cstdlib>
#include <cstring>

namespace {

uint8_t* rgba = nullptr;
size_t rgbaBytes = 0;
bool quitFlag = false;
// 5-6-5 to RGBA as one little-endian word, widened as every picture of the
// world is (xrgbFrom565); made on first use.
uint32_t* rgbaFrom565 = nullptr;

bool make565Table()
{
    if (rgbaFrom565)
        return true;
    rgbaFrom565 = static_cast<uint32_t*>(std::malloc(0x10000 * sizeof(uint32_t)));
    if (!rgbaFrom565)
        return false;
    for (uint32_t p = 0; p < 0x10000; ++p) {
        const uint32_t x = xrgbFrom565(p);
        rgbaFrom565[p] = 0xFF000000u | (x & 0xFF) << 16 | (x & 0xFF00) | ((x >> 16) & 0xFF);
    }
    return true;
}

}  // namespace

DisplaySurfaces openWebDisplay(int32_t width, int32_t height, int32_t depth)
{
    closeWebDisplay();
    return openDisplaySurfaces(width, height, depth);
}

void closeWebDisplay()
{
    closeDisplaySurfaces();
    std::free(rgba);
    rgba = nullptr;
    rgbaBytes = 0;
    quitFlag = false;
}

const uint8_t* presentRgba()
{
    if (!primarySurface || !primarySurface->image.pixels)
        return nullptr;
    const PixelImage& image = primarySurface->image;
    const size_t bytes = static_cast<size_t>(image.w) * image.h * 4;
    if (bytes != rgbaBytes) {
        std::free(rgba);
        rgba = static_cast<uint8_t*>(std::malloc(bytes));
        rgbaBytes = rgba ? bytes : 0;
    }
    if (!rgba || (image.format == PixelFormat::rgb565 && !make565Table()))
        return nullptr;
    uint32_t* out = reinterpret_cast<uint32_t*>(rgba);
    for (int32_t y = 0; y < image.h; ++y) {
        const uint8_t* row = image.pixels + static_cast<size_t>(y) * image.pitch;
        if (image.format == PixelFormat::rgb565) {
            const uint16_t* in = reinterpret_cast<const uint16_t*>(row);
            for (int32_t x = 0; x < image.w; ++x)
                *out++ = rgbaFrom565[in[x]];
        } else {
            const uint32_t* in = reinterpret_cast<const uint32_t*>(row);
            for (int32_t x = 0; x < image.w; ++x) {
                const uint32_t p = in[x];
                *out++ = 0xFF000000u | (p & 0xFF) << 16 | (p & 0xFF00) | ((p >> 16) & 0xFF);
            }
        }
    }
    return rgba;
}

bool takeQuitRequest()
{
    const bool was = quitFlag;
    quitFlag = false;
    return was;
}

// Like a hardware flip, the two buffers trade places.
bool flipDisplay() { return swapDisplaySurfaces(); }

bool readKeyboardState(uint8_t keys[256])
{
    std::memset(keys, 0, 256);
    return true;
}

bool readMouseState(MouseState& mouse)
{
    mouse = MouseState{0, 0, 0, {0, 0, 0, 0}};
    return true;
}

void requestQuit() { quitFlag = true; }
