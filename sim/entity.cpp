#include "sim/entity.h"

#include "sim/arith.h"

Entity::Entity(const Sheet* sheet, int32_t animMode, WorldSize world)
{
    adoptSheet(sheet);
    animMode_ = animMode;
    reset(world);
}

// Without a sheet an entity has cells of no size, as a sheet whose grid
// cannot be read would give.
void Entity::adoptSheet(const Sheet* sheet)
{
    sheet_ = sheet;
    sheetShared_ = 1;
    cellWidth_ = sheet != nullptr ? sheet->cellWidth : 0;
    cellHeight_ = sheet != nullptr ? sheet->cellHeight : 0;
    columns_ = sheet != nullptr ? sheet->columns : quotient(-1, 1);
    rows_ = sheet != nullptr ? sheet->rows : quotient(-1, 1);
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
