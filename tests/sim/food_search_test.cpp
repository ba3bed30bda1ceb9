// The food index must answer every search with the deposit the walk of
// world.foodList finds, and whole worlds must run the same with either.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "render/display.h"
#include "render/sdl/headless_display.h"
#include "run/frame_driver.h"
#include "run/world_setup.h"
#include "settings/options_record.h"
#include "sim/entity.h"
#include "sim/entity_list.h"
#include "sim/food_search.h"
#include "sim/random.h"
#include "sim/world.h"
#include "tests/sim/sim_world.h"

namespace {

class FoodSearchTest : public SimWorld {
protected:
    void TearDown() override
    {
        world.food.search = FoodSearch::indexed;
        SimWorld::TearDown();
    }
};

EntityNode* nodeAt(const EntityList* list, int32_t index)
{
    EntityNode* n = list->head();
    for (; n != nullptr && index > 0; --index)
        n = n->next;
    return n;
}

// Deposits laid, eaten and removed in a random order over layouts from a
// crowd to the far reaches of 32 bits, with searches of every width between
// the changes: near deposits (on the edges of the ranges) and anywhere.
TEST_F(FoodSearchTest, TheIndexFindsTheDepositTheWalkFinds)
{
    const struct {
        const char* name;
        int32_t low, high;    // where deposits lie
        int32_t farEveryNth;  // 0, or every n-th deposit beyond the index's reach
        bool indexAnswers;    // else the walk, where differences could overflow
    } layouts[] = {
        {"a screen with margins", -60, 860, 0, true},
        {"a crowd", 395, 415, 0, true},
        {"piled on a few pixels, as a food storm lays them", 390, 394, 0, true},
        {"far apart", -3000000, 3000000, 0, true},
        {"some beyond the limit", -100, 900, 7, false},
        {"near the ends of 32 bits", INT_MIN + 100, INT_MAX - 100, 0, false},
    };
    const int32_t ranges[] = {INT_MIN, -5, 0, 1, 2, 4, 5, 7, 8, 16, 25, 33, 100, 70000, INT_MAX};
    std::mt19937 rng(20261207);
    auto pick = [&](int32_t low, int32_t high) {
        return std::uniform_int_distribution<int32_t>(low, high)(rng);
    };

    for (const auto& layout : layouts) {
        clearLists();
        const FoodSearchCounts before = world.food.counts;
        for (int step = 0; step < 600; ++step) {
            const int change = pick(0, 9);
            if (change < 5 || world.foodList->population() == 0) {
                const bool far = layout.farEveryNth != 0 && step % layout.farEveryNth == 0;
                const int32_t x = far ? (1 << 30) + pick(0, 100) : pick(layout.low, layout.high);
                addFood(x, pick(layout.low, layout.high), 100);
            } else if (change < 8) {
                nodeAt(world.foodList, pick(0, world.foodList->population() - 1))
                    ->entity->setAlive(0);
            } else {
                world.foodList->remove(
                    nodeAt(world.foodList, pick(0, world.foodList->population() - 1)));
            }
            for (int q = 0; q < 16; ++q) {
                int32_t x = pick(layout.low, layout.high), y = pick(layout.low, layout.high);
                const int32_t rangeX = ranges[pick(0, 14)];
                const int32_t rangeY = q % 2 == 0 ? rangeX : ranges[pick(0, 14)];
                if (q < 12 && world.foodList->population() > 0) {
                    const Entity& near =
                        *nodeAt(world.foodList, pick(0, world.foodList->population() - 1))->entity;
                    const int32_t reach = std::min(rangeX, 40);
                    x = near.centreX() + (reach > 0 ? pick(-reach - 1, reach + 1) : pick(-2, 2));
                    y = near.centreY() + (reach > 0 ? pick(-reach - 1, reach + 1) : pick(-2, 2));
                }
                ASSERT_EQ(walkForFoodNear(world.foodList, x, y, rangeX, rangeY),
                          firstFoodNear(world, x, y, rangeX, rangeY))
                    << layout.name << ", step " << step << ": search at (" << x << ", " << y
                    << ") within " << rangeX << " x " << rangeY;
            }
        }
        const FoodSearchCounts after = world.food.counts;
        const int64_t byIndex = after.indexed - before.indexed;
        const int64_t byWalk = after.walked - before.walked;
        if (layout.indexAnswers) {
            EXPECT_GT(byIndex, 6000) << layout.name;
        } else {
            EXPECT_GT(byWalk, 6000) << layout.name;
        }
    }
}

// A food storm piles deposits by the thousand onto each pixel: the index
// narrows its buckets for them and still answers the Vobs' meal searches.
TEST_F(FoodSearchTest, FoodPiledByTheThousandIsStillSearchedThroughTheIndex)
{
    for (int i = 0; i < 4000; ++i)
        addFood(400 + i % 10, 300 + i / 10 % 10, 100);
    int32_t place = 0;
    for (EntityNode* n = world.foodList->head(); n != nullptr; n = n->next, ++place) {
        if (place % 3 == 0)
            n->entity->setAlive(0);  // eaten since the index was built
    }
    for (int i = 0; i < 5; ++i)
        firstFoodNear(world, 0, 0, 1, 1);  // the walks before the index is built
    const FoodSearchCounts before = world.food.counts;
    for (int32_t x = 395; x < 415; ++x) {
        for (int32_t range : {5, 7}) {
            ASSERT_EQ(walkForFoodNear(world.foodList, x, x - 95, range, range),
                      firstFoodNear(world, x, x - 95, range, range))
                << "at (" << x << ", " << x - 95 << ") within " << range;
        }
    }
    EXPECT_EQ(40, world.food.counts.indexed - before.indexed);
}

// ---- whole worlds, run once with each search ----

struct WorldCase {
    std::string name;
    OptionsRecord record;
    uint32_t seed;
    int32_t frames;
};

OptionsRecord onDisplay(OptionsRecord r, int32_t width, int32_t height, int32_t depth)
{
    r.screenWidth = width;
    r.screenHeight = height;
    r.screenDepth = depth;
    return r;
}

// Settings a user could store: lively worlds of every shape, with now and
// then a search radius wide enough that the walk answers.
OptionsRecord randomRecord(std::mt19937& rng)
{
    auto pick = [&](int32_t low, int32_t high) {
        return std::uniform_int_distribution<int32_t>(low, high)(rng);
    };
    const int32_t sizes[][2] = {{320, 200}, {640, 480}, {800, 600}, {1024, 768}, {1600, 1200}};
    const auto& size = sizes[pick(0, 4)];
    OptionsRecord r = onDisplay(presetAlgorithms[pick(0, presetCount - 1)], size[0], size[1],
                                pick(0, 1) ? 32 : 16);
    r.statsMode = pick(0, 2);
    r.includeLife = pick(0, 1);
    r.wrapEdges = pick(0, 1);
    r.showCloud = pick(0, 1);
    r.vobIQ = pick(0, 2);
    r.initialVobs = pick(1, 250);
    r.maxEntities = pick(1, 400);
    r.whirlCount = pick(0, 40);
    r.maxStrength = pick(200, 5000);
    r.megaLevel = pick(100, 3000);
    r.greenLevel = pick(10, 300);
    r.spawnLevel = pick(0, 12);
    r.birthSpawns = pick(0, 4);
    r.birthStrength = pick(1, 1500);
    r.foodStrength = pick(0, 9) == 0 ? 0 : pick(3, 400);
    r.depositGap = pick(0, 9) == 0 ? pick(300, 3000) : pick(-3, 40);
    return r;
}

std::vector<WorldCase> worldCases()
{
    std::vector<WorldCase> cases;
    for (int32_t p = 0; p < presetCount; ++p)
        cases.push_back(
            {"preset" + std::to_string(p), presetAlgorithms[p], 11u + p, p == 3 ? 200 : 500});
    // Brain storms under every edge and IQ rule, on displays of several sizes.
    const int32_t sizes[][3] = {{640, 480, 32}, {800, 600, 16}, {1024, 768, 32}, {1280, 1024, 16}};
    for (int32_t i = 0; i < 4; ++i) {
        OptionsRecord r = onDisplay(presetAlgorithms[6], sizes[i][0], sizes[i][1], sizes[i][2]);
        r.wrapEdges = i & 1;
        r.vobIQ = i >> 1;
        r.initialVobs = 120;
        r.whirlCount = 30;
        r.foodStrength = 40;  // deposits decay within the run
        cases.push_back({"storm-wrap" + std::to_string(i & 1) + "-iq" + std::to_string(i >> 1), r,
                         100u + i, 500});
    }
    std::mt19937 rng(7);
    for (int32_t i = 0; i < 12; ++i)
        cases.push_back({"random" + std::to_string(i), randomRecord(rng), 200u + i, 400});
    return cases;
}

// What happened to food in the runs, so that a comparison cannot pass
// for want of anything to compare.
struct FoodActivity {
    int64_t framesLaidEatenAndRemoved = 0;
    int64_t indexedSearches = 0;
};

int32_t sheetNumber(const World& world, const Sheet* sheet)
{
    const Sheet* sheets[] = {world.vobSheet,     world.weakVobSheet, world.megaVobSheet,
                             world.remainsSheet, world.foodSheet,    world.whirlSheet};
    for (int32_t i = 0; i < 6; ++i)
        if (sheet == sheets[i])
            return i;
    return sheet == nullptr ? -1 : 99;
}

uint64_t mix(uint64_t sum, int64_t value)
{
    return (sum ^ static_cast<uint64_t>(value)) * 1099511628211u;
}

// Everything a frame leaves behind: the generator, the rebirth count, the
// lists' counters and every field of every entity in list order.
uint64_t stateDigest(const World& world)
{
    uint64_t sum = mix(14695981039346656037u, randomState(world.random));
    sum = mix(sum, world.rebirthCountdown);
    for (const EntityList* list :
         {world.foodList, world.vobList, world.remainsList, world.whirlList}) {
        for (int32_t v : {list->population(), list->history(), list->peak()})
            sum = mix(sum, v);
        for (const EntityNode* n = list->head(); n != nullptr; n = n->next) {
            const Entity& e = *n->entity;
            for (int32_t v : {sheetNumber(world, e.sheet()),
                              e.animMode(),
                              e.columns(),
                              e.rows(),
                              e.column(),
                              e.row(),
                              e.prevX(),
                              e.prevY(),
                              e.frameTick(),
                              e.frameDelay(),
                              e.alive(),
                              e.x(),
                              e.y(),
                              e.cellWidth(),
                              e.cellHeight(),
                              e.direction(),
                              e.speed(),
                              e.strength(),
                              e.strengthCap(),
                              e.life(),
                              e.steerHold(),
                              e.depositX(),
                              e.depositY()})
                sum = mix(sum, v);
        }
    }
    return sum;
}

uint64_t pictureDigest()
{
    uint64_t sum = 0;
    if (!beginPixelAccess(testDisplay.primarySurface))
        return sum;
    for (int32_t y = 0; y < testDisplay.height; ++y)
        for (int32_t x = 0; x < testDisplay.width; ++x)
            sum = mix(sum, readPixel(testDisplay.primarySurface, x, y));
    endPixelAccess(testDisplay.primarySurface);
    return sum;
}

std::vector<uint64_t> replay(const WorldCase& c, FoodSearch search, FoodActivity& activity)
{
    std::vector<uint64_t> digests;
    World world;
    world.food.search = search;
    world.liveOptions = c.record;
    if (!openHeadlessDisplay(testDisplay, c.record.screenWidth, c.record.screenHeight,
                             c.record.screenDepth)) {
        ADD_FAILURE() << "cannot open the display";
        return digests;
    }
    seedRandom(world.random, c.seed);
    EXPECT_EQ(worldComplete, setUpWorld(world, &testDisplay));
    const FoodSearchCounts before = world.food.counts;
    for (int32_t frame = 0; frame < c.frames && world.foodList != nullptr; ++frame) {
        const int32_t population = world.foodList->population(),
                      history = world.foodList->history();
        runFrame(world);
        const int32_t laid = world.foodList->history() - history;
        const int32_t removed = population + laid - world.foodList->population();
        int32_t eaten = 0;
        for (const EntityNode* n = world.foodList->head(); n != nullptr; n = n->next)
            eaten += n->entity->alive() == 0;
        if (laid > 0 && removed > 0 && eaten > 0)
            activity.framesLaidEatenAndRemoved += 1;
        digests.push_back(stateDigest(world));
        if (frame % 50 == 49)
            digests.push_back(pictureDigest());
    }
    activity.indexedSearches += world.food.counts.indexed - before.indexed;
    tearDownWorld(world);
    closeHeadlessDisplay(testDisplay);
    return digests;
}

class FoodSearchWorlds : public ::testing::Test {};

TEST_F(FoodSearchWorlds, EveryWorldRunsTheSameWithTheIndexAsWithTheWalk)
{
    FoodActivity indexed, walked;
    for (const WorldCase& c : worldCases()) {
        const std::vector<uint64_t> expected = replay(c, FoodSearch::walk, walked);
        const std::vector<uint64_t> got = replay(c, FoodSearch::indexed, indexed);
        ASSERT_EQ(expected.size(), got.size()) << c.name;
        for (size_t i = 0; i < expected.size(); ++i)
            ASSERT_EQ(expected[i], got[i]) << c.name << ": the worlds part at digest " << i;
    }
    EXPECT_EQ(walked.indexedSearches, 0) << "--walk-food walks";
    EXPECT_GT(indexed.indexedSearches, 100000);
    EXPECT_GT(indexed.framesLaidEatenAndRemoved, 100);
    EXPECT_EQ(indexed.framesLaidEatenAndRemoved, walked.framesLaidEatenAndRemoved);
}

}  // namespace
