#include <gtest/gtest.h>

#include "render/display.h"
#include "render/sprite_sheet.h"
#include "settings/options_record.h"
#include "sim/entity.h"
#include "sim/entity_list.h"
#include "sim/vob.h"
#include "sim/world.h"
#include "tests/sim/seed_helper.h"
#include "tests/sim/sim_world.h"

namespace {

class VobTest : public SimWorld {
protected:
    // Whether a still Vob on `sheet` eats food placed (dx, dy) from its centre.
    bool eatsAt(const Sheet* sheet, int32_t strength, int32_t dx, int32_t dy)
    {
        world.vobList->clear();
        world.foodList->clear();
        Entity* vob = addVob(400, 300, strength);
        vob->adoptSheet(sheet);
        Entity* food = addFoodAround(*vob, dx, dy);
        tickFirstVob();
        return food->alive() == 0;
    }
};

}  // namespace

TEST_F(VobTest, ContactNeedsCentresWithinAThirdOfTheCell)
{
    // 15 x 15: 15 / 3 = 5, so 4 pixels touch and 5 do not, on either axis.
    EXPECT_TRUE(eatsAt(world.vobSheet, 200, 4, 4));
    EXPECT_TRUE(eatsAt(world.vobSheet, 200, -4, -4));
    EXPECT_FALSE(eatsAt(world.vobSheet, 200, 5, 0));
    EXPECT_FALSE(eatsAt(world.vobSheet, 200, 0, 5));
    EXPECT_FALSE(eatsAt(world.vobSheet, 200, -5, 0));
    EXPECT_FALSE(eatsAt(world.vobSheet, 200, 0, -5));
    // 23 x 24 mega cells reach 6 across (23 / 3 = 7) and 7 down or up (24 / 3 = 8).
    EXPECT_TRUE(eatsAt(world.megaVobSheet, 2000, 6, 7));
    EXPECT_TRUE(eatsAt(world.megaVobSheet, 2000, -6, -7));
    EXPECT_FALSE(eatsAt(world.megaVobSheet, 2000, 7, 0));
    EXPECT_FALSE(eatsAt(world.megaVobSheet, 2000, 0, 8));
    EXPECT_FALSE(eatsAt(world.megaVobSheet, 2000, 0, -8));
}

TEST_F(VobTest, AMealAddsTheDepositsUnitsAndCountsALife)
{
    Entity* vob = addVob(400, 300, 200);
    Entity* food = addFoodAround(*vob, 1, 1, 250);
    food->setStrength(123);  // what is left of it now, not what it started with
    tickFirstVob();
    EXPECT_EQ(vob->strength(), 323);
    EXPECT_EQ(vob->life(), 1);
    EXPECT_EQ(food->alive(), 0);
    EXPECT_EQ(vob->x(), 400) << "without Vob IQ a Vob never snaps onto food";
    EXPECT_EQ(vob->direction(), 0);
}

TEST_F(VobTest, EatsOnlyTheFirstLivingDepositItTouches)
{
    Entity* vob = addVob(400, 300, 200);
    Entity* eaten = addFoodAround(*vob, 1, 1, 50);
    eaten->setAlive(0);  // eaten by another Vob earlier this frame
    Entity* first = addFoodAround(*vob, 2, 2, 60);
    Entity* second = addFoodAround(*vob, 0, 0, 70);
    tickFirstVob();
    EXPECT_EQ(first->alive(), 0);
    EXPECT_EQ(second->alive(), 1);
    EXPECT_EQ(vob->strength(), 260);
}

TEST_F(VobTest, AVobAboveMaxStrengthGainsNothingButStillConsumesTheFood)
{
    Entity* vob = addVob(400, 300, 3500);
    Entity* food = addFoodAround(*vob, 0, 0);
    tickFirstVob();
    EXPECT_EQ(vob->strength(), 3000);
    EXPECT_EQ(food->alive(), 0);
    EXPECT_EQ(vob->life(), 1);

    // Exactly at the maximum it eats and is clamped back in the same call:
    // the meal covers the step it pays for.
    vob->setDirection(directionRight);
    vob->setSteerHold(1000);
    tickFirstVob();  // a first step, paid for on the next frame
    vob->setStrength(3000);
    Entity* more = addFoodAround(*vob, 0, 0);
    tickFirstVob();
    EXPECT_EQ(vob->strength(), 3000);
    EXPECT_EQ(more->alive(), 0);
    EXPECT_EQ(vob->life(), 2);
}

