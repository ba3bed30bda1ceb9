// The page's Apply when the new world does not fit in memory: the page keeps
// a world, the one it ran, built again from its start, and says why; and
// nothing the page calls lets the shortage escape to the browser.
#include <gtest/gtest.h>

#include <string>

#include "host/web/web_api.h"
#include "tests/run/out_of_memory/failing_new.h"

namespace {

const std::string notEnoughMemory = "Error: Not enough memory for this algorithm.";

TEST(WebStart, ANewWorldWithoutMemoryGivesBackTheWorldThatRanFromItsStart)
{
    tovrine_load_preset(0);
    ASSERT_EQ(TOVRINE_OK, tovrine_start(128, 1, 5));
    const std::string first = tovrine_stats();
    for (int32_t i = 0; i < 50; ++i)
        ASSERT_EQ(TOVRINE_OK, tovrine_tick());
    // Wherever the new world's judgement or set-up runs short: before the old
    // world was given up it goes on, after it it comes back from its start.
    int32_t givenBack = 0;
    for (int64_t allowed : {0, 3, 10, 40, 200}) {
        const std::string before = tovrine_stats();
        tovrine_load_preset(3);
        failOneAllocationAfter(allowed);
        const int32_t result = tovrine_start(128, 1, 9);
        stopFailingAllocations();
        ASSERT_EQ(TOVRINE_OUT_OF_MEMORY, result) << allowed << " allowed";
        EXPECT_EQ(notEnoughMemory, tovrine_message()) << allowed << " allowed";
        const std::string now = tovrine_stats();
        EXPECT_TRUE(now == before || now == first) << allowed << " allowed: " << now;
        givenBack += now == first;
        EXPECT_EQ(5u, tovrine_seed());
        EXPECT_EQ(TOVRINE_OK, tovrine_tick());
    }
    EXPECT_GE(givenBack, 3);
    // A refused record leaves the running world as it is, frames and all.
    const std::string running = tovrine_stats();
    EXPECT_EQ(TOVRINE_REFUSED, tovrine_start(127, 1, 9));
    EXPECT_EQ(running, tovrine_stats());
}

TEST(WebStart, WithoutMemoryForAnyWorldTicksSaySoUntilAStartSucceeds)
{
    tovrine_load_preset(0);
    ASSERT_EQ(TOVRINE_OK, tovrine_start(128, 1, 5));
    const std::string first = tovrine_stats();
    tovrine_load_preset(2);
    failAllocationsAfter(40);
    const int32_t started = tovrine_start(128, 1, 9);
    const int32_t ticked = tovrine_tick();
    const int32_t set =
        tovrine_set_field("displayMode", "1024 x 768 x 32, a text longer than a short string");
    stopFailingAllocations();
    EXPECT_EQ(TOVRINE_OUT_OF_MEMORY, started);
    EXPECT_EQ(TOVRINE_OUT_OF_MEMORY, ticked);
    EXPECT_EQ(TOVRINE_OUT_OF_MEMORY, set);
    EXPECT_EQ(notEnoughMemory, tovrine_message());
    EXPECT_EQ(TOVRINE_OUT_OF_MEMORY, tovrine_tick());
    tovrine_load_preset(0);
    ASSERT_EQ(TOVRINE_OK, tovrine_start(128, 1, 5));
    EXPECT_EQ(first, tovrine_stats());
    EXPECT_EQ(TOVRINE_OK, tovrine_tick());
}

}  // namespace
