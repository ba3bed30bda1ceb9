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
    liveOptions.wrapEdges = 0;
    Entity vob(vobSheet, directionalAnimation);
    vob.setPosition(2, 2);
    vob.setDirection(directionUpLeft);
    vob.setSpeed(2);
    vob.setFrameDelay(0);
    for (int i = 0; i < 3; ++i) {
        vob.move();
        vob.advanceFrame();
        EXPECT_EQ(vob.x(), 2);
        EXPECT_EQ(vob.y(), 2);
        EXPECT_EQ(vob.prevX(), 2);
        EXPECT_EQ(vob.row(), 0);
    }
}

TEST_F(MotionTest, WithoutWrappingStepsAreStrict)
{
    liveOptions.wrapEdges = 0;
    Entity vob(vobSheet, directionalAnimation);
    vob.setSpeed(4);
    vob.setPosition(0, 300);
    vob.setDirection(directionRight);
    for (int i = 0; i < 300; ++i)
        vob.move();
    EXPECT_EQ(vob.x(), 784) << "800 - 15 is never reached";

    vob.setSpeed(2);
    vob.setPosition(10, 300);
    vob.setDirection(directionLeft);
    for (int i = 0; i < 20; ++i)
        vob.move();
    EXPECT_EQ(vob.x(), 2) << "x = 0 is never reached by moving";

    vob.setPosition(400, 20);
    vob.setDirection(directionUp);
    for (int i = 0; i < 20; ++i)
        vob.move();
    EXPECT_EQ(vob.y(), 2);

    vob.setPosition(400, 570);
    vob.setDirection(directionDown);
    for (int i = 0; i < 20; ++i)
        vob.move();
    EXPECT_EQ(vob.y(), 584);
}

TEST_F(MotionTest, WithoutWrappingARefusedDiagonalDoesNotSlide)
{
    liveOptions.wrapEdges = 0;
    Entity vob(vobSheet, directionalAnimation);
    vob.setSpeed(2);
    vob.setPosition(100, 2);
    vob.setDirection(directionUpRight);
    vob.move();
    EXPECT_EQ(vob.x(), 100);
    EXPECT_EQ(vob.y(), 2);

    vob.setPosition(783, 300);
    vob.setDirection(directionDownRight);
    vob.move();
    EXPECT_EQ(vob.x(), 783);
    EXPECT_EQ(vob.y(), 300);

    vob.setPosition(100, 100);
    vob.setDirection(directionDownLeft);
    vob.move();
    EXPECT_EQ(vob.x(), 98);
    EXPECT_EQ(vob.y(), 102);
}

TEST_F(MotionTest, WrappingLandsOnTheOppositeEdge)
{
    liveOptions.wrapEdges = 1;
    Entity vob(vobSheet, directionalAnimation);
    vob.setSpeed(3);
    vob.setPosition(797, 100);
    vob.setDirection(directionRight);
    vob.move();
    EXPECT_EQ(vob.x(), -43);

    vob.setPosition(-41, 100);
    vob.setDirection(directionLeft);
    vob.move();
    EXPECT_EQ(vob.x(), 799);

    vob.setSpeed(2);
    vob.setPosition(100, 598);
    vob.setDirection(directionDown);
    vob.move();
    EXPECT_EQ(vob.y(), -45);
    vob.move();
    EXPECT_EQ(vob.y(), -43);

    vob.setPosition(100, -42);
    vob.setDirection(directionUp);
    vob.move();
    EXPECT_EQ(vob.y(), 601);
    vob.move();
    EXPECT_EQ(vob.y(), 599);
}

TEST_F(MotionTest, WrappingTakesEveryStepAndWrapsBothAxes)
{
    liveOptions.wrapEdges = 1;
    Entity vob(vobSheet, directionalAnimation);
    vob.setSpeed(4);
    vob.setPosition(790, 2);  // past the bounds a non-wrapping world would keep
    vob.setDirection(directionUpRight);
    vob.move();
    EXPECT_EQ(vob.x(), 794);
    EXPECT_EQ(vob.y(), -2);

    vob.setPosition(798, -42);
    vob.move();
    EXPECT_EQ(vob.x(), -43);
    EXPECT_EQ(vob.y(), 601);
    EXPECT_EQ(vob.prevX(), 798);
    EXPECT_EQ(vob.prevY(), -42);
}

TEST_F(MotionTest, StillOrUnknownDirectionDoesNotMove)
{
    for (int32_t wrap : {0, 1}) {
        liveOptions.wrapEdges = wrap;
        Entity vob(vobSheet, directionalAnimation);
        vob.setPosition(100, 100);
        vob.setSpeed(3);
        vob.move();
        EXPECT_EQ(vob.x(), 100);
        EXPECT_EQ(vob.y(), 100);
    }
}

