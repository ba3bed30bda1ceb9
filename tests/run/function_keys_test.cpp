// The function keys change the world's own live record, whatever a stored
// record put there.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "run/function_keys.h"
#include "sim/world.h"

namespace {

TEST(FunctionKeys, F1TogglesTheCloudEvenFromAStoredValueAtThe32BitEdge)
{
    const struct {
        int32_t before, after;
    } cases[] = {
        {0, 1},
        {1, 0},
        // A user-written record: the step wraps to INT_MIN, an even number.
        {std::numeric_limits<int32_t>::max(), 0},
    };
    for (const auto& c : cases) {
        World world;
        world.liveOptions.showCloud = c.before;
        pressFunctionKey(world, FunctionKey::f1);
        EXPECT_EQ(c.after, world.liveOptions.showCloud) << "from " << c.before;
    }
}

TEST(FunctionKeys, EachWorldHearsOnlyItsOwnKeys)
{
    World pressed, other;
    pressFunctionKey(pressed, FunctionKey::f12);
    pressFunctionKey(pressed, FunctionKey::f3);
    EXPECT_EQ(1, pressed.strengthResetRequested);
    EXPECT_EQ(2, pressed.liveOptions.statsMode);
    EXPECT_EQ(0, other.strengthResetRequested);
    EXPECT_EQ(presetAlgorithms[0].statsMode, other.liveOptions.statsMode);
}

}  // namespace
