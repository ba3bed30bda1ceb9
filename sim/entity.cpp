#include "sim/entity.h"

#include "render/display.h"
#include "render/sprite_sheet.h"
#include "render/surface.h"
#include "sim/arith.h"

namespace {

// Grid pixels compare on red, green and blue only, so any pixel format works.
bool matchesGrid(uint32_t pixel, uint32_t grid) { return (pixel & 0xFFFFFF) == (grid & 0xFFFFFF); }

// Scans from 1 along a row (horizontal) or column until a grid pixel or a
// failed read; the cell size is where it stopped, minus the line itself.
int32_t scanCellSize(Surface* surface, bool horizontal, bool canRead)
{
    if (!canRead)
        return 0;  // every read fails: the scan stops at once, at 1
    const uint32_t grid = horizontal ? readPixel(surface, 0, 2) : readPixel(surface, 1, 0);
    const int32_t limit = horizontal ? surfaceWidth(surface) : surfaceHeight(surface);
    int32_t at = 1;
    for (; at < limit; ++at) {
        const uint32_t pixel = horizontal ? readPixel(surface, at, 2) : readPixel(surface, 1, at);
        if (pixel == invalidColour || matchesGrid(pixel, grid))
            break;
    }
    return at - 1;
}

}  // namespace

Entity::Entity(SpriteSheet* sheet, int32_t animMode, WorldSize world)
{
    adoptSheet(sheet);
    animMode_ = animMode;
    reset(world);
}

Entity* Entity::withOwnSheet(int32_t bitmapId, int32_t animMode, WorldSize world)
{
    Entity* entity = new Entity(new SpriteSheet(bitmapId), animMode, world);
    entity->sheetShared_ = 0;
    return entity;
}

Entity::~Entity() { releaseOwnedSheet(); }

void Entity::releaseOwnedSheet()
{
    if (sheet_ != nullptr && sheetShared_ != 1)
        delete sheet_;  // the sheet gives its surface back as it goes
    sheet_ = nullptr;
}

void Entity::adoptSheet(SpriteSheet* sheet)
{
    // Adopting the sheet it already owns must not free it under itself.
    if (sheet_ != sheet) {
        releaseOwnedSheet();
        sheet_ = sheet;
        sheetShared_ = 1;
    }
    measureCells();
}

void Entity::reset(WorldSize world)
{
    prevX_ = prevY_ = 0;
    frameTick_ = 0;
    frameDelay_ = 3;
    alive_ = 1;
    speed_ = 1;
    strength_ = 1;
    strengthCap_ = life_ = steerHold_ = depositX_ = depositY_ = 0;
    x_ = world.width / 2 - cellWidth_ / 2;
    y_ = world.height / 2 - cellHeight_ / 2;
    if (animMode_ == directionalAnimation) {
        setDirection(directionStill);
        row_ = 0;
    } else if (animMode_ == cyclicAnimation) {
        direction_ = directionStill;
        column_ = 1;
        row_ = 0;
    }
}

void Entity::measureCells()
{
    Surface* surface = sheet_ != nullptr ? sheet_->surface() : nullptr;
    const bool canRead = surface != nullptr && beginPixelAccess(surface);
    if (!canRead)
        requestQuit();  // a sheet we cannot read ends the run; finish the sums anyway

    cellWidth_ = scanCellSize(surface, true, canRead);
    cellHeight_ = scanCellSize(surface, false, canRead);
    const int32_t width = sheet_ != nullptr ? sheet_->width() : 0;
    const int32_t height = sheet_ != nullptr ? sheet_->height() : 0;
    columns_ = quotient(width - 1, cellWidth_ + 1);
    rows_ = quotient(height - 1, cellHeight_ + 1);

    if (canRead)
        endPixelAccess(surface);
}

void Entity::setPosition(int32_t x, int32_t y)
{
    x_ = x;
    y_ = y;
}

void Entity::setDirection(int32_t direction)
{
    const bool valid = direction >= directionRight && direction <= directionDownRight;
    direction_ = valid ? direction : directionStill;
    if (animMode_ == directionalAnimation)
        column_ = valid ? direction : 1;
}

void Entity::setFrame(int32_t column)
{
    column_ = column;
    row_ = 0;
}

void Entity::setDepositPoint(int32_t x, int32_t y)
{
    depositX_ = x;
    depositY_ = y;
}

void Entity::addStrength(int32_t amount)
{
    strength_ = saturatingAdd(strength_, amount);
    if (strengthCap_ != 0 && strength_ > strengthCap_)
        strength_ = strengthCap_;
}

void Entity::addLife(int32_t amount) { life_ = saturatingAdd(life_, amount); }

int32_t Entity::takeSteerHold()
{
    const int32_t hold = steerHold_;
    if (hold != 0)
        steerHold_ = hold - 1;
    return hold;
}
