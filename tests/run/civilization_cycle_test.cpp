// The civilization cycle: the countdown after the last Vob has died, the
// birth of a new population, and the user cutting that birth short.
#include <gtest/gtest.h>

#include "render/display.h"
#include "render/glyph_font.h"
#include "tests/render/test_display.h"
#include "run/frame_driver.h"
#include "run/world_setup.h"
#include "sim/entity.h"
#include "sim/entity_list.h"
#include "sim/world.h"
#include "tests/run/run_world.h"

namespace {

using CivilizationCycle = RunWorldTest;

constexpr int32_t escapeKey = 1;

// What an extinct frame must show: the message and the countdown, and
// nothing else in a world without whirls or cloud.
Surface* expectedCountdownFrame(const World& world, int32_t countdown)
{
    Surface* expected = runtest::blankScreen();
    drawGdiText(expected, "your civlization died, T-1 to birth of new civilization", 320, 300,
                world.art->overlayFont->font(), textColour, transparentBackground);
    drawGdiNumber(expected, countdown, 320, 315, world.art->overlayFont->font(), textColour,
                  transparentBackground);
    return expected;
}

TEST_F(CivilizationCycle, FirstExtinctFrameShowsTheMessageAnd199)
{
    buildEmptyWorld(10);
    runFrames(1);
    EXPECT_EQ(199, world.rebirthCountdown);

    Surface* expected = expectedCountdownFrame(world, 199);
    EXPECT_GT(litPixels(expected, runtest::wholeScreen()), 100) << "the text was drawn";
    EXPECT_EQ(0, differingPixels(expected, testDisplay.primarySurface, runtest::wholeScreen()));
    releaseSurface(expected);
}

TEST_F(CivilizationCycle, TheTwoHundredthExtinctFrameShows0AndBearsTheFounders)
{
    ASSERT_EQ(worldComplete, buildWorld([](OptionsRecord& o) {
                  o.whirlCount = 0;
                  o.showCloud = 0;
              }));
    doomAllVobs();
    world.liveOptions.initialVobs = 6;
    runFrames(1);  // the founders die; their remains are drawn from now on
    ASSERT_EQ(0, world.vobList->population());
    ASSERT_EQ(10, world.vobList->history());
    EXPECT_EQ(rebirthFrames - 1, world.rebirthCountdown)
        << "the frame of the deaths already counts";

    runFrames(198);
    EXPECT_EQ(1, world.rebirthCountdown);
    EXPECT_EQ(0, world.vobList->population());

    runFrames(1);
    EXPECT_EQ(rebirthFrames, world.rebirthCountdown);
    EXPECT_EQ(6, world.vobList->population());
    EXPECT_EQ(6, world.vobList->history()) << "the counts start again with the new civilization";
    EXPECT_EQ(6, world.vobList->peak());
    for (EntityNode* node = world.vobList->head(); node != nullptr; node = node->next) {
        EXPECT_EQ(393, node->entity->x()) << "not advanced before the next frame";
        EXPECT_GE(node->entity->strength(), 101);
        EXPECT_LE(node->entity->strength(), 1300);
    }
    EXPECT_EQ(200, flipCount(testDisplay));
}

TEST_F(CivilizationCycle, NoFoundersConfiguredKeepsAnEmptyWorldSilent)
{
    buildEmptyWorld(0);
    runFrames(300);
    EXPECT_EQ(rebirthFrames, world.rebirthCountdown);
    EXPECT_EQ(0, world.vobList->population());
    EXPECT_EQ(0, litPixels(testDisplay.primarySurface, runtest::wholeScreen()));
    EXPECT_EQ(300, flipCount(testDisplay));
}

TEST_F(CivilizationCycle, RebirthStopsAtTheEntityLimit)
{
    buildEmptyWorld(10);
    world.liveOptions.maxEntities = 4;
    runFrames(rebirthFrames);
    EXPECT_EQ(4, world.vobList->population());
    EXPECT_EQ(rebirthFrames, world.rebirthCountdown);

    // A limit of 0 bears nobody; the countdown simply starts over.
    doomAllVobs();
    world.liveOptions.maxEntities = 0;
    runFrames(rebirthFrames);
    EXPECT_EQ(0, world.vobList->population());
    EXPECT_EQ(rebirthFrames, world.rebirthCountdown);
}

TEST_F(CivilizationCycle, RebirthBearsAtMostTheLargestStorableCount)
{
    buildEmptyWorld(INT32_MAX);
    world.liveOptions.maxEntities = INT32_MAX;
    runFrames(rebirthFrames);
    EXPECT_EQ(largestStoredCount, world.vobList->population());
}

TEST_F(CivilizationCycle, BirthStrengthOneAndZeroGiveFixedStrengthsAndTheirSheets)
{
    buildEmptyWorld(6);
    world.liveOptions.birthStrength = 1;
    runFrames(rebirthFrames);
    ASSERT_EQ(6, world.vobList->population());
    expectEveryVob(101, world.vobSheet);

    doomAllVobs();
    world.liveOptions.birthStrength = 0;
    runFrames(rebirthFrames);
    ASSERT_EQ(6, world.vobList->population());
    expectEveryVob(100, world.weakVobSheet);
}

TEST_F(CivilizationCycle, EscapeDuringRebirthKeepsOneVobSkipsTheFlipAndRearms)
{
    buildEmptyWorld(10);
    runFrames(rebirthFrames - 1);
    int32_t flips = flipCount(testDisplay);

    setKeyState(escapeKey, true);
    EXPECT_EQ(rebirthInterrupted, runFrame(world));
    EXPECT_EQ(1, world.vobList->population());
    EXPECT_EQ(1, world.vobList->history());
    EXPECT_EQ(1, world.vobList->peak());
    EXPECT_EQ(flips, flipCount(testDisplay)) << "an interrupted frame is not shown";
    EXPECT_EQ(rebirthFrames, world.rebirthCountdown);

    // The world goes on; when that one Vob dies the next cycle counts from
    // the top again instead of running below 0 for good.
    setKeyState(escapeKey, false);
    doomAllVobs();
    runFrames(1);
    EXPECT_EQ(0, world.vobList->population());
    EXPECT_EQ(rebirthFrames - 1, world.rebirthCountdown);
    runFrames(rebirthFrames - 1);
    EXPECT_EQ(10, world.vobList->population());
}

TEST_F(CivilizationCycle, MouseLeftOrUpOrAFourthButtonDoesNotStopARebirth)
{
    buildEmptyWorld(10);
    runFrames(rebirthFrames - 1);
    setMouseMotion(-500, -500, 0);
    setMouseButton(3, true);
    EXPECT_EQ(frameDone, runFrame(world));
    EXPECT_EQ(10, world.vobList->population());
}

TEST_F(CivilizationCycle, AnUnreadableKeyboardAndMouseCountAsNoInput)
{
    buildEmptyWorld(10);
    runFrames(rebirthFrames - 1);
    setKeyState(escapeKey, true);
    setInputReadable(false);
    EXPECT_EQ(frameDone, runFrame(world));
    EXPECT_EQ(10, world.vobList->population());
}

// The poll shared by set-up and rebirth, case by case.
TEST_F(CivilizationCycle, ThePollFiresOnEscapeButtonsAndTravelRightOrDownBeyondFive)
{
    EXPECT_FALSE(userInterrupted()) << "nothing pressed";

    struct Motion {
        int32_t x;
        int32_t y;
        bool fires;
    };
    for (Motion m : {Motion{5, 5, false}, Motion{6, 0, true}, Motion{0, 6, true},
                     Motion{-1000, 0, false}, Motion{0, -1000, false}, Motion{-9, 6, true}}) {
        setMouseMotion(m.x, m.y, 0);
        EXPECT_EQ(m.fires, userInterrupted()) << "motion " << m.x << ", " << m.y;
    }
    setMouseMotion(0, 0, 900);
    EXPECT_FALSE(userInterrupted()) << "the wheel does not count";

    for (int32_t button = 0; button < 4; ++button) {
        setMouseButton(button, true);
        EXPECT_EQ(button < 3, userInterrupted()) << "button " << button;
        setMouseButton(button, false);
    }

    setKeyState(escapeKey, true);
    EXPECT_TRUE(userInterrupted());
    setKeyState(escapeKey, false);
    setKeyState(28, true);  // Enter is not a way out of a long loop
    EXPECT_FALSE(userInterrupted());
}

}  // namespace
