// Whirls: sit still while they warm up, then drift, and drop food as they go.
#include "sim/whirl.h"

#include "render/display.h"
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
void chooseDirection(Entity& whirl)
{
    if (whirl.direction() != directionStill) {
        if (chance1000() < 20)
            whirl.setDirection(randomDirection());
    } else if (chance9000() < 60) {
        whirl.setDirection(randomDirection());
    }
}

void maybeSpeedUp(Entity& whirl)
{
    if (chance15000() < 20)
        whirl.setSpeed(randomInRange(1, 1) + 3);  // the draw is made; its value is always 4
}

void dropFood(Entity& whirl)
{
    whirl.setDepositPoint(whirl.x(), whirl.y());
    foodList->append(new Entity(foodSheet, cyclicAnimation));
    Entity* food = foodList->last();
    food->setPosition(whirl.depositX() + whirl.cellWidth() / 2,
                      whirl.depositY() + whirl.cellHeight() / 2);
    food->setStrength(liveOptions.foodStrength);
    food->setStrengthCap(liveOptions.foodStrength);
    food->setFrameDelay(0);
}

// One deposit at most per frame, once the whirl is far enough from its last.
void depositIfFarEnough(Entity& whirl)
{
    const OptionsRecord& o = liveOptions;
    if (o.depositGap == 0 || o.foodStrength == 0 || whirl.direction() == directionStill ||
        foodList == nullptr)
        return;
    if (wrapDistance(whirl.depositX(), whirl.x()) > o.depositGap ||
        wrapDistance(whirl.depositY(), whirl.y()) > o.depositGap)
        dropFood(whirl);
}

}  // namespace

EntityNode* tickWhirl(EntityNode* node)
{
    Entity& whirl = *node->entity;
    chooseDirection(whirl);
    maybeSpeedUp(whirl);
    if (whirl.life() > warmUpFrames)
        whirl.move();
    else
        whirl.addLife(1);
    whirl.drawAdvance(backSurface, fullCellSize, fullCellSize);
    depositIfFarEnough(whirl);
    return node->next;
}
