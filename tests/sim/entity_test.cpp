#include <gtest/gtest.h>

#include "tests/render/test_display.h"
#include "render/sprite_sheet.h"
#include "sim/entity.h"
#include "sim/world.h"
#include "tests/sim/sim_world.h"

using EntityTest = SimWorld;

TEST_F(EntityTest, NewEntityStartsCentredWithCreationValues)
{
    Entity vob(world.vobSheet, directionalAnimation, world.size);
    EXPECT_EQ(vob.x(), 393);
    EXPECT_EQ(vob.y(), 293);
    EXPECT_EQ(vob.sheet(), world.vobSheet);
    EXPECT_EQ(vob.sheetShared(), 1);
    EXPECT_EQ(vob.column(), 1);
    EXPECT_EQ(vob.row(), 0);
    EXPECT_EQ(vob.direction(), 0);
    EXPECT_EQ(vob.frameDelay(), 3);
    EXPECT_EQ(vob.speed(), 1);
    EXPECT_EQ(vob.strength(), 1);
    EXPECT_EQ(vob.alive(), 1);
    EXPECT_EQ(vob.strengthCap(), 0);
    EXPECT_EQ(vob.life(), 0);
    EXPECT_EQ(vob.steerHold(), 0);

    Entity whirl(world.whirlSheet, cyclicAnimation, world.size);
    EXPECT_EQ(whirl.x(), 400 - 22);
    EXPECT_EQ(whirl.y(), 300 - 22);
}

TEST_F(EntityTest, AdoptingASheetRemeasuresButKeepsPlaceAndLook)
{
    Entity vob(world.vobSheet, directionalAnimation, world.size);
    vob.setPosition(100, 120);
    vob.setDirection(directionLeft);
    vob.setFrameDelay(0);
    vob.move(world.size, world.liveOptions.wrapEdges);
    vob.advanceFrame();  // row 1 after a real step
    ASSERT_EQ(vob.row(), 1);

    vob.adoptSheet(world.megaVobSheet);
    EXPECT_EQ(vob.sheet(), world.megaVobSheet);
    EXPECT_EQ(vob.cellWidth(), 23);
    EXPECT_EQ(vob.cellHeight(), 24);
    EXPECT_EQ(vob.x(), 99);
    EXPECT_EQ(vob.y(), 120);
    EXPECT_EQ(vob.direction(), directionLeft);
    EXPECT_EQ(vob.column(), 3);
    EXPECT_EQ(vob.row(), 1);
}

TEST_F(EntityTest, DirectionsOutsideOneToEightMeanStill)
{
    Entity vob(world.vobSheet, directionalAnimation, world.size);
    Entity whirl(world.whirlSheet, cyclicAnimation, world.size);
    whirl.setFrame(4);
    for (int32_t bad : {9, 0, -1}) {
        vob.setDirection(directionDownRight);
        vob.setDirection(bad);
        EXPECT_EQ(vob.direction(), 0) << bad;
        EXPECT_EQ(vob.column(), 1) << bad;
        whirl.setDirection(bad);
        EXPECT_EQ(whirl.direction(), 0);
        EXPECT_EQ(whirl.column(), 4) << "a cyclic entity's column is its animation";
    }
    for (int32_t d = 1; d <= 8; ++d) {
        vob.setDirection(d);
        EXPECT_EQ(vob.column(), d);
        whirl.setDirection(d);
        EXPECT_EQ(whirl.direction(), d);
        EXPECT_EQ(whirl.column(), 4);
    }
}

TEST_F(EntityTest, StrengthCapClampsOnlyWhenSet)
{
    Entity e(world.foodSheet, cyclicAnimation, world.size);
    e.setStrength(2000000000);
    e.addStrength(100000000);
    EXPECT_EQ(e.strength(), 2100000000) << "cap 0 never clamps";
    e.setStrength(81);
    e.setStrengthCap(82);
    e.addStrength(5);
    EXPECT_EQ(e.strength(), 82);
    e.addStrength(-500);
    EXPECT_EQ(e.strength(), -418) << "there is no lower bound";
}

TEST_F(EntityTest, SteerHoldCountsDownAsItIsTaken)
{
    Entity vob(world.vobSheet, directionalAnimation, world.size);
    EXPECT_EQ(vob.takeSteerHold(), 0);
    EXPECT_EQ(vob.steerHold(), 0);
    vob.setSteerHold(80);
    EXPECT_EQ(vob.takeSteerHold(), 80);
    EXPECT_EQ(vob.steerHold(), 79);
    vob.setSteerHold(1);
    EXPECT_EQ(vob.takeSteerHold(), 1);
    EXPECT_EQ(vob.takeSteerHold(), 0);
}

// A sheet whose bitmap could not be loaded (set-up reports it) or no sheet
// at all: the world goes on and draws nothing for it.
TEST_F(EntityTest, ASheetWithoutAPictureOrNoSheetDrawsNothing)
{
    const Sheet missing{4242, 15, 15, 8, 3};  // no such bitmap in the art
    Entity e(&missing, cyclicAnimation, world.size);
    EXPECT_EQ(e.cellWidth(), 15);
    drawEntity(world, e);

    Entity none(nullptr, directionalAnimation, world.size);
    EXPECT_EQ(none.cellWidth(), 0);
    drawEntity(world, none);
    EXPECT_EQ(0, litPixels(testDisplay.backSurface, PixelRect{0, 0, 800, 600}));
}
