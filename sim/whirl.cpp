// Whirls: sit still while they warm up, then drift, and drop food as they go.
#include "sim/whirl.h"

#include "settings/options_record.h"
#include "sim/arith.h"
#include "sim/entity.h"
#include "sim/entity_list.h"
#include "sim/random.h"
#include "sim/world.h"

namespace {

// Frames a whirl keeps its place before it may move.
constexpr int32_t warmUpFrames = 150;

// A moving whirl turns now and then; a still one starts rarely. Exactly one
// of the two draws is made each frame.
void chooseDirection(World& world, Entity& whirl)
{
    if (whirl.direction() != directionStill) {
        if (chance1000(world.random) < 20)
            whirl.setDirection(randomDirection(world.random));
    } else if (chance9000(world.random) < 60) {
        whirl.setDirection(randomDirection(world.random));
    }
}

void maybeSpeedUp(World& world, Entity& whirl)
{
    if (chance15000(world.random) < 20)
        whirl.setSpeed(randomInRange(world.random, 1, 1) +
                       3);  // the draw is made; its value is always 4
}

void dropFood(World& world, Entity& whirl)
{
    whirl.setDepositPoint(whirl.x(), whirl.y());
    Entity* food = addEntity(world, *world.foodList, world.foodSheet, cyclicAnimation);
    food->setPosition(whirl.depositX() + whirl.cellWidth() / 2,
                      whirl.depositY() + whirl.cellHeight() / 2);
    food->setStrength(world.liveOptions.foodStrength);
    food->setStrengthCap(world.liveOptions.foodStrength);
    food->setFrameDelay(0);
}

// One deposit at most per frame, once the whirl is far enough from its last.
void depositIfFarEnough(World& world, Entity& whirl)
{
    const OptionsRecord& o = world.liveOptions;
    if (o.depositGap == 0 || o.foodStrength == 0 || whirl.direction() == directionStill ||
        world.foodList == nullptr)
        return;
    if (wrapDistance(whirl.depositX(), whirl.x()) > o.depositGap ||
        wrapDistance(whirl.depositY(), whirl.y()) > o.depositGap)
        dropFood(world, whirl);
}

}  // namespace

EntityNode* tickWhirl(World& world, EntityNode* node)
{
    Entity& whirl = *node->entity;
    chooseDirection(world, whirl);
    maybeSpeedUp(world, whirl);
    if (whirl.life() > warmUpFrames)
        whirl.move(world.size, world.liveOptions.wrapEdges);
    else
        whirl.addLife(1);
    drawAdvance(world, whirl);
    depositIfFarEnough(world, whirl);
    return node->next;
}
