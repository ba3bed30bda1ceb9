#include <gtest/gtest.h>

#include "settings/options_record.h"
#include "sim/entity.h"
#include "sim/entity_list.h"
#include "sim/vob.h"
#include "sim/world.h"
#include "tests/sim/seed_helper.h"
#include "tests/sim/sim_world.h"

namespace {

// With Vob IQ a Vob that eats turns towards the next food near the meal and
// snaps its centre onto the meal's centre.
class SteeringTest : public SimWorld {
protected:
    void SetUp() override
    {
        SimWorld::SetUp();
        world.liveOptions.vobIQ = 1;
        world.liveOptions.depositGap = 15;  // search radius 25
    }

    // A still Vob of strength 200 (speed 3) that eats food centred at
    // (400, 300); the next food is centred (gx, gy) from there. Returns the Vob
    // after its tick.
    Entity* eatWithNextFoodAt(int32_t gx, int32_t gy)
    {
        world.vobList->clear();
        world.foodList->clear();
        Entity* vob = addVob(400 - 7 + 2, 300 - 7 - 1, 200);  // centre (402, 299)
        addFood(400 - 3, 300 - 3, 50);
        addFood(400 + gx - 3, 300 + gy - 3, 50);
        tickFirstVob();
        return vob;
    }
};

}  // namespace

TEST_F(SteeringTest, TurnsTowardsTheNextFood)
{
    const struct {
        int32_t gx, gy, direction;
    } cases[] = {
        {-2, -2, directionUpLeft},
        {2, -2, directionUpRight},
        {-2, 2, directionDownLeft},
        {2, 2, directionDownRight},
        {0, 10, directionDown},
        {0, -10, directionUp},
        {-10, 0, directionLeft},
        {10, 0, directionRight},
        {-24, -24, directionUpLeft},
        // Diagonals need more than a fifth of the 7 x 7 food cell (7 / 5 = 1)
        // on each axis: one pixel off is not a diagonal.
        {-1, -1, directionUp},
        {1, 1, directionDown},
        {-1, 0, directionLeft},
        {2, -1, directionUp},
    };
    for (const auto& c : cases) {
        Entity* vob = eatWithNextFoodAt(c.gx, c.gy);
        EXPECT_EQ(vob->direction(), c.direction) << c.gx << "," << c.gy;
        EXPECT_EQ(vob->steerHold(), 79) << "80, less the frame it was set in";
    }
}

TEST_F(SteeringTest, FoodOnTheSameCentreKeepsTheDirectionButHolds)
{
    world.vobList->clear();
    world.foodList->clear();
    Entity* vob = addVob(393, 293, 200);
    vob->setDirection(directionLeft);
    addFood(397, 297, 50);
    addFood(397, 297, 50);  // the next candidate, same centre
    tickFirstVob();
    EXPECT_EQ(vob->direction(), directionLeft);
    EXPECT_EQ(vob->steerHold(), 79);
}

TEST_F(SteeringTest, NothingWithinTheRadiusLeavesTheCourse)
{
    for (int32_t far : {25, -25}) {
        Entity* vob = eatWithNextFoodAt(far, 0);
        EXPECT_EQ(vob->direction(), 0) << far;
        EXPECT_EQ(vob->steerHold(), 0);
    }
    Entity* vob = eatWithNextFoodAt(0, 25);
    EXPECT_EQ(vob->direction(), 0);
}

TEST_F(SteeringTest, DeadDepositsAreNoTarget)
{
    world.vobList->clear();
    world.foodList->clear();
    Entity* vob = addVob(393, 293, 200);
    addFood(397, 297, 50);
    addFood(397 + 10, 297, 50)->setAlive(0);
    addFood(397, 297 + 10, 50);
    tickFirstVob();
    EXPECT_EQ(vob->direction(), directionDown);
}

TEST_F(SteeringTest, SnapsOntoTheMealsCentreBeforeTheStep)
{
    Entity* vob = eatWithNextFoodAt(0, -10);  // up at speed 3
    EXPECT_EQ(vob->centreX(), 400);
    EXPECT_EQ(vob->centreY(), 300 - 3);

    // Without a next food it snaps and stays (still Vob).
    vob = eatWithNextFoodAt(100, 100);
    EXPECT_EQ(vob->x(), 400 - 7);
    EXPECT_EQ(vob->y(), 300 - 7);
}

TEST_F(SteeringTest, SnapUsesTheCellOfTheSheetTakenAtTheMeal)
{
    world.vobList->clear();
    world.foodList->clear();
    Entity* vob = addVob(394, 292, 1500);
    addFood(397, 297, 200);  // 1700: mega, 23 x 24
    tickFirstVob();
    ASSERT_EQ(vob->sheet(), world.megaVobSheet);
    EXPECT_EQ(vob->x(), 400 - 11);
    EXPECT_EQ(vob->y(), 300 - 12);
}

TEST_F(SteeringTest, AHeldCourseMakesNoWanderingDraws)
{
    Entity* vob = eatWithNextFoodAt(10, 0);
    ASSERT_EQ(vob->direction(), directionRight);
    // Generator value 32767 would make any wandering test turn.
    for (int frame = 0; frame < 79; ++frame) {
        seedSoNextIs(world.random, 32767);
        const uint32_t start = randomState(world.random);
        tickVob(world, world.vobList->head());
        ASSERT_EQ(drawsSince(world.random, start), 0) << frame;
        ASSERT_EQ(vob->direction(), directionRight) << frame;
    }
    EXPECT_EQ(vob->steerHold(), 0);
    seedSoNextIs(world.random, 32767);
    const uint32_t start = randomState(world.random);
    tickVob(world, world.vobList->head());
    EXPECT_EQ(drawsSince(world.random, start), 2)
        << "hold spent: the wander test and its direction";
}

TEST_F(SteeringTest, WithoutVobIqThereIsNoSteeringOrSnap)
{
    world.liveOptions.vobIQ = 0;
    Entity* vob = eatWithNextFoodAt(10, 0);
    EXPECT_EQ(vob->direction(), 0);
    EXPECT_EQ(vob->steerHold(), 0);
    EXPECT_EQ(vob->x(), 395);
    EXPECT_EQ(vob->y(), 292);
}