TEST_F(VobTest, AHugeMealNeverWrapsIntoDeath)
{
    // Only a hand-made stored record gets here; 32-bit sums would wrap negative.
    world.liveOptions.maxStrength = 2147483647;
    Entity* vob = addVob(400, 300, 2000000000);
    addFoodAround(*vob, 0, 0, 1000000000);
    tickFirstVob();
    EXPECT_EQ(vob->alive(), 1);
    EXPECT_EQ(vob->strength(), 2147483647);
    EXPECT_EQ(world.vobList->population(), 1);
}

TEST_F(VobTest, MealsChangeTheSheetAtTheLevels)
{
    const struct {
        const char* name;
        const Sheet* before;
        int32_t strength, units;
        const Sheet* after;
        int32_t cellWidth;
    } cases[] = {
        {"1600 reaches the mega level", world.vobSheet, 1500, 100, world.megaVobSheet, 23},
        {"110 is back above the green level", world.weakVobSheet, 60, 50, world.vobSheet, 15},
        {"30 is still weak", world.weakVobSheet, 10, 20, world.weakVobSheet, 15},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        world.vobList->clear();
        world.foodList->clear();
        Entity* vob = addVob(400, 300, c.strength);
        vob->adoptSheet(c.before);
        addFoodAround(*vob, 0, 0, c.units);
        tickFirstVob();
        EXPECT_EQ(vob->sheet(), c.after);
        EXPECT_EQ(vob->cellWidth(), c.cellWidth);
    }
}

TEST_F(VobTest, LosingStrengthSwitchesSheetsOnlyAtExactLevels)
{
    Entity* vob = addMovingVob(101);
    tickFirstVob();
    EXPECT_EQ(vob->strength(), 100);
    EXPECT_EQ(vob->sheet(), world.weakVobSheet);

    vob->adoptSheet(world.vobSheet);
    vob->setStrength(1601);
    tickFirstVob();
    EXPECT_EQ(vob->sheet(), world.megaVobSheet);
    tickFirstVob();
    EXPECT_EQ(vob->strength(), 1599);
    EXPECT_EQ(vob->sheet(), world.vobSheet);

    // Clamped down past the mega level: keeps the mega look until a level is met.
    world.liveOptions.maxStrength = 1000;
    vob->adoptSheet(world.megaVobSheet);
    vob->setStrength(2000);
    tickFirstVob();
    EXPECT_EQ(vob->strength(), 1000);
    EXPECT_EQ(vob->sheet(), world.megaVobSheet);
}

TEST_F(VobTest, SpeedFollowsStrength)
{
    const struct {
        int32_t strength;
        int32_t speed;
    } cases[] = {{501, 4}, {500, 3}, {51, 3}, {50, 2}, {1, 2}};
    for (const auto& c : cases) {
        world.vobList->clear();
        Entity* vob = addVob(400, 300, c.strength);
        tickFirstVob();
        EXPECT_EQ(vob->speed(), c.speed) << c.strength;
    }
}

TEST_F(VobTest, MovingCostsOneAndAVobAgainstTheEdgePaysNothing)
{
    world.liveOptions.wrapEdges = 0;
    Entity* vob = addMovingVob(200);
    tickFirstVob();
    EXPECT_EQ(vob->strength(), 199);
    EXPECT_EQ(vob->x(), 403);

    vob->setPosition(2, 300);
    vob->setDirection(directionLeft);
    tickFirstVob();  // still pays: its last step (the one before the jump) changed the place
    const int32_t atEdge = vob->strength();
    for (int i = 0; i < 5; ++i)
        tickFirstVob();
    EXPECT_EQ(vob->strength(), atEdge);
    EXPECT_EQ(vob->x(), 2);
}

TEST_F(VobTest, AResterNeverPaysAndGainsAboutFourPercentOfFrames)
{
    Entity* vob = addVob(400, 300, 200);
    vob->setSteerHold(1000000);  // no wandering off
    seedRandom(world.random, 12345);
    int gains = 0;
    for (int i = 0; i < 20000; ++i) {
        const int32_t before = vob->strength();
        tickVob(world, world.vobList->head());
        ASSERT_GE(vob->strength(), before);
        gains += vob->strength() - before;
    }
    // Chance 4 in 99 per frame: about 808, give or take 28. The bounds are
    // more than three of those away, and far enough from 3 or 5 in 99 to
    // tell a wrong threshold.
    EXPECT_GT(gains, 20000 * 35 / 1000);
    EXPECT_LT(gains, 20000 * 45 / 1000);
}

