// Two worlds in one process share nothing: advanced in turn, each goes
// frame for frame as it goes alone (its generator, its lists, its food
// index, its run state and its memory account are its own). Only the art
// may be shared: worlds that borrow one load of it go and draw as worlds
// with their own, and leave it whole.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "run/frame_driver.h"
#include "run/function_keys.h"
#include "run/world_setup.h"
#include "sim/entity.h"
#include "sim/entity_list.h"
#include "sim/random.h"
#include "sim/world.h"
#include "tests/render/test_display.h"
#include "tests/sim/surface_probe.h"

namespace {

constexpr int32_t framesToRun = 420;  // past the whirls' warm-up: food laid and eaten
constexpr int32_t strengthResetFrame = 60;

struct WorldCase {
    int32_t preset;
    uint32_t seed;
    bool pressesF12;  // only this world's Vobs are reset
};

// Everything the rules leave behind that a shared part would disturb.
std::string figures(const World& world)
{
    std::string line = std::to_string(randomState(world.random)) + " " +
                       std::to_string(world.rebirthCountdown) + " " + std::to_string(world.frames) +
                       " " + std::to_string(world.memory.inUse);
    for (const EntityList* list :
         {world.foodList, world.vobList, world.remainsList, world.whirlList}) {
        int64_t strength = 0, x = 0, y = 0;
        for (const EntityNode* node = list->head(); node != nullptr; node = node->next) {
            strength += node->entity->strength();
            x += node->entity->x();
            y += node->entity->y();
        }
        for (int64_t value : {int64_t{list->population()}, int64_t{list->history()},
                              int64_t{list->peak()}, strength, x, y})
            line += " " + std::to_string(value);
    }
    return line;
}

// With its own art, or with `art`'s lent to it.
void buildWorld(World& world, const WorldCase& c, const World* art = nullptr)
{
    world.liveOptions = presetAlgorithms[c.preset];
    seedRandom(world.random, c.seed);
    ASSERT_EQ(worldComplete, art != nullptr ? setUpWorldBorrowingArt(world, &testDisplay, *art)
                                            : setUpWorld(world, &testDisplay));
}

void advance(World& world, const WorldCase& c, int32_t frame, std::vector<std::string>& trace)
{
    if (c.pressesF12 && frame == strengthResetFrame)
        pressFunctionKey(world, FunctionKey::f12);
    ASSERT_EQ(frameDone, runFrame(world)) << "frame " << frame;
    trace.push_back(figures(world));
}

// `lastFrame`, when given, gets a copy of the screen after the last frame.
std::vector<std::string> runAlone(const WorldCase& c, Surface** lastFrame = nullptr)
{
    std::vector<std::string> trace;
    World world;
    buildWorld(world, c);
    for (int32_t frame = 0; frame < framesToRun; ++frame)
        advance(world, c, frame, trace);
    if (lastFrame != nullptr) {
        *lastFrame = createSurface(testDisplay.width, testDisplay.height);
        const PixelRect whole = {0, 0, testDisplay.width, testDisplay.height};
        blitSurface(*lastFrame, whole, testDisplay.primarySurface, nullptr, false);
    }
    tearDownWorld(world);
    return trace;
}

TEST(TwoWorlds, EachAdvancedInTurnWithTheOtherGoesAsItGoesAlone)
{
    ASSERT_TRUE(openHeadlessDisplay(testDisplay, 800, 600, 16));
    const WorldCase first = {2, 7, true};
    const WorldCase second = {5, 11, false};
    const std::vector<std::string> firstAlone = runAlone(first);
    const std::vector<std::string> secondAlone = runAlone(second);

    std::vector<std::string> firstTogether, secondTogether;
    {
        World a, b;
        // The second is built while the first stands ready: set-up too must
        // leave the other alone.
        buildWorld(a, first);
        buildWorld(b, second);
        for (int32_t frame = 0; frame < framesToRun; ++frame) {
            advance(a, first, frame, firstTogether);
            advance(b, second, frame, secondTogether);
        }
        tearDownWorld(a);
        EXPECT_EQ(0u, a.memory.inUse);
        EXPECT_NE(0u, b.memory.inUse) << "ending one world leaves the other's memory";
    }
    closeHeadlessDisplay(testDisplay);

    ASSERT_EQ(firstAlone.size(), firstTogether.size());
    ASSERT_EQ(secondAlone.size(), secondTogether.size());
    for (size_t i = 0; i < firstAlone.size(); ++i) {
        ASSERT_EQ(firstAlone[i], firstTogether[i]) << "the first world parts at frame " << i;
        ASSERT_EQ(secondAlone[i], secondTogether[i]) << "the second world parts at frame " << i;
    }
    // Worlds that ran the same would hide a shared part.
    EXPECT_NE(firstAlone.back(), secondAlone.back());
}

TEST(TwoWorlds, WorldsBorrowingOneLoadOfArtGoAndDrawAsWorldsWithTheirOwn)
{
    ASSERT_TRUE(openHeadlessDisplay(testDisplay, 800, 600, 16));
    const WorldCase first = {2, 7, true};
    const WorldCase second = {5, 11, false};
    const std::vector<std::string> firstAlone = runAlone(first);
    Surface* secondAloneScreen = nullptr;
    const std::vector<std::string> secondAlone = runAlone(second, &secondAloneScreen);

    World art;
    loadWorldArt(art);
    ASSERT_TRUE(missingWorldParts(art).empty());
    std::vector<std::string> firstBorrowing, secondBorrowing;
    {
        World a, b;
        buildWorld(a, first, &art);
        buildWorld(b, second, &art);
        EXPECT_TRUE(a.art == art.art && b.art == art.art) << "both borrow the one load";
        for (int32_t frame = 0; frame < framesToRun; ++frame) {
            advance(a, first, frame, firstBorrowing);
            advance(b, second, frame, secondBorrowing);
        }
        // The second world drew last: the screen is its frame.
        EXPECT_EQ(0,
                  differingPixels(secondAloneScreen, testDisplay.primarySurface, {0, 0, 800, 600}));
        EXPECT_LT(0, litPixels(testDisplay.primarySurface, {0, 0, 800, 600}));
        tearDownWorld(a);
        EXPECT_EQ(nullptr, a.art);
    }
    // Both worlds ended (one torn down, one destroyed); the art is whole
    // and lends again.
    EXPECT_TRUE(missingWorldParts(art).empty());
    World again;
    buildWorld(again, first, &art);
    EXPECT_EQ(frameDone, runFrame(again));
    tearDownWorld(again);
    tearDownWorld(art);
    releaseSurface(secondAloneScreen);
    closeHeadlessDisplay(testDisplay);

    EXPECT_TRUE(firstAlone == firstBorrowing) << "the first world parts from its run alone";
    EXPECT_TRUE(secondAlone == secondBorrowing) << "the second world parts from its run alone";
}

}  // namespace