TEST_F(MotionTest, DirectionalAnimationWalksRowsOneAndTwo)
{
    Entity vob(vobSheet, directionalAnimation);
    vob.setDirection(directionRight);
    vob.setSpeed(2);
    // Delay 3: each cell is held for four frames; the first step leaves row 0
    // after three, since the count starts at 0.
    const int32_t expected[] = {0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 1, 1, 1, 1, 2};
    for (int32_t row : expected) {
        vob.move();
        vob.advanceFrame();
        EXPECT_EQ(vob.row(), row);
        EXPECT_EQ(vob.column(), directionRight);
    }
    vob.setDirection(directionStill);
    vob.move();
    vob.advanceFrame();
    EXPECT_EQ(vob.row(), 0) << "a step that changed nothing shows the resting row";
    EXPECT_EQ(vob.frameTick(), 0);
}

TEST_F(MotionTest, CyclicAnimationShowsEveryCellOnceAndRepeats)
{
    Entity whirl(whirlSheet, cyclicAnimation);
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
    Entity food(foodSheet, cyclicAnimation);
    food.setFrameDelay(0);
    food.setFrame(9);
    food.advanceFrame();
    EXPECT_EQ(food.column(), 1);
    EXPECT_EQ(food.row(), 0);
}

TEST_F(MotionTest, DrawCopiesExactlyTheCurrentCell)
{
    Entity vob(vobSheet, directionalAnimation);
    vob.setDirection(directionLeft);  // column 3
    vob.setFrameDelay(0);
    vob.move();
    vob.advanceFrame();  // row 1
    ASSERT_EQ(vob.column(), 3);
    ASSERT_EQ(vob.row(), 1);
    vob.setPosition(100, 200);
    vob.draw(backSurface, fullCellSize, fullCellSize);

    // Source (33, 17)-(48, 32); its top-left pixel is transparent.
    Surface* sheet = vobSheet->surface();
    EXPECT_EQ(pixelAt(backSurface, 100, 200), 0u);
    for (int32_t j = 0; j < 15; ++j) {
        for (int32_t i = 0; i < 15; ++i) {
            if (i == 0 && j == 0)
                continue;
            ASSERT_EQ(pixelAt(backSurface, 100 + i, 200 + j), pixelAt(sheet, 33 + i, 17 + j))
                << i << "," << j;
        }
    }
    EXPECT_NE(pixelAt(sheet, 33 + 1, 17 + 1), pixelAt(sheet, 33 + 1 - 16, 17 + 1))
        << "neighbouring cells differ, so a wrong column would show";
    for (int32_t k = -1; k <= 15; ++k) {
        EXPECT_EQ(pixelAt(backSurface, 115, 200 + k), 0u) << "grid line not copied";
        EXPECT_EQ(pixelAt(backSurface, 100 + k, 215), 0u);
        EXPECT_EQ(pixelAt(backSurface, 99, 200 + k), 0u);
    }
}

TEST_F(MotionTest, DrawAtTheEdgeIsCutOffNotLost)
{
    Entity vob(vobSheet, directionalAnimation);
    vob.setPosition(-5, 590);
    vob.draw(backSurface, fullCellSize, fullCellSize);
    Surface* sheet = vobSheet->surface();
    // Cell (1, 0) starts at (1, 1); screen (0, 590) shows its pixel (6, 1).
    EXPECT_EQ(pixelAt(backSurface, 0, 590), pixelAt(sheet, 6, 1));
    EXPECT_EQ(pixelAt(backSurface, 9, 599), pixelAt(sheet, 15, 10));
}

TEST_F(MotionTest, ColumnOutsideTheSheetDrawsNothing)
{
    Entity vob(vobSheet, directionalAnimation);
    vob.setPosition(300, 300);
    vob.setFrame(9);
    vob.draw(backSurface, fullCellSize, fullCellSize);
    for (int32_t j = 0; j < 15; ++j)
        for (int32_t i = 0; i < 15; ++i)
            ASSERT_EQ(pixelAt(backSurface, 300 + i, 300 + j), 0u);
}

TEST_F(MotionTest, DrawAdvanceShowsTheNextCell)
{
    Entity food(foodSheet, cyclicAnimation);
    food.setFrameDelay(0);
    food.setPosition(50, 60);
    food.drawAdvance(backSurface, fullCellSize, fullCellSize);
    EXPECT_EQ(food.column(), 2);
    // Cell 2 starts at (9, 1) on the sheet.
    EXPECT_EQ(pixelAt(backSurface, 53, 63), pixelAt(foodSheet->surface(), 12, 4));
    EXPECT_NE(pixelAt(backSurface, 53, 63), 0u);
}
