// Food deposits and remains: count down, play through the sheet, leave.
#include "sim/decay.h"

#include "sim/arith.h"
#include "sim/entity.h"
#include "sim/entity_list.h"
#include "sim/world.h"

namespace {

void countDown(Entity& entity)
{
    entity.addStrength(-1);
    if (entity.strength() <= 0)
        entity.setAlive(0);
}

int32_t cellCount(const Entity& entity) { return entity.columns() * entity.rows(); }

}  // namespace

EntityNode* tickFood(World& world, EntityNode* node)
{
    Entity& food = *node->entity;
    countDown(food);
    // The deposit shrinks one cell per `step` units; the last cell is never
    // reached. Too few units to show every cell: it vanishes at once.
    const int32_t step = quotient(food.strengthCap(), cellCount(food) - 1);
    if (step == 0)
        food.setAlive(0);

    if (food.alive() == 1) {
        if (remainderOf(food.strength(), step) == 0)
            drawAdvance(world, food);
        else
            drawEntity(world, food);
        return node->next;
    }
    return world.foodList->remove(node);
}

EntityNode* tickRemains(World& world, EntityNode* node)
{
    Entity& remains = *node->entity;
    countDown(remains);
    if (remains.alive() == 1) {
        // The cells are spread over the frames; the last one is never reached.
        const int32_t step = quotient(remains.strengthCap(), cellCount(remains) - 3);
        if (step != 0 && remainderOf(remains.strength(), step) == 0)
            remains.advanceFrame();
        drawEntity(world, remains);
        return node->next;
    }
    return world.remainsList->remove(node);
}
