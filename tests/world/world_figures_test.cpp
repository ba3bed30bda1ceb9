// The per-frame figures of tovrine-world.
#include <gtest/gtest.h>

#include "render/sdl/headless_display.h"
#include "render/sprite_sheet.h"
#include "sim/entity.h"
#include "sim/entity_list.h"
#include "sim/world.h"
#include "tools/world/world_figures.h"

namespace {

TEST(WorldFigures, WithoutListsEverythingIsZero)
{
    EXPECT_EQ("0 0 0 0 0 0 0 0 0 0", formatWorldFigures(0, collectWorldFigures()));
}

TEST(WorldFigures, CountsEachListAndSumsTheVobsBeyond32Bits)
{
    ASSERT_TRUE(openHeadlessDisplay(800, 600, 16));
    SpriteSheet sheet(107);
    vobList = new EntityList;
    foodList = new EntityList;
    remainsList = new EntityList;
    whirlList = new EntityList;
    for (int32_t i = 0; i < 3; ++i) {
        vobList->append(new Entity(&sheet, directionalAnimation));
        vobList->last()->setStrength(2000000000);
        vobList->last()->setPosition(-10 * i, 100 + i);
    }
    vobList->remove(vobList->head());  // history 3, peak 3, population 2
    for (int32_t i = 0; i < 4; ++i)
        foodList->append(new Entity(&sheet, cyclicAnimation));
    remainsList->append(new Entity(&sheet, cyclicAnimation));

    EXPECT_EQ("17 2 3 3 4 1 0 4000000000 -30 203", formatWorldFigures(17, collectWorldFigures()));

    for (EntityList** list : {&vobList, &foodList, &remainsList, &whirlList}) {
        delete *list;
        *list = nullptr;
    }
    closeHeadlessDisplay();
}

}  // namespace
