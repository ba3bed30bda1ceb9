#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "render/display.h"
#include "render/sprite_sheet.h"
#include "settings/options_record.h"
#include "sim/entity.h"
#include "sim/world.h"
#include "tests/sim/sim_world.h"

using MotionTest = SimWorld;

TEST_F(MotionTest, WithoutWrappingTheCornerHoldsAndTheSpriteRests)
{
    world.liveOptions.wrapEdges = 0;
    Entity vob(world.vobSheet, directionalAnimation, world.size);
    vob.setPosition(2, 2);
    vob.setDirection(directionUpLeft);
    vob.setSpeed(2);
    vob.setFrameDelay(0);
    for (int i = 0; i < 3; ++i) {
        vob.move(world.size, world.liveOptions.wrapEdges);
        vob.advanceFrame();
        EXPECT_EQ(vob.x(), 2);
        EXPECT_EQ(vob.y(), 2);
        EXPECT_EQ(vob.prevX(), 2);
        EXPECT_EQ(vob.row(), 0);
    }
}

// A 15 x 15 Vob placed, pointed and stepped; where it ends.
TEST_F(MotionTest, StepsStopAtOrWrapRoundTheEdges)
{
    const struct {
        const char* name;
        int32_t wrap, speed, x, y, direction, steps, endX, endY;
    } cases[] = {
        // Without wrapping the steps are strict: the bounds are never reached.
        {"right stops short of 800 - 15", 0, 4, 0, 300, directionRight, 300, 784, 300},
        {"left never reaches x = 0", 0, 2, 10, 300, directionLeft, 20, 2, 300},
        {"up never reaches y = 0", 0, 2, 400, 20, directionUp, 20, 400, 2},
        {"down stops short of 600 - 15", 0, 2, 400, 570, directionDown, 20, 400, 584},
        // ...and a refused diagonal does not slide along the edge.
        {"up-right under the top", 0, 2, 100, 2, directionUpRight, 1, 100, 2},
        {"down-right at the right edge", 0, 2, 783, 300, directionDownRight, 1, 783, 300},
        {"down-left in the open", 0, 2, 100, 100, directionDownLeft, 1, 98, 102},
        // Wrapping lands on the opposite edge; vertically just outside it, so
        // that the next step re-enters.
        {"right past 800", 1, 3, 797, 100, directionRight, 1, -43, 100},
        {"left past -44", 1, 3, -41, 100, directionLeft, 1, 799, 100},
        {"down past 600", 1, 2, 100, 598, directionDown, 1, 100, -45},
        {"down past 600, then on", 1, 2, 100, 598, directionDown, 2, 100, -43},
        {"up past -44", 1, 2, 100, -42, directionUp, 1, 100, 601},
        {"up past -44, then on", 1, 2, 100, -42, directionUp, 2, 100, 599},
        // With wrapping every step is taken, and both axes wrap at once.
        {"up-right beyond the strict bounds", 1, 4, 790, 2, directionUpRight, 1, 794, -2},
        {"up-right out of a corner", 1, 4, 798, -42, directionUpRight, 1, -43, 601},
        // Still goes nowhere, with or without wrapping.
        {"still, strict", 0, 3, 100, 100, directionStill, 1, 100, 100},
        {"still, wrapping", 1, 3, 100, 100, directionStill, 1, 100, 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        world.liveOptions.wrapEdges = c.wrap;
        Entity vob(world.vobSheet, directionalAnimation, world.size);
        vob.setSpeed(c.speed);
        vob.setPosition(c.x, c.y);
        vob.setDirection(c.direction);
        for (int32_t i = 0; i < c.steps; ++i)
            vob.move(world.size, world.liveOptions.wrapEdges);
        EXPECT_EQ(vob.x(), c.endX);
        EXPECT_EQ(vob.y(), c.endY);
        if (c.steps == 1) {
            EXPECT_EQ(vob.prevX(), c.x);
            EXPECT_EQ(vob.prevY(), c.y);
        }
    }
}

TEST_F(MotionTest, DirectionalAnimationWalksRowsOneAndTwo)
{
    Entity vob(world.vobSheet, directionalAnimation, world.size);
    vob.setDirection(directionRight);
    vob.setSpeed(2);
    // Delay 3: each cell is held for four frames; the first step leaves row 0
    // after three, since the count starts at 0.
    const int32_t expected[] = {0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 1, 1, 1, 1, 2};
    for (int32_t row : expected) {
        vob.move(world.size, world.liveOptions.wrapEdges);
        vob.advanceFrame();
        EXPECT_EQ(vob.row(), row);
        EXPECT_EQ(vob.column(), directionRight);
    }
    vob.setDirection(directionStill);
    vob.move(world.size, world.liveOptions.wrapEdges);
    vob.advanceFrame();
    EXPECT_EQ(vob.row(), 0) << "a step that changed nothing shows the resting row";
    EXPECT_EQ(vob.frameTick(), 0);
}

TEST_F(MotionTest, CyclicAnimationShowsEveryCellOnceAndRepeats)
{
    Entity whirl(world.whirlSheet, cyclicAnimation, world.size);
    whirl.setFrameDelay(0);
    std::set<std::pair<int32_t, int32_t>> shown;
    for (int i = 0; i < 20; ++i) {
        whirl.advanceFrame();
        shown.insert({whirl.column(), whirl.row()});
    }
    EXPECT_EQ(shown.size(), 20u);
    EXPECT_EQ(whirl.column(), 1);
    EXPECT_EQ(whirl.row(), 0);

    whirl.setFrameDelay(2);
    for (int i = 0; i < 2; ++i)
        whirl.advanceFrame();
    EXPECT_EQ(whirl.column(), 1);
    whirl.advanceFrame();
    EXPECT_EQ(whirl.column(), 2);
}

TEST_F(MotionTest, CyclicAnimationBringsAColumnBeyondTheSheetBack)
{
    Entity food(world.foodSheet, cyclicAnimation, world.size);
    food.setFrameDelay(0);
    food.setFrame(9);
    food.advanceFrame();
    EXPECT_EQ(food.column(), 1);
    EXPECT_EQ(food.row(), 0);
}

TEST_F(MotionTest, DrawCopiesExactlyTheCurrentCell)
{
    Entity vob(world.vobSheet, directionalAnimation, world.size);
    vob.setDirection(directionLeft);  // column 3
    vob.setFrameDelay(0);
    vob.move(world.size, world.liveOptions.wrapEdges);
    vob.advanceFrame();  // row 1
    ASSERT_EQ(vob.column(), 3);
    ASSERT_EQ(vob.row(), 1);
    vob.setPosition(100, 200);
    drawEntity(world, vob);

    // Source (33, 17)-(48, 32); its top-left pixel is transparent.
    Surface* sheet = sheetPicture(world, world.vobSheet);
    EXPECT_EQ(pixelAt(testDisplay.backSurface, 100, 200), 0u);
    for (int32_t j = 0; j < 15; ++j) {
        for (int32_t i = 0; i < 15; ++i) {
            if (i == 0 && j == 0)
                continue;
            ASSERT_EQ(pixelAt(testDisplay.backSurface, 100 + i, 200 + j),
                      pixelAt(sheet, 33 + i, 17 + j))
                << i << "," << j;
        }
    }
    EXPECT_NE(pixelAt(sheet, 33 + 1, 17 + 1), pixelAt(sheet, 33 + 1 - 16, 17 + 1))
        << "neighbouring cells differ, so a wrong column would show";
    for (int32_t k = -1; k <= 15; ++k) {
        EXPECT_EQ(pixelAt(testDisplay.backSurface, 115, 200 + k), 0u) << "grid line not copied";
        EXPECT_EQ(pixelAt(testDisplay.backSurface, 100 + k, 215), 0u);
        EXPECT_EQ(pixelAt(testDisplay.backSurface, 99, 200 + k), 0u);
    }
}

TEST_F(MotionTest, DrawAtTheEdgeIsCutOffNotLost)
{
    Entity vob(world.vobSheet, directionalAnimation, world.size);
    vob.setPosition(-5, 590);
    drawEntity(world, vob);
    Surface* sheet = sheetPicture(world, world.vobSheet);
    // Cell (1, 0) starts at (1, 1); screen (0, 590) shows its pixel (6, 1).
    EXPECT_EQ(pixelAt(testDisplay.backSurface, 0, 590), pixelAt(sheet, 6, 1));
    EXPECT_EQ(pixelAt(testDisplay.backSurface, 9, 599), pixelAt(sheet, 15, 10));
}

TEST_F(MotionTest, ColumnOutsideTheSheetDrawsNothing)
{
    Entity vob(world.vobSheet, directionalAnimation, world.size);
    vob.setPosition(300, 300);
    vob.setFrame(9);
    drawEntity(world, vob);
    EXPECT_EQ(litPixels(testDisplay.backSurface, boxAt(300, 300, 15, 15)), 0);
}

TEST_F(MotionTest, DrawAdvanceShowsTheNextCell)
{
    Entity food(world.foodSheet, cyclicAnimation, world.size);
    food.setFrameDelay(0);
    food.setPosition(50, 60);
    drawAdvance(world, food);
    EXPECT_EQ(food.column(), 2);
    // Cell 2 starts at (9, 1) on the sheet.
    EXPECT_EQ(pixelAt(testDisplay.backSurface, 53, 63),
              pixelAt(sheetPicture(world, world.foodSheet), 12, 4));
    EXPECT_NE(pixelAt(testDisplay.backSurface, 53, 63), 0u);
}
