// A bitmap of the program's resources on its own surface, keyed on its
// top-left pixel (the sheet's background colour).
#include "render/sprite_sheet.h"

SpriteSheet::SpriteSheet(int32_t bitmapId)
{
    surface_ = loadBitmapSurface(bitmapId);
    // A missing bitmap leaves an empty sheet: size 0, nothing to draw.
    if (!surface_)
        return;
    setColourKey(surface_, invalidColour);
    width_ = surfaceWidth(surface_);
    height_ = surfaceHeight(surface_);
}

SpriteSheet::~SpriteSheet() { release(); }

void SpriteSheet::release()
{
    releaseSurface(surface_);
    surface_ = nullptr;
}

int blitSprite(const SpriteSheet* sheet, Surface* dest, int32_t x, int32_t y, int32_t keyed)
{
    if (!sheet || !sheet->surface())
        return 0;
    PixelRect destRect = {x, y, x + sheet->width(), y + sheet->height()};
    blitSurface(dest, destRect, sheet->surface(), nullptr, keyed != 0);
    return 0;
}
