// Moving, animating and drawing an entity: shared by every kind.
#include "sim/entity.h"

namespace {

// How far an entity may go past an edge before it wraps round.
constexpr int32_t wrapMargin = 44;

struct Bounds {
    int32_t minX;
    int32_t maxX;
    int32_t minY;
    int32_t maxY;
    bool wrap;
};

Bounds moveBounds(WorldSize world, int32_t wrapEdges, int32_t cellWidth, int32_t cellHeight)
{
    if (wrapEdges != 0)
        return {-wrapMargin, world.width, -wrapMargin, world.height, true};
    return {0, world.width - cellWidth, 0, world.height - cellHeight, false};
}

// The targets are asymmetric on purpose: vertically they lie just outside the
// screen so that an entity with speed 2 or more re-enters on its next step.
void wrapRound(WorldSize world, int32_t& x, int32_t& y)
{
    if (x <= -wrapMargin)
        x = world.width - 1;
    else if (x >= world.width)
        x = -(wrapMargin - 1);
    if (y <= -wrapMargin)
        y = world.height + 1;
    else if (y >= world.height)
        y = -(wrapMargin + 1);
}

}  // namespace

void Entity::move(WorldSize world, int32_t wrapEdges)
{
    const Bounds b = moveBounds(world, wrapEdges, cellWidth_, cellHeight_);
    const int32_t s = speed_;
    prevX_ = x_;
    prevY_ = y_;

    // With wrapping every step is taken; without it a refused diagonal stays put.
    const bool right = b.wrap || x_ + s < b.maxX;
    const bool up = b.wrap || y_ - s > b.minY;
    const bool left = b.wrap || x_ - s > b.minX;
    const bool down = b.wrap || y_ + s < b.maxY;
    int32_t dx = 0;
    int32_t dy = 0;
    switch (direction_) {
    case directionRight:
        if (right)
            dx = s;
        break;
    case directionUp:
        if (up)
            dy = -s;
        break;
    case directionLeft:
        if (left)
            dx = -s;
        break;
    case directionDown:
        if (down)
            dy = s;
        break;
    case directionUpRight:
        if (right && up) {
            dx = s;
            dy = -s;
        }
        break;
    case directionUpLeft:
        if (left && up) {
            dx = -s;
            dy = -s;
        }
        break;
    case directionDownLeft:
        if (left && down) {
            dx = -s;
            dy = s;
        }
        break;
    case directionDownRight:
        if (right && down) {
            dx = s;
            dy = s;
        }
        break;
    default:
        break;
    }
    x_ += dx;
    y_ += dy;

    if (b.wrap)
        wrapRound(world, x_, y_);
}

void Entity::advanceFrame()
{
    if (animMode_ == directionalAnimation) {
        if (x_ == prevX_ && y_ == prevY_) {
            row_ = 0;  // standing still shows the resting row
            frameTick_ = 0;
        } else if (frameTick_ < frameDelay_) {
            frameTick_ += 1;
        } else {
            frameTick_ = 0;
            if (rows_ == 1)
                row_ = 0;
            else if (row_ >= rows_ - 1)
                row_ = 1;
            else
                row_ += 1;
        }
    } else if (animMode_ == cyclicAnimation) {
        if (frameTick_ < frameDelay_) {
            frameTick_ += 1;
        } else {
            frameTick_ = 0;
            if (column_ < columns_) {
                column_ += 1;
            } else {
                column_ = 1;
                row_ = row_ == rows_ - 1 ? 0 : row_ + 1;
            }
        }
    }
}
