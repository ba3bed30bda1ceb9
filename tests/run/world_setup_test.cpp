// World set-up: what it builds, how many, with which draws, and how the user
// cuts it short; tear-down; a world whose bitmaps are missing.
#include <gtest/gtest.h>

#include <string>

#include "render/display.h"
#include "render/glyph_font.h"
#include "tests/render/test_display.h"
#include "render/sprite_sheet.h"
#include "run/frame_driver.h"
#include "run/world_setup.h"
#include "sim/entity.h"
#include "sim/entity_list.h"
#include "sim/random.h"
#include "sim/world.h"
#include "tests/render/test_bitmaps.h"
#include "tests/run/run_world.h"

namespace {

using WorldSetUp = RunWorldTest;

void expectSheetSize(const SpriteSheet* sheet, int32_t width, int32_t height, const char* name)
{
    ASSERT_NE(nullptr, sheet) << name;
    EXPECT_NE(nullptr, sheet->surface()) << name;
    EXPECT_EQ(width, sheet->width()) << name;
    EXPECT_EQ(height, sheet->height()) << name;
}

TEST_F(WorldSetUp, LoadsEachSheetFromItsOwnBitmapAndBuildsListsAndFonts)
{
    ASSERT_EQ(worldComplete, buildWorld());
    expectSheetSize(world.art->picture(cloudBitmap), 87, 66, "cloud");
    expectSheetSize(world.art->picture(world.vobSheet->bitmapId), 129, 49, "vob");
    expectSheetSize(world.art->picture(world.weakVobSheet->bitmapId), 129, 49, "weak vob");
    expectSheetSize(world.art->picture(world.megaVobSheet->bitmapId), 194, 76, "mega vob");
    expectSheetSize(world.art->picture(world.remainsSheet->bitmapId), 169, 139, "remains");
    expectSheetSize(world.art->picture(world.foodSheet->bitmapId), 41, 9, "food");
    expectSheetSize(world.art->picture(world.whirlSheet->bitmapId), 226, 181, "whirl");
    EXPECT_NE(world.vobSheet, world.weakVobSheet);

    ASSERT_NE(nullptr, world.foodList);
    ASSERT_NE(nullptr, world.remainsList);
    EXPECT_EQ(0, world.foodList->population());
    EXPECT_EQ(0, world.remainsList->population());
    ASSERT_NE(nullptr, world.art->overlayFont);
    ASSERT_NE(nullptr, world.art->vitalsFont);
    EXPECT_NE(nullptr, world.art->overlayFont->font());
    EXPECT_GT(world.art->vitalsFont->cellHeight(), 0);
    EXPECT_TRUE(missingWorldParts(world).empty());
}

TEST_F(WorldSetUp, DefaultFoundersStartAtTheCentreWithStrengthsOfTheMiddleSheet)
{
    ASSERT_EQ(worldComplete, buildWorld());
    ASSERT_EQ(10, world.vobList->population());
    EXPECT_EQ(10, world.vobList->history());
    EXPECT_EQ(10, world.vobList->peak());
    for (EntityNode* node = world.vobList->head(); node != nullptr; node = node->next) {
        const Entity* vob = node->entity;
        EXPECT_GE(vob->strength(), 101);
        EXPECT_LE(vob->strength(), 1300);
        EXPECT_EQ(world.vobSheet, vob->sheet());
        EXPECT_EQ(directionalAnimation, vob->animMode());
        EXPECT_EQ(393, vob->x());
        EXPECT_EQ(293, vob->y());
    }
}

TEST_F(WorldSetUp, FounderCountFollowsInitialVobsCappedByMaxEntities)
{
    struct Case {
        int32_t initialVobs;
        int32_t maxEntities;
        int32_t expected;
    };
    for (Case c :
         {Case{0, 5000, 0}, Case{10, 4, 4}, Case{10, 0, 0}, Case{10, -3, 0}, Case{3, 3, 3}}) {
        ASSERT_EQ(worldComplete, buildWorld([&](OptionsRecord& o) {
                      o.initialVobs = c.initialVobs;
                      o.maxEntities = c.maxEntities;
                  }));
        EXPECT_EQ(c.expected, world.vobList->population())
            << "initialVobs " << c.initialVobs << ", maxEntities " << c.maxEntities;
        EXPECT_EQ(2, world.whirlList->population()) << "whirls are built whatever the Vobs";
    }
}

TEST_F(WorldSetUp, WhirlsAreNotCappedByTheEntityLimit)
{
    ASSERT_EQ(worldComplete, buildWorld([](OptionsRecord& o) {
                  o.whirlCount = 7;
                  o.maxEntities = 2;
              }));
    EXPECT_EQ(7, world.whirlList->population());
    EXPECT_EQ(2, world.vobList->population());

    ASSERT_EQ(worldComplete, buildWorld([](OptionsRecord& o) { o.whirlCount = 0; }));
    EXPECT_EQ(0, world.whirlList->population());
}

// A hand-edited record once asked for 1.4 billion whirls and took the
// memory of the machine; counts beyond what the pages store are clamped.
TEST_F(WorldSetUp, CountsBeyondWhatThePagesStoreAreTakenAsTheLargestStorable)
{
    ASSERT_EQ(worldComplete, buildWorld([](OptionsRecord& o) {
                  o.initialVobs = INT32_MAX;
                  o.maxEntities = INT32_MAX;
                  o.whirlCount = 1400000000;
              }));
    EXPECT_EQ(largestStoredCount, world.vobList->population());
    EXPECT_EQ(largestStoredCount, world.whirlList->population());

    // The largest storable counts themselves are built in full.
    ASSERT_EQ(worldComplete, buildWorld([](OptionsRecord& o) {
                  o.initialVobs = largestStoredCount - 1;
                  o.whirlCount = largestStoredCount;
              }));
    EXPECT_EQ(largestStoredCount - 1, world.vobList->population());
    EXPECT_EQ(largestStoredCount, world.whirlList->population());
}

TEST_F(WorldSetUp, BirthStrengthOneAndZeroGiveFixedStrengthsAndTheirSheets)
{
    ASSERT_EQ(worldComplete, buildWorld([](OptionsRecord& o) { o.birthStrength = 1; }));
    expectEveryVob(101, world.vobSheet);

    ASSERT_EQ(worldComplete, buildWorld([](OptionsRecord& o) { o.birthStrength = 0; }));
    expectEveryVob(100, world.weakVobSheet);

    // At or above the mega level a founder is born mega.
    ASSERT_EQ(worldComplete, buildWorld([](OptionsRecord& o) {
                  o.birthStrength = 1;
                  o.megaLevel = 101;
              }));
    expectEveryVob(101, world.megaVobSheet);
    EXPECT_EQ(23, world.vobList->last()->cellWidth()) << "adopting re-measures the cells";
}

TEST_F(WorldSetUp, WhirlsStartReadyToSpinAtTheirOwnCell)
{
    ASSERT_EQ(worldComplete, buildWorld([](OptionsRecord& o) { o.whirlCount = 40; }));
    bool differentStarts = false;
    for (EntityNode* node = world.whirlList->head(); node != nullptr; node = node->next) {
        const Entity* whirl = node->entity;
        EXPECT_EQ(world.whirlSheet, whirl->sheet());
        EXPECT_EQ(cyclicAnimation, whirl->animMode());
        EXPECT_EQ(whirl->x(), whirl->depositX());
        EXPECT_EQ(whirl->y(), whirl->depositY());
        EXPECT_EQ(0, whirl->frameDelay());
        EXPECT_EQ(3, whirl->speed());
        EXPECT_GE(whirl->column(), 0);
        EXPECT_LE(whirl->column(), 19);
        EXPECT_EQ(0, whirl->row());
        differentStarts =
            differentStarts || whirl->column() != world.whirlList->head()->entity->column();
    }
    EXPECT_TRUE(differentStarts);
}

// One draw per founder and one per whirl, nothing else: a replay depends on it.
TEST_F(WorldSetUp, MakesExactlyOneDrawPerVobAndPerWhirl)
{
    seedRandom(world.random, 12345);
    for (int i = 0; i < 10 + 3; ++i)
        nextRandom(world.random);
    uint32_t expected = randomState(world.random);

    world.liveOptions.whirlCount = 3;
    seedRandom(world.random, 12345);
    ASSERT_EQ(worldComplete, setUpWorld(world, &testDisplay));
    EXPECT_EQ(expected, randomState(world.random));
}

TEST_F(WorldSetUp, ShowsItsProgressOnTheVisibleSurface)
{
    ASSERT_EQ(worldComplete, buildWorld());
    EXPECT_GT(litPixels(testDisplay.primarySurface, PixelRect{10, 10, 200, 24}), 20);
    EXPECT_EQ(0, litPixels(testDisplay.backSurface, runtest::wholeScreen()));
}

// The counter is drawn only as often as a screen shows it, but it always
// ends on the last count offered: the last whirl built, or the entity in
// progress when the user stopped it.
TEST_F(WorldSetUp, TheCounterEndsOnTheLastEntityBuilt)
{
    struct Case {
        int32_t whirls;
        bool escape;
        int32_t shown;
    };
    const Case cases[] = {{5000, false, 4999}, {1, false, 0}, {5000, true, 0}};
    for (const Case& c : cases) {
        setKeyState(1, c.escape);
        int32_t result = buildWorld([&](OptionsRecord& o) {
            o.initialVobs = 0;
            o.whirlCount = c.whirls;
        });
        EXPECT_EQ(c.escape ? worldInterrupted : worldComplete, result);
        Surface* expected = runtest::blankScreen();
        Font* font = world.art->overlayFont->font();
        drawGdiText(expected, "generating whirls", 10, 10, font, textColour, opaqueBackground);
        drawGdiText(expected, "                 ", 10, 25, font, textColour, opaqueBackground);
        drawGdiNumber(expected, c.shown, 10, 25, font, textColour, opaqueBackground);
        // Only the number's own width: a wider number drawn before it may
        // leave a column to its right, as it always has.
        PixelRect counter{10, 25, 10, 40};
        for (int32_t x = 10; x < 200; ++x)
            if (litPixels(expected, PixelRect{x, 25, x + 1, 40}) > 0)
                counter.right = x + 1;
        EXPECT_GT(litPixels(expected, counter), 5);
        EXPECT_EQ(0, differingPixels(expected, testDisplay.primarySurface, counter))
            << c.whirls << " whirls, escape " << c.escape;
        releaseSurface(expected);
    }
}

TEST_F(WorldSetUp, EscapeStopsItRightAfterTheEntityInProgress)
{
    setKeyState(1, true);
    ASSERT_EQ(worldInterrupted, buildWorld());
    EXPECT_EQ(1, world.vobList->population());
    EXPECT_EQ(0, world.whirlList->population());

    // Without founders, the first whirl is the entity in progress.
    ASSERT_EQ(worldInterrupted, buildWorld([](OptionsRecord& o) { o.initialVobs = 0; }));
    EXPECT_EQ(0, world.vobList->population());
    EXPECT_EQ(1, world.whirlList->population());
}

TEST_F(WorldSetUp, AnotherAttemptAfterAnInterruptionStartsFromNothing)
{
    setKeyState(1, true);
    ASSERT_EQ(worldInterrupted, buildWorld());
    setKeyState(1, false);
    ASSERT_EQ(worldComplete, setUpWorld(world, &testDisplay));
    EXPECT_EQ(10, world.vobList->population());
    EXPECT_EQ(10, world.vobList->history());
    EXPECT_EQ(2, world.whirlList->population());
}

TEST_F(WorldSetUp, TearDownReleasesEverythingAndMayBeRepeated)
{
    ASSERT_EQ(worldComplete, buildWorld());
    tearDownWorld(world);
    const void* const released[] = {world.vobList, world.whirlList, world.foodList,
                                    world.remainsList, world.art.get()};
    for (const void* p : released)
        EXPECT_EQ(nullptr, p);
    EXPECT_EQ(&testDisplay, world.display) << "the display is the host's";
    tearDownWorld(world);
    EXPECT_EQ(nullptr, world.vobList);
}

// A broken installation: every bitmap missing. Set-up names each one, and
// frames run without drawing the missing sheets instead of crashing.
TEST_F(WorldSetUp, MissingBitmapsAreNamedAndNothingCrashes)
{
    testbitmaps::ResourceFolder empty;
    ASSERT_TRUE(empty.ok());
    int32_t result = buildWorld();
    empty.restore();

    EXPECT_EQ(worldComplete, result);
    std::vector<std::string> missing = missingWorldParts(world);
    ASSERT_EQ(7u, missing.size());
    const char* ids[] = {"116", "107", "106", "113", "112", "110", "111"};
    for (size_t i = 0; i < 7; ++i)
        EXPECT_NE(std::string::npos, missing[i].find(std::string("bitmap ") + ids[i]))
            << missing[i];
    // Nothing to draw them from, but the rules size everything by the
    // description: the world runs on, and the host reports what is missing.

    for (int i = 0; i < 300; ++i)
        runFrame(world);
    EXPECT_EQ(300, flipCount(testDisplay));
}

}  // namespace