TEST_F(VobTest, WanderingDrawsOnlyWithoutAHold)
{
    // Generator value 32767 makes any chance 1: a turn if wandering draws it.
    Entity* vob = addVob(400, 300, 200);
    seedSoNextIs(world.random, 32767);
    tickVob(world, world.vobList->head());
    EXPECT_NE(vob->direction(), 0);
    EXPECT_EQ(vob->column(), vob->direction());

    world.vobList->clear();
    Entity* held = addVob(400, 300, 200);
    held->setSteerHold(5);
    seedSoNextIs(world.random, 32767);
    tickVob(world, world.vobList->head());
    EXPECT_EQ(held->steerHold(), 4);
    EXPECT_EQ(held->direction(), 0) << "the value went to glancing instead";
    EXPECT_GE(held->column(), 2);
    EXPECT_LE(held->column(), 8);
    EXPECT_EQ(held->row(), 0);
}

TEST_F(VobTest, DrawsPerFrameFollowTheVobsState)
{
    // Still, no hold: wander test, glance test, rest test.
    Entity* vob = addVob(400, 300, 200);
    seedQuietDraws(world.random, 10);
    uint32_t start = randomState(world.random);
    tickVob(world, world.vobList->head());
    EXPECT_EQ(drawsSince(world.random, start), 3);

    // Moving with a hold: only the rest test, until a step has really been
    // taken; then no draw at all.
    vob->setDirection(directionDown);
    vob->setSteerHold(10);
    start = randomState(world.random);
    tickVob(world, world.vobList->head());
    EXPECT_EQ(drawsSince(world.random, start), 1);
    start = randomState(world.random);
    tickVob(world, world.vobList->head());
    EXPECT_EQ(drawsSince(world.random, start), 0);
}

TEST_F(VobTest, DeathLeavesRemainsWhereTheLastStepEnded)
{
    addVob(100, 100, 500);
    addMovingVob(1);
    EntityNode* node = world.vobList->head()->next;
    seedQuietDraws(world.random, 8);
    EXPECT_EQ(tickVob(world, node), nullptr) << "the tail died: the walk ends";
    EXPECT_EQ(world.vobList->population(), 1);
    EXPECT_EQ(nodeCount(world.vobList), 1);
    ASSERT_EQ(world.remainsList->population(), 1);
    Entity* remains = world.remainsList->last();
    EXPECT_EQ(remains->x(), 402) << "after this frame's step (speed 2 for strength 1)";
    EXPECT_EQ(remains->y(), 300);
    EXPECT_EQ(remains->strength(), 82);
    EXPECT_EQ(remains->strengthCap(), 82);
    EXPECT_EQ(remains->frameDelay(), 0);
    EXPECT_EQ(remains->column(), 1);
    EXPECT_EQ(remains->row(), 0);
    EXPECT_EQ(litPixels(testDisplay.backSurface, boxAt(400, 300, 17, 15)), 0)
        << "the dead are not drawn";
}

TEST_F(VobTest, DeathInTheMiddleReturnsTheNextVob)
{
    addVob(100, 100, 500);
    addMovingVob(1);
    addVob(200, 200, 500);
    EntityNode* middle = world.vobList->head()->next;
    EntityNode* third = middle->next;
    seedQuietDraws(world.random, 8);
    EXPECT_EQ(tickVob(world, middle), third);
    EXPECT_EQ(world.vobList->head()->next, third);
}

TEST_F(VobTest, ALivingVobIsDrawnAfterItsStep)
{
    Entity* vob = addMovingVob(200);
    tickFirstVob();
    ASSERT_EQ(vob->x(), 403);
    // Column 1 (right), row 0: the first frames of a step hold the resting row.
    EXPECT_EQ(pixelAt(testDisplay.backSurface, 403 + 5, 300 + 5),
              pixelAt(sheetPicture(world, world.vobSheet), 1 + 5, 1 + 5));
    EXPECT_NE(pixelAt(testDisplay.backSurface, 403 + 5, 300 + 5), 0u);
}

TEST_F(VobTest, TheSpawnLevelMealBearsChildrenAtTheCentre)
{
    world.liveOptions.spawnLevel = 3;
    Entity* vob = addVob(100, 100, 200);
    for (int meal = 1; meal <= 2; ++meal) {
        addFoodAround(*vob, 0, 0, 10);
        tickFirstVob();
        EXPECT_EQ(vob->life(), meal);
    }
    EXPECT_EQ(world.vobList->population(), 1);
    addFoodAround(*vob, 0, 0, 10);
    tickFirstVob();
    EXPECT_EQ(vob->life(), 0);
    ASSERT_EQ(world.vobList->population(), 4);
    EXPECT_EQ(world.vobList->history(), 4);
    for (EntityNode* n = world.vobList->head()->next; n != nullptr; n = n->next) {
        EXPECT_EQ(n->entity->x(), 393);
        EXPECT_EQ(n->entity->y(), 293);
        EXPECT_GE(n->entity->strength(), 400);
        EXPECT_LE(n->entity->strength(), 700);
        EXPECT_EQ(n->entity->sheet(), world.vobSheet);
    }
}

