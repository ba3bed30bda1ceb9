#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "render/display.h"
#include "render/sprite_sheet.h"
#include "settings/options_record.h"
#include "sim/decay.h"
#include "sim/entity.h"
#include "sim/entity_list.h"
#include "sim/vob.h"
#include "sim/world.h"
#include "tests/sim/sim_world.h"

namespace {

class DecayTest : public SimWorld {
protected:
    Entity* addRemains(int32_t x, int32_t y)
    {
        world.remainsList->append(
            makeInWorld<Entity>(world.memory, world.remainsSheet, cyclicAnimation, world.size));
        Entity* remains = world.remainsList->last();
        remains->setStrength(82);
        remains->setStrengthCap(82);
        remains->setFrameDelay(0);
        remains->setPosition(x, y);
        return remains;
    }

    void clearScreen() { fillSurface(testDisplay.backSurface, keyColour); }

    // Whether anything was drawn in the w x h box at (x, y).
    bool drawnAt(int32_t x, int32_t y, int32_t w, int32_t h)
    {
        return litPixels(testDisplay.backSurface, boxAt(x, y, w, h)) > 0;
    }
};

}  // namespace

TEST_F(DecayTest, FourUnitsShowCellsTwoThreeFourThenGo)
{
    Entity* food = addFood(100, 100, 4);
    for (int32_t cell : {2, 3, 4}) {
        clearScreen();
        tickAll(world.foodList, tickFood);
        ASSERT_EQ(world.foodList->population(), 1);
        EXPECT_EQ(food->column(), cell);
        // Cell c starts at (8c - 7, 1) on the sheet.
        EXPECT_EQ(pixelAt(testDisplay.backSurface, 103, 103),
                  pixelAt(sheetPicture(world, world.foodSheet), 8 * cell - 7 + 3, 4));
    }
    clearScreen();
    EXPECT_EQ(tickFood(world, world.foodList->head()), nullptr);
    EXPECT_EQ(world.foodList->population(), 0);
    EXPECT_FALSE(drawnAt(100, 100, 7, 7));
}

TEST_F(DecayTest, AHundredUnitsShrinkEveryTwentyFiveFrames)
{
    Entity* food = addFood(100, 100, 100);
    std::vector<int32_t> changes;  // units left when the cell moved on
    int32_t column = food->column();
    int frames = 0;
    while (world.foodList->head() != nullptr) {
        tickAll(world.foodList, tickFood);
        ++frames;
        if (world.foodList->head() != nullptr && food->column() != column) {
            column = food->column();
            changes.push_back(food->strength());
        }
    }
    EXPECT_EQ(frames, 100);
    EXPECT_EQ(changes, (std::vector<int32_t>{75, 50, 25}));
    EXPECT_NE(column, 5) << "the fifth cell is never shown";
}

TEST_F(DecayTest, TooFewUnitsVanishOnTheFirstTick)
{
    for (int32_t units : {3, 1, 0, -5}) {
        addFood(100, 100, units);
        clearScreen();
        tickAll(world.foodList, tickFood);
        EXPECT_EQ(world.foodList->population(), 0) << units;
        EXPECT_FALSE(drawnAt(100, 100, 7, 7)) << units;
    }
}

TEST_F(DecayTest, AnEatenDepositIsDrawnThatFrameAndGoneTheNext)
{
    // The food pass comes first: the deposit ages and is drawn, then eaten.
    Entity* vob = addVob(393, 293, 200);
    Entity* food = addFoodAround(*vob, 0, 0, 320);
    clearScreen();
    tickAll(world.foodList, tickFood);
    EXPECT_TRUE(drawnAt(food->x(), food->y(), 7, 7));
    tickFirstVob();
    EXPECT_EQ(food->alive(), 0);
    EXPECT_EQ(vob->strength(), 200 + 319);

    clearScreen();
    tickAll(world.foodList, tickFood);
    EXPECT_EQ(world.foodList->population(), 0);
}

TEST_F(DecayTest, RemovingExpiredFoodKeepsTheWalkGoing)
{
    Entity* first = addFood(10, 10, 50);
    addFood(30, 10, 1);  // expires this frame
    Entity* third = addFood(50, 10, 50);
    tickAll(world.foodList, tickFood);
    EXPECT_EQ(world.foodList->population(), 2);
    EXPECT_EQ(first->strength(), 49);
    EXPECT_EQ(third->strength(), 49);
    EXPECT_EQ(world.foodList->head()->next->entity, third);
}

TEST_F(DecayTest, RemainsLastEightyOneDrawnFramesAndShowFortyOneCells)
{
    Entity* remains = addRemains(200, 200);
    std::set<std::pair<int32_t, int32_t>> cells;
    int drawnFrames = 0;
    int ticks = 0;
    while (world.remainsList->head() != nullptr) {
        clearScreen();
        tickAll(world.remainsList, tickRemains);
        ++ticks;
        if (world.remainsList->head() != nullptr) {
            cells.insert({remains->column(), remains->row()});
            if (drawnAt(200, 200, 23, 22))
                ++drawnFrames;
        }
    }
    EXPECT_EQ(ticks, 82);
    EXPECT_EQ(drawnFrames, 81);
    EXPECT_EQ(cells.size(), 41u);
}

TEST_F(DecayTest, RemainsOfAVobAreTickedInTheFrameOfDeath)
{
    addMovingVob(1);
    tickFirstVob();
    ASSERT_EQ(world.vobList->population(), 0);
    tickAll(world.remainsList, tickRemains);
    ASSERT_EQ(world.remainsList->population(), 1);
    Entity* remains = world.remainsList->last();
    EXPECT_EQ(remains->strength(), 81);
    EXPECT_EQ(remains->column(), 1) << "81 is odd: no step yet";
    EXPECT_EQ(pixelAt(testDisplay.backSurface, 402 + 5, 300 + 5),
              pixelAt(sheetPicture(world, world.remainsSheet), 6, 6));
    EXPECT_NE(pixelAt(testDisplay.backSurface, 402 + 5, 300 + 5), 0u);
}

TEST_F(DecayTest, SheetsTooSmallForTheStepsDoNotStopTheProgram)
{
    // One cell: a deposit's step divides by 0 cells; it vanishes at once.
    world.foodList->append(
        makeInWorld<Entity>(world.memory, &oneCellSheet, cyclicAnimation, world.size));
    world.foodList->last()->setStrength(50);
    world.foodList->last()->setStrengthCap(50);
    tickAll(world.foodList, tickFood);
    EXPECT_EQ(world.foodList->population(), 0);

    // Three cells: the remains' step divides by 0; they stay and never animate.
    world.remainsList->append(
        makeInWorld<Entity>(world.memory, &threeCellSheet, cyclicAnimation, world.size));
    Entity* remains = world.remainsList->last();
    remains->setStrength(4);
    remains->setStrengthCap(4);
    remains->setFrameDelay(0);
    for (int i = 0; i < 3; ++i) {
        tickAll(world.remainsList, tickRemains);
        ASSERT_EQ(world.remainsList->population(), 1);
        EXPECT_EQ(remains->column(), 1);
    }
    tickAll(world.remainsList, tickRemains);
    EXPECT_EQ(world.remainsList->population(), 0);
}
