// One frame: the clear, the cloud and its figures, the F12 strength reset,
// and a flip that fails.
#include <gtest/gtest.h>

#include "render/display.h"
#include "render/glyph_font.h"
#include "tests/render/test_display.h"
#include "render/sprite_sheet.h"
#include "run/frame_driver.h"
#include "run/world_setup.h"
#include "sim/entity.h"
#include "sim/entity_list.h"
#include "sim/world.h"
#include "tests/run/run_world.h"

namespace {

using FrameDriver = RunWorldTest;

// The cloud's corner; the Vobs and whirls of the first frames stay near the
// centre, well away from it.
const PixelRect cloudCorner = {0, 0, 140, 90};

Surface* expectedCloud(const World& world, int32_t history, int32_t peak, int32_t population)
{
    Surface* expected = runtest::blankScreen();
    blitSprite(world.art->picture(cloudBitmap), expected, 0, 5, 1);
    world.art->overlayFont->drawText(expected, "History: ", 15, 15, 1);
    world.art->overlayFont->drawNumber(expected, history, 50, 15, 1);
    world.art->overlayFont->drawText(expected, "Peak:    ", 15, 30, 1);
    world.art->overlayFont->drawNumber(expected, peak, 50, 30, 1);
    world.art->overlayFont->drawText(expected, "Spawns:  ", 15, 45, 1);
    world.art->overlayFont->drawNumber(expected, population, 50, 45, 1);
    return expected;
}

TEST_F(FrameDriver, CloudShowsHistoryPeakAndPopulation)
{
    // Three different figures: history 8, peak 7, population 6.
    ASSERT_EQ(worldComplete, buildWorld([](OptionsRecord& o) { o.initialVobs = 7; }));
    world.vobList->remove(world.vobList->head());
    world.vobList->append(
        makeInWorld<Entity>(world.memory, world.vobSheet, directionalAnimation, world.size));
    world.vobList->last()->setStrength(500);
    world.vobList->head()->entity->setStrength(-1000);  // dies this frame
    runFrames(1);
    ASSERT_EQ(6, world.vobList->population());
    ASSERT_EQ(7, world.vobList->peak());
    ASSERT_EQ(8, world.vobList->history());

    Surface* expected = expectedCloud(world, 8, 7, 6);
    EXPECT_EQ(0, differingPixels(expected, testDisplay.primarySurface, cloudCorner));
    releaseSurface(expected);
    for (auto wrong : {expectedCloud(world, 7, 8, 6), expectedCloud(world, 8, 6, 7),
                       expectedCloud(world, 6, 7, 8)}) {
        EXPECT_GT(differingPixels(wrong, testDisplay.primarySurface, cloudCorner), 0)
            << "the figures are what tells these apart";
        releaseSurface(wrong);
    }
}

TEST_F(FrameDriver, CloudOffDrawsNeitherCloudNorFiguresButTheWorldStillShows)
{
    ASSERT_EQ(worldComplete, buildWorld([](OptionsRecord& o) { o.showCloud = 0; }));
    runFrames(1);
    EXPECT_EQ(0, litPixels(testDisplay.primarySurface, cloudCorner));
    EXPECT_GT(litPixels(testDisplay.primarySurface, PixelRect{300, 200, 500, 400}), 0);

    world.liveOptions.showCloud = 1;  // read afresh every frame
    runFrames(1);
    EXPECT_GT(litPixels(testDisplay.primarySurface, cloudCorner), 100);
}

TEST_F(FrameDriver, EachFrameStartsFromABlackBackBuffer)
{
    buildEmptyWorld(0);
    fillSurface(testDisplay.backSurface, 0xFFFF);
    runFrames(1);
    EXPECT_EQ(0, litPixels(testDisplay.primarySurface, runtest::wholeScreen()));
}

TEST_F(FrameDriver, StrengthResetWithGreenLevelAtLeast50MakesEveryVobWeak)
{
    ASSERT_EQ(worldComplete, buildWorld([](OptionsRecord& o) { o.greenLevel = 50; }));
    world.strengthResetRequested = 1;
    runFrames(1);
    EXPECT_EQ(0, world.strengthResetRequested) << "the request is used up";
    ASSERT_EQ(10, world.vobList->population());
    expectEveryVob(50, world.weakVobSheet);
}

TEST_F(FrameDriver, StrengthResetWithGreenLevelBelow50KeepsEverySheet)
{
    ASSERT_EQ(worldComplete, buildWorld([](OptionsRecord& o) { o.greenLevel = 49; }));
    Entity* mega = world.vobList->head()->entity;
    mega->setStrength(2000);
    mega->adoptSheet(world.megaVobSheet);
    world.strengthResetRequested = 1;
    runFrames(1);
    for (EntityNode* node = world.vobList->head(); node != nullptr; node = node->next) {
        EXPECT_EQ(50, node->entity->strength());
        EXPECT_EQ(node->entity == mega ? world.megaVobSheet : world.vobSheet,
                  node->entity->sheet());
    }
}

TEST_F(FrameDriver, WithoutARequestStrengthsFollowTheRules)
{
    ASSERT_EQ(worldComplete, buildWorld());
    runFrames(1);
    bool anyOther = false;
    for (EntityNode* node = world.vobList->head(); node != nullptr; node = node->next)
        anyOther = anyOther || node->entity->strength() != 50;
    EXPECT_TRUE(anyOther);
}

TEST_F(FrameDriver, AFailingFlipIsRetriedThenTheFrameIsDropped)
{
    buildEmptyWorld(0);
    failNextFlips(flipAttempts - 1);
    runFrames(1);
    EXPECT_EQ(1, flipCount(testDisplay)) << "the last allowed retry succeeds";

    failNextFlips(1000000);
    runFrames(1);  // returns instead of spinning on a flip that never works
    EXPECT_EQ(1, flipCount(testDisplay));

    failNextFlips(0);
    runFrames(1);
    EXPECT_EQ(2, flipCount(testDisplay)) << "the next frame flips again";
}

TEST_F(FrameDriver, WithoutAWorldAFrameOnlyClearsAndFlips)
{
    world.display = &testDisplay;  // as a world torn down by running out of memory keeps it
    runFrames(1);
    EXPECT_EQ(1, flipCount(testDisplay));
    EXPECT_EQ(0, litPixels(testDisplay.primarySurface, runtest::wholeScreen()));
}

}  // namespace