TEST_F(VobTest, NewbornStrengthRunsFromGreenPlus300ToGreenPlus600)
{
    world.liveOptions.spawnLevel = 1;
    world.liveOptions.birthSpawns = 1;
    world.liveOptions.megaLevel = 550;
    const struct {
        int32_t value;
        int32_t strength;
    } cases[] = {{0, 400}, {32767, 700}, {16384, 550}};
    for (const auto& c : cases) {
        world.vobList->clear();
        world.foodList->clear();
        Entity* vob = addVob(100, 100, 200);
        addFoodAround(*vob, 0, 0, 10);
        seedSoNextIs(world.random, c.value);  // the child's draw comes before any other
        tickVob(world, world.vobList->head());
        ASSERT_EQ(nodeCount(world.vobList), 2);
        Entity* child = world.vobList->last();
        EXPECT_EQ(child->strength(), c.strength);
        EXPECT_EQ(child->sheet(), c.strength >= 550 ? world.megaVobSheet : world.vobSheet)
            << c.strength;
    }
}

TEST_F(VobTest, SpawningStopsAtMaxEntitiesAndStillResetsLife)
{
    world.liveOptions.spawnLevel = 1;
    world.liveOptions.birthSpawns = 3;
    world.liveOptions.maxEntities = 2;
    Entity* vob = addVob(100, 100, 200);
    addFoodAround(*vob, 0, 0, 10);
    seedQuietDraws(world.random, 10);
    uint32_t start = randomState(world.random);
    tickVob(world, world.vobList->head());
    EXPECT_EQ(world.vobList->population(), 2);
    EXPECT_EQ(vob->life(), 0);
    EXPECT_EQ(drawsSince(world.random, start), 1 + 3) << "one draw for the one child born";

    addFoodAround(*vob, 0, 0, 10);
    tickVob(world, world.vobList->head());
    EXPECT_EQ(world.vobList->population(), 2);
    EXPECT_EQ(vob->life(), 0);

    world.liveOptions.maxEntities = 0;
    world.liveOptions.birthSpawns = 5;
    addFoodAround(*vob, 0, 0, 10);
    tickVob(world, world.vobList->head());
    EXPECT_EQ(world.vobList->population(), 2);

    world.liveOptions.maxEntities = 100;
    world.liveOptions.birthSpawns = 0;
    addFoodAround(*vob, 0, 0, 10);
    tickVob(world, world.vobList->head());
    EXPECT_EQ(world.vobList->population(), 2);
    EXPECT_EQ(vob->life(), 0);
}

TEST_F(VobTest, NoSpawningWhenSpawnLevelIsZero)
{
    world.liveOptions.spawnLevel = 0;
    Entity* vob = addVob(100, 100, 200);
    for (int i = 0; i < 3; ++i) {
        addFoodAround(*vob, 0, 0, 10);
        tickFirstVob();
    }
    EXPECT_EQ(vob->life(), 3);
    EXPECT_EQ(world.vobList->population(), 1);
}

TEST_F(VobTest, ChildrenAreTickedInTheFrameOfTheirBirth)
{
    world.liveOptions.spawnLevel = 1;
    world.liveOptions.birthSpawns = 2;
    Entity* vob = addVob(100, 100, 200);
    addFoodAround(*vob, 0, 0, 10);
    seedQuietDraws(world.random, 20);
    tickAll(world.vobList, tickVob);
    ASSERT_EQ(world.vobList->population(), 3);
    for (EntityNode* n = world.vobList->head()->next; n != nullptr; n = n->next) {
        EXPECT_EQ(n->entity->prevX(), 393) << "moved (or tried to) this frame";
        EXPECT_GE(n->entity->speed(), 3) << "speed set by its own rule";
    }
    EXPECT_NE(pixelAt(testDisplay.backSurface, 393 + 5, 293 + 5), 0u) << "drawn this frame";
}

TEST_F(VobTest, AStarvingVobDiesWhenItsStrengthRunsOut)
{
    // Strength 3, moving, nothing to eat: three frames.
    addMovingVob(3);
    for (int frame = 1; frame <= 2; ++frame) {
        tickFirstVob();
        ASSERT_EQ(world.vobList->population(), 1) << frame;
    }
    tickFirstVob();
    EXPECT_EQ(world.vobList->population(), 0);
    EXPECT_EQ(world.remainsList->population(), 1);
}
