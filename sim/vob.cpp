// The rule of life of a Vob, in the order its steps are taken each frame.
#include "sim/vob.h"

#include "render/display.h"
#include "render/glyph_font.h"
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

void adoptSheetAfterMeal(Entity& vob)
{
    const OptionsRecord& o = liveOptions;
    if (vob.strength() >= o.megaLevel)
        vob.adoptSheet(megaVobSheet);
    else if (vob.strength() >= o.greenLevel)
        vob.adoptSheet(vobSheet);
}

// Children start at the centre of the screen, not at the parent.
void bearChild()
{
    const OptionsRecord& o = liveOptions;
    vobList->append(new Entity(vobSheet, directionalAnimation));
    Entity* child = vobList->last();
    const double r = nextRandom() / 32768.0;
    child->setStrength(truncToInt32(301 * r + o.greenLevel + 300));
    if (child->strength() <= o.greenLevel)
        child->adoptSheet(weakVobSheet);
    else if (child->strength() >= o.megaLevel)
        child->adoptSheet(megaVobSheet);
}

void spawnIfReady(Entity& vob)
{
    const OptionsRecord& o = liveOptions;
    if (vob.life() < o.spawnLevel || o.spawnLevel == 0)
        return;
    vob.setLife(0);
    // Stops at the limit: a stored birthSpawns of two billion would
    // otherwise spin that often on every spawning.
    for (int32_t i = 0; i < o.birthSpawns && vobList->population() < o.maxEntities; ++i)
        bearChild();
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
void steerTowardsNextFood(Entity& vob, const Entity& eaten)
{
    const int32_t fx = eaten.centreX();
    const int32_t fy = eaten.centreY();
    const int32_t radius = saturatingAdd(liveOptions.depositGap, 10);
    const Entity* g = firstFoodNear(fx, fy, radius, radius);
    if (g == nullptr)
        return;
    vob.setDirection(directionTowards(g->centreX(), g->centreY(), fx, fy, eaten.cellWidth() / 5,
                                      eaten.cellHeight() / 5, vob.direction()));
    vob.setSteerHold(steerHoldFrames);
}

void eat(Entity& vob, Entity& food)
{
    const OptionsRecord& o = liveOptions;
    if (vob.strength() <= o.maxStrength)
        vob.addStrength(food.strength());
    adoptSheetAfterMeal(vob);
    vob.addLife(1);
    spawnIfReady(vob);
    food.setAlive(0);
    if (o.vobIQ == 1) {
        steerTowardsNextFood(vob, food);
        // Snap onto the meal so the steering starts from where the food was.
        vob.setPosition(food.centreX() - vob.cellWidth() / 2,
                        food.centreY() - vob.cellHeight() / 2);
    }
}

// At most one deposit a frame: the first in list order whose centre is
// closer than a third of the Vob's cell on both axes.
void eatTouchedFood(Entity& vob)
{
    Entity* food =
        firstFoodNear(vob.centreX(), vob.centreY(), vob.cellWidth() / 3, vob.cellHeight() / 3);
    if (food != nullptr)
        eat(vob, *food);
}

void wander(Entity& vob)
{
    if (vob.takeSteerHold() == 0 && chance1000() < 20)
        vob.setDirection(randomDirection());
}

// A resting Vob looks about now and then.
void glance(Entity& vob)
{
    if (vob.direction() == directionStill && chance1000() < 80)
        vob.setFrame(randomGlance());
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
void payForMoving(Entity& vob)
{
    const bool moved =
        vob.direction() != directionStill && (vob.x() != vob.prevX() || vob.y() != vob.prevY());
    if (moved)
        vob.addStrength(-1);
    else if (chance100() < 5)
        vob.addStrength(1);
}

// A Vob losing a point a frame changes its look as it passes the levels.
void adoptSheetAtExactLevel(Entity& vob)
{
    const OptionsRecord& o = liveOptions;
    if (vob.strength() == o.greenLevel)
        vob.adoptSheet(weakVobSheet);
    else if (vob.strength() == o.megaLevel)
        vob.adoptSheet(megaVobSheet);
    else if (vob.strength() == saturatingAdd(o.megaLevel, -1))
        vob.adoptSheet(vobSheet);
}

void drawVitals(const Entity& vob)
{
    const OptionsRecord& o = liveOptions;
    const bool show = o.statsMode == 1 || (o.statsMode == 2 && vob.strength() <= o.greenLevel);
    if (!show || vitalsFont == nullptr)
        return;
    if (o.includeLife != 0) {
        vitalsFont->drawNumber(backSurface, vob.strength(), vob.x(), vob.y() - 30, 1);
        vitalsFont->drawNumber(backSurface, vob.life(), vob.x(), vob.y() - 15, 1);
    } else {
        vitalsFont->drawNumber(backSurface, vob.strength(), vob.x(), vob.y() - 15, 1);
    }
}

void leaveRemains(const Entity& vob)
{
    if (remainsList == nullptr)
        return;
    remainsList->append(new Entity(remainsSheet, cyclicAnimation));
    Entity* remains = remainsList->last();
    const int32_t frames = 2 * remains->columns() * remains->rows() - 2;
    remains->setStrength(frames);
    remains->setStrengthCap(frames);
    remains->setFrameDelay(0);
    remains->setPosition(vob.x(), vob.y());
}

}  // namespace

EntityNode* tickVob(EntityNode* node)
{
    // Thousands of Vobs lie scattered over the heap: fetch the next one
    // while this one is worked on.
    if (node->next != nullptr)
        __builtin_prefetch(node->next->entity);
    Entity& vob = *node->entity;
    eatTouchedFood(vob);
    wander(vob);
    glance(vob);
    setSpeedByStrength(vob);
    payForMoving(vob);
    if (vob.strength() > liveOptions.maxStrength)
        vob.setStrength(liveOptions.maxStrength);
    if (vob.strength() <= 0)
        vob.setAlive(0);
    adoptSheetAtExactLevel(vob);
    vob.move();  // the dead move too: their remains lie where the step ends

    if (vob.alive() == 1) {
        vob.drawAdvance(backSurface, fullCellSize, fullCellSize);
        drawVitals(vob);
        return node->next;
    }
    leaveRemains(vob);
    return vobList->remove(node);
}
