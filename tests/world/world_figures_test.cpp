// The per-frame figures of tovrine-world.
#include <gtest/gtest.h>

#include "tests/render/test_display.h"
#include "render/sprite_sheet.h"
#include "sim/entity.h"
#include "sim/entity_list.h"
#include "sim/world.h"
#include "run/world_figures.h"

namespace {

TEST(WorldFigures, WithoutListsEverythingIsZero)
{
    const World world;
    EXPECT_EQ("0 0 0 0 0 0 0 0 0 0", formatWorldFigures(0, collectWorldFigures(world)));
}

TEST(WorldFigures, CountsEachListAndSumsTheVobsBeyond32Bits)
{
    const Sheet* sheet = &vobSheetCells;
    World world;
    world.vobList = new EntityList(world.memory);
    world.foodList = new EntityList(world.memory);
    world.remainsList = new EntityList(world.memory);
    world.whirlList = new EntityList(world.memory);
    for (int32_t i = 0; i < 3; ++i) {
        world.vobList->append(
            makeInWorld<Entity>(world.memory, sheet, directionalAnimation, world.size));
        world.vobList->last()->setStrength(2000000000);
        world.vobList->last()->setPosition(-10 * i, 100 + i);
    }
    world.vobList->remove(world.vobList->head());  // history 3, peak 3, population 2
    for (int32_t i = 0; i < 4; ++i)
        world.foodList->append(
            makeInWorld<Entity>(world.memory, sheet, cyclicAnimation, world.size));
    world.remainsList->append(
        makeInWorld<Entity>(world.memory, sheet, cyclicAnimation, world.size));

    EXPECT_EQ("17 2 3 3 4 1 0 4000000000 -30 203",
              formatWorldFigures(17, collectWorldFigures(world)));

    releaseWorld(world);
}

}  // namespace
