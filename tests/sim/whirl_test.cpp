#include <gtest/gtest.h>

#include "render/display.h"
#include "render/sprite_sheet.h"
#include "settings/options_record.h"
#include "sim/entity.h"
#include "sim/entity_list.h"
#include "sim/whirl.h"
#include "sim/world.h"
#include "tests/sim/seed_helper.h"
#include "tests/sim/sim_world.h"

namespace {

class WhirlTest : public SimWorld {
protected:
    // A whirl past its warm-up, moving right, and draws that neither turn it
    // nor speed it up for `frames` frames.
    Entity* warmWhirlMovingRight(int frames)
    {
        Entity* whirl = addWhirl();
        whirl->setLife(151);
        whirl->setDirection(directionRight);
        seedQuietDraws(world.random, 2 * frames);
        return whirl;
    }

    void tickFrames(int frames)
    {
        for (int i = 0; i < frames; ++i)
            tickAll(world.whirlList, tickWhirl);
    }
};

}  // namespace

TEST_F(WhirlTest, WarmsUpFor151FramesEvenWithADirection)
{
    world.liveOptions.wrapEdges = 1;
    Entity* whirl = addWhirl();
    const int32_t x = whirl->x();
    const int32_t y = whirl->y();
    seedRandom(world.random, 2024);
    for (int frame = 1; frame <= 151; ++frame) {
        if (frame == 10)
            whirl->setDirection(directionDownLeft);
        tickAll(world.whirlList, tickWhirl);
        ASSERT_EQ(whirl->x(), x) << frame;
        ASSERT_EQ(whirl->y(), y) << frame;
    }
    EXPECT_EQ(whirl->life(), 151);
    EXPECT_EQ(world.foodList->population(), 0) << "nothing is dropped before it moves";
    tickAll(world.whirlList, tickWhirl);
    EXPECT_TRUE(whirl->x() != x || whirl->y() != y) << "moves on its 152nd frame";
    EXPECT_EQ(whirl->life(), 151);
}

TEST_F(WhirlTest, DropsFoodEverySevenStepsAtGapTwentySpeedThree)
{
    world.liveOptions.depositGap = 20;
    world.liveOptions.foodStrength = 320;
    Entity* whirl = warmWhirlMovingRight(30);
    const int32_t startX = whirl->x();
    tickFrames(6);
    EXPECT_EQ(world.foodList->population(), 0) << "18 pixels are not more than 20";
    tickFrames(1);
    ASSERT_EQ(world.foodList->population(), 1);
    EXPECT_EQ(whirl->depositX(), startX + 21);
    Entity* food = world.foodList->last();
    EXPECT_EQ(food->x(), startX + 21 + 22) << "top-left at the whirl's centre";
    EXPECT_EQ(food->y(), whirl->y() + 22);
    EXPECT_EQ(food->strength(), 320);
    EXPECT_EQ(food->strengthCap(), 320);
    EXPECT_EQ(food->frameDelay(), 0);
    EXPECT_EQ(food->sheet(), world.foodSheet);
    tickFrames(7);
    EXPECT_EQ(world.foodList->population(), 2);
    tickFrames(6);
    EXPECT_EQ(world.foodList->population(), 2);
    tickFrames(1);
    EXPECT_EQ(world.foodList->population(), 3);
}

TEST_F(WhirlTest, TravellingExactlyTheGapIsNotYetEnough)
{
    world.liveOptions.depositGap = 21;
    Entity* whirl = warmWhirlMovingRight(10);
    const int32_t startX = whirl->x();
    tickFrames(7);
    ASSERT_EQ(whirl->x(), startX + 21);
    EXPECT_EQ(world.foodList->population(), 0) << "21 pixels are not more than 21";
    tickFrames(1);
    EXPECT_EQ(world.foodList->population(), 1);
}

TEST_F(WhirlTest, NoFoodWithoutAGapOrFoodStrengthOrWhileStill)
{
    const struct {
        int32_t gap, strength, direction;
    } cases[] = {{0, 320, directionRight}, {15, 0, directionRight}, {15, 320, directionStill}};
    for (const auto& c : cases) {
        world.whirlList->clear();
        world.liveOptions.depositGap = c.gap;
        world.liveOptions.foodStrength = c.strength;
        Entity* whirl = warmWhirlMovingRight(40);
        whirl->setDirection(c.direction);
        whirl->setDepositPoint(0, 0);  // far from its place
        tickFrames(40);
        EXPECT_EQ(world.foodList->population(), 0)
            << c.gap << " " << c.strength << " " << c.direction;
    }
}

TEST_F(WhirlTest, WrappingToTheFarEdgeDropsAtOnce)
{
    world.liveOptions.wrapEdges = 1;
    world.liveOptions.depositGap = 15;
    Entity* whirl = warmWhirlMovingRight(3);
    whirl->setPosition(798, 300);
    whirl->setDepositPoint(798, 300);
    tickFrames(1);
    EXPECT_EQ(whirl->x(), -43);
    EXPECT_EQ(world.foodList->population(), 1);
}

TEST_F(WhirlTest, DrawsExactlyTwoValuesAFrameUnlessItSpeedsUp)
{
    Entity* whirl = addWhirl();
    seedQuietDraws(world.random, 2);
    uint32_t start = randomState(world.random);
    tickFrames(1);
    EXPECT_EQ(drawsSince(world.random, start), 2);
    EXPECT_EQ(whirl->speed(), 3);

    // Second value of the frame: chance15000 below 20.
    seedWhere(world.random, 2, [](int i, int32_t v) { return i == 0 ? v <= 30000 : v >= 32730; });
    start = randomState(world.random);
    tickFrames(1);
    EXPECT_EQ(drawsSince(world.random, start), 3) << "one more draw for the new speed";
    EXPECT_EQ(whirl->speed(), 4);
}

TEST_F(WhirlTest, StillWhirlsStartRarelyAndMovingOnesNeverStop)
{
    // A value that starts a still whirl (chance9000 below 60) ...
    Entity* whirl = addWhirl();
    seedWhere(world.random, 1, [](int, int32_t v) { return v >= 32560; });
    tickFrames(1);
    EXPECT_NE(whirl->direction(), 0);

    // ... and one just short of it does not.
    world.whirlList->clear();
    whirl = addWhirl();
    seedWhere(world.random, 1, [](int, int32_t v) { return v >= 32400 && v < 32550; });
    tickFrames(1);
    EXPECT_EQ(whirl->direction(), 0);

    // Moving: turning never gives direction 0.
    seedRandom(world.random, 99);
    whirl->setDirection(directionUp);
    for (int i = 0; i < 3000; ++i) {
        tickFrames(1);
        ASSERT_NE(whirl->direction(), 0);
    }
}

TEST_F(WhirlTest, ShowsTheNextCellEveryFrame)
{
    Entity* whirl = addWhirl();
    whirl->setFrame(3);
    seedQuietDraws(world.random, 2);
    tickFrames(1);
    EXPECT_EQ(whirl->column(), 4);
    // Cell 4 of row 0 starts at (136, 1); the whirl sits at (378, 278).
    EXPECT_EQ(pixelAt(testDisplay.backSurface, 378 + 10, 278 + 10),
              pixelAt(sheetPicture(world, world.whirlSheet), 146, 11));
    EXPECT_NE(pixelAt(testDisplay.backSurface, 378 + 10, 278 + 10), 0u);
}
