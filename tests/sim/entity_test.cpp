#include <gtest/gtest.h>

#include "tests/render/test_display.h"
#include "render/sprite_sheet.h"
#include "sim/entity.h"
#include "sim/world.h"
#include "tests/sim/sim_world.h"

using EntityTest = SimWorld;

namespace {

// The cell grids of the world's sheets; the test's own drawings copy them.
const struct {
    int32_t bitmapId, cellWidth, cellHeight, columns, rows;
} worldGrids[] = {
    {107, 15, 15, 8, 3}, {106, 15, 15, 8, 3}, {113, 23, 24, 8, 3},
    {111, 44, 44, 5, 4}, {112, 23, 22, 7, 6}, {110, 7, 7, 5, 1},
};

// Measures every world sheet as the resources at hand draw it.
void expectWorldGridsMeasured()
{
    for (const auto& g : worldGrids) {
        SCOPED_TRACE(g.bitmapId);
        SpriteSheet sheet(g.bitmapId);
        ASSERT_NE(sheet.surface(), nullptr);
        Entity e(&sheet, cyclicAnimation, WorldSize{800, 600});
        EXPECT_EQ(e.cellWidth(), g.cellWidth);
        EXPECT_EQ(e.cellHeight(), g.cellHeight);
        EXPECT_EQ(e.columns(), g.columns);
        EXPECT_EQ(e.rows(), g.rows);
    }
    EXPECT_FALSE(quitRequested());
}

}  // namespace

TEST_F(EntityTest, MeasuresTheCellGridOfEveryWorldSheet)
{
    expectWorldGridsMeasured();
    EXPECT_EQ(SpriteSheet(113).width(), 194);  // the spare column does not add a cell
}

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

TEST_F(EntityTest, UnreadableSheetEndsTheRunWithoutCrashing)
{
    SpriteSheet missing(4242);  // no such bitmap: no surface
    ASSERT_EQ(missing.surface(), nullptr);
    Entity e(&missing, cyclicAnimation, world.size);
    EXPECT_TRUE(quitRequested());
    EXPECT_EQ(e.cellWidth(), 0);
    e.draw(testDisplay.backSurface, fullCellSize, fullCellSize);  // nothing to draw, nothing breaks
    clearQuitRequest();

    Entity none(nullptr, directionalAnimation, world.size);
    EXPECT_TRUE(quitRequested());
    none.draw(testDisplay.backSurface, fullCellSize, fullCellSize);
}

TEST_F(EntityTest, OwnedSheetIsMeasuredAndSurvivesBeingAdoptedAgain)
{
    Entity* own = Entity::withOwnSheet(107, directionalAnimation, world.size);
    EXPECT_EQ(own->sheetShared(), 0);
    EXPECT_EQ(own->cellWidth(), 15);
    SpriteSheet* sheet = own->sheet();
    own->adoptSheet(sheet);  // must not free the sheet it is about to use
    EXPECT_EQ(own->sheetShared(), 0);
    ASSERT_NE(own->sheet()->surface(), nullptr);
    EXPECT_EQ(own->columns(), 8);

    own->adoptSheet(world.vobSheet);  // releases its own, borrows the world's
    EXPECT_EQ(own->sheetShared(), 1);
    delete own;
    EXPECT_NE(world.vobSheet->surface(), nullptr) << "a borrowed sheet outlives its entity";
}

TEST(ProgramSheets, MeasureAsTheirGridsSay)
{
    // The artwork of the program itself, as the backend finds it.
    ASSERT_TRUE(openHeadlessDisplay(testDisplay, 800, 600, 16));
    expectWorldGridsMeasured();
    closeHeadlessDisplay(testDisplay);
}
