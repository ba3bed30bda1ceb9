// The rule of life of a Vob, in the order its steps are taken each frame.
#include "sim/vob.h"

#include "settings/options_record.h"
#include "sim/arith.h"
#include "sim/entity.h"
#include "sim/entity_list.h"
#include "sim/food_search.h"
#include "sim/random.h"
#include "sim/world.h"

namespace {

// A hold of this many frames keeps a Vob on the course it steered.
constexpr int32_t steerHoldFrames = 80;

void adoptSheetAfterMeal(World& world, Entity& vob)
{
    const OptionsRecord& o = world.liveOptions;
    if (vob.strength() >= o.megaLevel)
        vob.adoptSheet(world.megaVobSheet);
    else if (vob.strength() >= o.greenLevel)
        vob.adoptSheet(world.vobSheet);
}

// Children start at the centre of the screen, not at the parent.
void bearChild(World& world)
{
    const OptionsRecord& o = world.liveOptions;
    Entity* child = addEntity(world, *world.vobList, world.vobSheet, directionalAnimation);
    const double r = nextRandom(world.random) / 32768.0;
    child->setStrength(truncToInt32(301 * r + o.greenLevel + 300));
    if (child->strength() <= o.greenLevel)
        child->adoptSheet(world.weakVobSheet);
    else if (child->strength() >= o.megaLevel)
        child->adoptSheet(world.megaVobSheet);
}

void spawnIfReady(World& world, Entity& vob)
{
    const OptionsRecord& o = world.liveOptions;
    if (vob.life() < o.spawnLevel || o.spawnLevel == 0)
        return;
    vob.setLife(0);
    // Stops at the limit: a stored birthSpawns of two billion would
    // otherwise spin that often on every spawning.
    for (int32_t i = 0; i < o.birthSpawns && world.vobList->population() < o.maxEntities; ++i)
        bearChild(world);
}

// The direction from the eaten deposit's centre towards the next food; the
// diagonals need more than a fifth of a food cell on each axis.
int32_t directionTowards(int32_t gx, int32_t gy, int32_t fx, int32_t fy, int32_t dx, int32_t dy,
                         int32_t current)
{
    if (gx < fx - dx && gy < fy - dy)
        return directionUpLeft;
    if (gx > fx + dx && gy < fy - dy)
        return directionUpRight;
    if (gx < fx - dx && gy > fy + dy)
        return directionDownLeft;
    if (gx > fx + dx && gy > fy + dy)
        return directionDownRight;
    if (gy > fy)
        return directionDown;
    if (gy < fy)
        return directionUp;
    if (gx < fx)
        return directionLeft;
    if (gx > fx)
        return directionRight;
    return current;
}

// With Vob IQ: head for the first living deposit near the one just eaten.
void steerTowardsNextFood(World& world, Entity& vob, const Entity& eaten)
{
    const int32_t fx = eaten.centreX();
    const int32_t fy = eaten.centreY();
    const int32_t radius = saturatingAdd(world.liveOptions.depositGap, 10);
    const Entity* g = firstFoodNear(world, fx, fy, radius, radius);
    if (g == nullptr)
        return;
    vob.setDirection(directionTowards(g->centreX(), g->centreY(), fx, fy, eaten.cellWidth() / 5,
                                      eaten.cellHeight() / 5, vob.direction()));
    vob.setSteerHold(steerHoldFrames);
}

void eat(World& world, Entity& vob, Entity& food)
{
    const OptionsRecord& o = world.liveOptions;
    if (vob.strength() <= o.maxStrength)
        vob.addStrength(food.strength());
    adoptSheetAfterMeal(world, vob);
    vob.addLife(1);
    spawnIfReady(world, vob);
    food.setAlive(0);
    if (o.vobIQ == 1) {
        steerTowardsNextFood(world, vob, food);
        // Snap onto the meal so the steering starts from where the food was.
        vob.setPosition(food.centreX() - vob.cellWidth() / 2,
                        food.centreY() - vob.cellHeight() / 2);
    }
}

// At most one deposit a frame: the first in list order whose centre is
// closer than a third of the Vob's cell on both axes.
void eatTouchedFood(World& world, Entity& vob)
{
    Entity* food = firstFoodNear(world, vob.centreX(), vob.centreY(), vob.cellWidth() / 3,
                                 vob.cellHeight() / 3);
    if (food != nullptr)
        eat(world, vob, *food);
}

void wander(World& world, Entity& vob)
{
    if (vob.takeSteerHold() == 0 && chance1000(world.random) < 20)
        vob.setDirection(randomDirection(world.random));
}

// A resting Vob looks about now and then.
void glance(World& world, Entity& vob)
{
    if (vob.direction() == directionStill && chance1000(world.random) < 80)
        vob.setFrame(randomGlance(world.random));
}

void setSpeedByStrength(Entity& vob)
{
    if (vob.strength() > 500)
        vob.setSpeed(4);
    else if (vob.strength() > 50)
        vob.setSpeed(3);
    else
        vob.setSpeed(2);
}

// Moving costs one point; resting now and then regains one. A Vob pushing
// against an edge has not moved and pays nothing.
void payForMoving(World& world, Entity& vob)
{
    const bool moved =
        vob.direction() != directionStill && (vob.x() != vob.prevX() || vob.y() != vob.prevY());
    if (moved)
        vob.addStrength(-1);
    else if (chance100(world.random) < 5)
        vob.addStrength(1);
}

// A Vob losing a point a frame changes its look as it passes the levels.
void adoptSheetAtExactLevel(World& world, Entity& vob)
{
    const OptionsRecord& o = world.liveOptions;
    if (vob.strength() == o.greenLevel)
        vob.adoptSheet(world.weakVobSheet);
    else if (vob.strength() == o.megaLevel)
        vob.adoptSheet(world.megaVobSheet);
    else if (vob.strength() == saturatingAdd(o.megaLevel, -1))
        vob.adoptSheet(world.vobSheet);
}

void drawVitals(World& world, const Entity& vob)
{
    const OptionsRecord& o = world.liveOptions;
    const bool show = o.statsMode == 1 || (o.statsMode == 2 && vob.strength() <= o.greenLevel);
    if (!show || world.painter == nullptr)
        return;
    if (o.includeLife != 0) {
        world.painter->drawVitals(world, vob.strength(), vob.x(), vob.y() - 30);
        world.painter->drawVitals(world, vob.life(), vob.x(), vob.y() - 15);
    } else {
        world.painter->drawVitals(world, vob.strength(), vob.x(), vob.y() - 15);
    }
}

void leaveRemains(World& world, const Entity& vob)
{
    if (world.remainsList == nullptr)
        return;
    Entity* remains = addEntity(world, *world.remainsList, world.remainsSheet, cyclicAnimation);
    const int32_t frames = 2 * remains->columns() * remains->rows() - 2;
    remains->setStrength(frames);
    remains->setStrengthCap(frames);
    remains->setFrameDelay(0);
    remains->setPosition(vob.x(), vob.y());
}

}  // namespace

EntityNode* tickVob(World& world, EntityNode* node)
{
    // Thousands of Vobs lie scattered over the heap: fetch the next one
    // while this one is worked on.
    if (node->next != nullptr)
        __builtin_prefetch(node->next->entity);
    Entity& vob = *node->entity;
    eatTouchedFood(world, vob);
    wander(world, vob);
    glance(world, vob);
    setSpeedByStrength(vob);
    payForMoving(world, vob);
    if (vob.strength() > world.liveOptions.maxStrength)
        vob.setStrength(world.liveOptions.maxStrength);
    if (vob.strength() <= 0)
        vob.setAlive(0);
    adoptSheetAtExactLevel(world, vob);
    vob.move(
        world.size,
        world.liveOptions.wrapEdges);  // the dead move too: their remains lie where the step ends

    if (vob.alive() == 1) {
        drawAdvance(world, vob);
        drawVitals(world, vob);
        return node->next;
    }
    leaveRemains(world, vob);
    return world.vobList->remove(node);
}
