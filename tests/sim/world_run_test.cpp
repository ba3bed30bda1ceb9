#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "render/display.h"
#include "run/world_setup.h"
#include "settings/options_record.h"
#include "sim/decay.h"
#include "sim/entity.h"
#include "sim/entity_list.h"
#include "sim/random.h"
#include "sim/vob.h"
#include "sim/whirl.h"
#include "sim/world.h"
#include "tests/sim/sim_world.h"

namespace {

// Many frames of the four rules in the frame driver's order, from a world
// built the way set-up builds it.
class WorldRun : public SimWorld {
protected:
    void populate(uint32_t seed)
    {
        seedRandom(world.random, seed);
        const OptionsRecord& o = world.liveOptions;
        for (int32_t i = 0; i < o.initialVobs && world.vobList->population() < o.maxEntities; ++i)
            addFoundingVob(world);
        for (int32_t i = 0; i < o.whirlCount; ++i) {
            Entity* whirl = addWhirl();
            const double r = nextRandom(world.random) / 32768.0;
            whirl->setFrame(truncToInt32(20 - 20 * r - 1));
        }
    }

    void frame()
    {
        fillSurface(testDisplay.backSurface, keyColour);
        tickAll(world.foodList, tickFood);
        tickAll(world.vobList, tickVob);
        tickAll(world.remainsList, tickRemains);
        tickAll(world.whirlList, tickWhirl);
    }

    // What a frame leaves behind must hold whatever the draws were.
    void checkInvariants()
    {
        for (EntityList* list :
             {world.foodList, world.vobList, world.remainsList, world.whirlList}) {
            ASSERT_EQ(list->population(), nodeCount(list));
            ASSERT_GE(list->history(), list->peak());
            ASSERT_GE(list->peak(), list->population());
        }
        for (EntityNode* n = world.vobList->head(); n != nullptr; n = n->next) {
            ASSERT_EQ(n->entity->alive(), 1);
            ASSERT_GT(n->entity->strength(), 0);
            ASSERT_LE(n->entity->strength(), world.liveOptions.maxStrength);
        }
        for (EntityNode* n = world.remainsList->head(); n != nullptr; n = n->next) {
            ASSERT_GE(n->entity->strength(), 1);
            ASSERT_LE(n->entity->strength(), 81);
        }
        for (EntityNode* n = world.foodList->head(); n != nullptr; n = n->next)
            ASSERT_LE(n->entity->strength(), n->entity->strengthCap());
    }

    // Everything a frame can change, folded into one number.
    uint64_t fingerprint()
    {
        uint64_t sum = randomState(world.random);
        for (EntityList* list :
             {world.foodList, world.vobList, world.remainsList, world.whirlList}) {
            for (EntityNode* n = list->head(); n != nullptr; n = n->next) {
                const Entity& e = *n->entity;
                for (int32_t v : {e.x(), e.y(), e.strength(), e.direction(), e.column(), e.row(),
                                  e.life(), e.speed(), e.steerHold()})
                    sum = sum * 1000003u + static_cast<uint32_t>(v);
            }
        }
        return sum;
    }
};

}  // namespace

TEST_F(WorldRun, ThousandsOfFramesKeepTheListsConsistent)
{
    world.liveOptions.vobIQ = 1;
    world.liveOptions.whirlCount = 6;
    world.liveOptions.initialVobs = 40;
    world.liveOptions.maxEntities = 60;
    populate(7);
    for (int i = 0; i < 4000; ++i) {
        frame();
        checkInvariants();
        if (HasFatalFailure())
            FAIL() << "frame " << i;
        ASSERT_LE(world.vobList->population(), 60);
    }
    EXPECT_GT(world.remainsList->history(), 0) << "Vobs died";
    EXPECT_GT(world.foodList->history(), 0) << "whirls dropped food";
    EXPECT_GT(world.vobList->history(), 40) << "Vobs were born";
}

TEST_F(WorldRun, TheSameSeedReplaysTheSameWorld)
{
    populate(20261207);
    for (int i = 0; i < 1500; ++i)
        frame();
    const uint64_t first = fingerprint();
    const int32_t history = world.vobList->history();

    clearLists();
    populate(20261207);
    for (int i = 0; i < 1500; ++i)
        frame();
    EXPECT_EQ(fingerprint(), first);
    EXPECT_EQ(world.vobList->history(), history);
}

TEST_F(WorldRun, HostileSettingsDoNotBreakTheWorld)
{
    // Values a stored record can hold even though the pages would refuse them.
    const struct {
        int32_t foodStrength, depositGap, spawnLevel, birthSpawns, maxEntities, greenLevel;
    } cases[] = {
        {1, -5, 1, -3, 0, 100},
        {3, 1, 1, 50, 30, -1000},
        {INT_MAX, 1, 1, 2, 30, INT_MAX - 10},
        {INT_MIN, 2, -1, 1, 30, INT_MIN},
    };
    for (const auto& c : cases) {
        clearLists();
        world.liveOptions = presetAlgorithms[0];
        world.liveOptions.vobIQ = 1;
        world.liveOptions.wrapEdges = 0;
        world.liveOptions.whirlCount = 4;
        world.liveOptions.foodStrength = c.foodStrength;
        world.liveOptions.depositGap = c.depositGap;
        world.liveOptions.spawnLevel = c.spawnLevel;
        world.liveOptions.birthSpawns = c.birthSpawns;
        world.liveOptions.maxEntities = c.maxEntities;
        world.liveOptions.greenLevel = c.greenLevel;
        populate(3);
        for (EntityNode* n = world.whirlList->head(); n != nullptr; n = n->next) {
            n->entity->setLife(151);
            n->entity->setDirection(directionDownRight);
        }
        for (int i = 0; i < 600; ++i) {
            frame();
            for (EntityList* list :
                 {world.foodList, world.vobList, world.remainsList, world.whirlList})
                ASSERT_EQ(list->population(), nodeCount(list));
        }
    }
}
