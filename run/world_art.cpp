#include "run/world_art.h"

#include "render/display.h"
#include "render/glyph_font.h"
#include "render/sprite_sheet.h"

namespace {

PixelRect pixelRect(const CellRect& r) { return PixelRect{r.left, r.top, r.right, r.bottom}; }

// A refused blit (a cell reaching outside an unclipped surface) draws nothing.
void drawCell(const World& world, const Sheet& sheet, const CellRect& source,
              const CellRect& target)
{
    const WorldArt* art = worldArt(world);
    const SpriteSheet* picture = art != nullptr ? art->picture(sheet.bitmapId) : nullptr;
    if (picture == nullptr || picture->surface() == nullptr)
        return;
    const PixelRect from = pixelRect(source);
    blitSurface(world.display->backSurface, pixelRect(target), picture->surface(), &from, true);
}

void drawVitals(const World& world, int32_t value, int32_t x, int32_t y)
{
    const WorldArt* art = worldArt(world);
    if (art != nullptr && art->vitalsFont != nullptr)
        art->vitalsFont->drawNumber(world.display->backSurface, value, x, y, 1);
}

}  // namespace

const WorldPainter displayPainter = {drawCell, drawVitals};

WorldArt::~WorldArt()
{
    for (Picture& picture : pictures)
        delete picture.sheet;
    delete overlayFont;
    delete vitalsFont;
}

const WorldArt* worldArt(const World& world)
{
    return world.display != nullptr ? world.art.get() : nullptr;
}
