// Reading back what the world drew, for the simulation and run tests alike.
#pragma once

#include <cstdint>

#include "render/sprite_sheet.h"
#include "render/surface.h"
#include "run/world_art.h"
#include "run/world_setup.h"
#include "sim/world.h"

// The picture `sheet` is drawn from in the world's art; null without one.
inline Surface* sheetPicture(const World& world, const Sheet* sheet)
{
    const SpriteSheet* picture =
        world.art != nullptr && sheet != nullptr ? world.art->picture(sheet->bitmapId) : nullptr;
    return picture != nullptr ? picture->surface() : nullptr;
}

// The GDI colour at (x, y) of a surface, read through a pixel-access section.
inline uint32_t pixelAt(Surface* surface, int32_t x, int32_t y)
{
    beginPixelAccess(surface);
    const uint32_t colour = readPixel(surface, x, y);
    endPixelAccess(surface);
    return colour;
}

// Pixels inside `area` that are not black (drawn on a cleared surface).
inline int32_t litPixels(Surface* surface, const PixelRect& area)
{
    int32_t lit = 0;
    beginPixelAccess(surface);
    for (int32_t y = area.top; y < area.bottom; ++y)
        for (int32_t x = area.left; x < area.right; ++x)
            lit += readPixel(surface, x, y) != keyColour ? 1 : 0;
    endPixelAccess(surface);
    return lit;
}

// Pixels inside `area` that differ between the two surfaces.
inline int32_t differingPixels(Surface* a, Surface* b, const PixelRect& area)
{
    int32_t differing = 0;
    beginPixelAccess(a);
    beginPixelAccess(b);
    for (int32_t y = area.top; y < area.bottom; ++y)
        for (int32_t x = area.left; x < area.right; ++x)
            differing += readPixel(a, x, y) != readPixel(b, x, y) ? 1 : 0;
    endPixelAccess(b);
    endPixelAccess(a);
    return differing;
}

// The w x h box whose top-left corner is (x, y).
inline PixelRect boxAt(int32_t x, int32_t y, int32_t w, int32_t h) { return {x, y, x + w, y + h}; }
