// Memory that runs out while the world is built or runs: the run ends with
// its own result, what was built is freed, and nothing crashes or leaks
// (the sanitizer build checks the leaks).
#include <gtest/gtest.h>

#include <functional>

#include "tests/render/test_display.h"
#include "run/frame_driver.h"
#include "run/world_setup.h"
#include "sim/entity_list.h"
#include "sim/world.h"
#include "tests/run/out_of_memory/failing_new.h"
#include "tests/run/run_world.h"

namespace {

using OutOfMemory = RunWorldTest;

void expectWorldFreed(const World& world)
{
    EXPECT_EQ(nullptr, world.vobList);
    EXPECT_EQ(nullptr, world.whirlList);
    EXPECT_EQ(nullptr, world.foodList);
    EXPECT_EQ(nullptr, world.remainsList);
    EXPECT_EQ(nullptr, world.art);
}

TEST_F(OutOfMemory, SetUpReportsItAndFreesWhatItBuiltWhereverItRunsOut)
{
    // Allow one more allocation on each attempt, until set-up gets through.
    int32_t result = worldOutOfMemory;
    int64_t allowed = 0;
    for (; result == worldOutOfMemory && allowed < 10000; ++allowed) {
        failAllocationsAfter(allowed);
        result = buildWorld();
        stopFailingAllocations();
        if (result == worldOutOfMemory)
            expectWorldFreed(world);
        else
            EXPECT_EQ(0, refusedAllocations());
    }
    EXPECT_EQ(worldComplete, result);
    // Sheets, lists, fonts, ten Vobs and two whirls: each failed in turn.
    EXPECT_GT(allowed, 30);
    EXPECT_EQ(10, world.vobList->population());
}

TEST_F(OutOfMemory, AFrameReportsItFreesTheWorldAndLaterFramesOnlyClearAndFlip)
{
    struct Case {
        const char* name;
        std::function<void()> prepare;  // builds a world that allocates on its next frames
        int64_t allowed;
    };
    auto storm = [this] {
        ASSERT_EQ(worldComplete, buildWorld([](OptionsRecord& o) { o = presetAlgorithms[2]; }));
        runFrames(160);  // the whirls have warmed up and drop food every frame
    };
    auto extinct = [this] {
        buildEmptyWorld(10);
        runFrames(rebirthFrames - 1);  // the next frame bears the founders
    };
    for (const Case& c : {Case{"food deposit", storm, 0}, Case{"food deposit", storm, 3},
                          Case{"rebirth", extinct, 0}, Case{"rebirth", extinct, 5}}) {
        c.prepare();
        failAllocationsAfter(c.allowed);
        int32_t result = runFrame(world);
        stopFailingAllocations();
        ASSERT_EQ(frameOutOfMemory, result) << c.name << ", " << c.allowed << " allowed";
        expectWorldFreed(world);
        EXPECT_EQ(rebirthFrames, world.rebirthCountdown) << c.name;

        int32_t flips = flipCount(testDisplay);
        EXPECT_EQ(frameDone, runFrame(world)) << c.name;
        EXPECT_EQ(flips + 1, flipCount(testDisplay)) << c.name;
    }
}

}  // namespace
