// The world's memory budget: how it is chosen, that the lists count what
// they take and give it all back, and that a world past it ends as a world
// that ran out of memory does.
#include <gtest/gtest.h>

#include <new>

#include "run/frame_driver.h"
#include "run/world_setup.h"
#include "sim/entity.h"
#include "sim/entity_list.h"
#include "sim/food_search.h"
#include "sim/world.h"
#include "sim/world_memory.h"
#include "tests/run/run_world.h"

namespace {

constexpr uint64_t MiB = uint64_t{1} << 20;
constexpr uint64_t GiB = uint64_t{1} << 30;

class WorldMemory : public RunWorldTest {
protected:
    void SetUp() override
    {
        RunWorldTest::SetUp();
        before = world.memory.inUse;
    }
    void TearDown() override
    {
        RunWorldTest::TearDown();
        world.memory.budget = 0;
    }
    // Food that lasts for ever, laid at every step of every moving whirl,
    // once the whirls have warmed up: the world grows on every frame.
    void buildFoodStorm()
    {
        ASSERT_EQ(worldComplete, buildWorld([](OptionsRecord& o) {
                      o.whirlCount = 200;
                      o.foodStrength = 9999999;
                      o.depositGap = 1;
                  }));
        runFrames(160);
    }
    uint64_t before = 0;
};

TEST(WorldMemoryBudget, IsAQuarterOfTheMachineBetween64MiBAnd1GiB)
{
    struct Case {
        uint64_t physical, addressSpace, budget;
    };
    const Case cases[] = {
        {24 * GiB, 0, 1 * GiB},            // a large machine: the ceiling
        {0, 0, 1 * GiB},                   // nothing known
        {2 * GiB, 0, 512 * MiB},           // a small one: a quarter
        {32 * MiB, 0, 64 * MiB},           // a Windows 95 machine: every built-in world still runs
        {4 * GiB, 2 * GiB, 512 * MiB},     // the 32-bit saver: its address space decides
        {16 * GiB, 400 * MiB, 100 * MiB},  // ulimit -v 400M
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.budget, worldMemoryBudgetFor(MachineMemory{c.physical, c.addressSpace}))
            << c.physical << " bytes, address space " << c.addressSpace;
}

TEST_F(WorldMemory, TheListsAndTheFoodIndexGiveBackAllTheyTook)
{
    buildFoodStorm();
    const uint64_t held = world.memory.inUse - before;
    ASSERT_GT(world.foodList->population(), 100);
    // Each entity with its node costs at least their two sizes.
    const int32_t entities = world.vobList->population() + world.whirlList->population() +
                             world.foodList->population() + world.remainsList->population();
    EXPECT_GE(held, uint64_t(entities) * (sizeof(Entity) + sizeof(EntityNode)));
    runFrames(20);
    EXPECT_GT(world.memory.inUse - before, held) << "the food laid since";
    tearDownWorld(world);
    EXPECT_EQ(before, world.memory.inUse);
}

TEST_F(WorldMemory, AnAppendPastTheBudgetFailsAndLeavesTheListAsItWas)
{
    ASSERT_EQ(worldComplete, buildWorld());
    const uint64_t held = world.memory.inUse;
    // Room for the entity, not for its node.
    world.memory.budget = held + sizeof(Entity) + 16;
    const int32_t population = world.foodList->population();
    EXPECT_THROW(world.foodList->append(makeInWorld<Entity>(world.memory, world.foodSheet,
                                                            cyclicAnimation, world.size)),
                 std::bad_alloc);
    EXPECT_EQ(population, world.foodList->population());
    EXPECT_EQ(held, world.memory.inUse);
}

TEST_F(WorldMemory, AWorldPastItsBudgetEndsAsOneThatRanOutOfMemory)
{
    // Set-up: a budget the whirls alone pass.
    world.memory.budget = before + 64 * 1024;
    EXPECT_EQ(worldOutOfMemory, buildWorld([](OptionsRecord& o) { o.whirlCount = 5000; }));
    EXPECT_EQ(nullptr, world.whirlList);
    EXPECT_EQ(before, world.memory.inUse);

    // Running: the food passes a budget a little above the world.
    world.memory.budget = 0;
    world.liveOptions = presetAlgorithms[0];
    buildFoodStorm();
    world.memory.budget = world.memory.inUse + 256 * 1024;
    int32_t result = frameDone;
    int32_t frames = 0;
    for (; result == frameDone && frames < 100; ++frames)
        result = runFrame(world);
    EXPECT_EQ(frameOutOfMemory, result) << "after " << frames << " frames";
    EXPECT_EQ(nullptr, world.foodList);
    EXPECT_EQ(before, world.memory.inUse);
}

}  // namespace
