#include <gtest/gtest.h>

#include <vector>

#include "sim/entity.h"
#include "sim/entity_list.h"
#include "sim/world.h"
#include "tests/sim/sim_world.h"

namespace {

class EntityListTest : public SimWorld {
protected:
    // Appends n food deposits whose strength is their number, 1 to n.
    std::vector<Entity*> fill(EntityList& list, int n)
    {
        std::vector<Entity*> added;
        for (int i = 1; i <= n; ++i) {
            list.append(
                makeInWorld<Entity>(world.memory, world.foodSheet, cyclicAnimation, world.size));
            list.last()->setStrength(i);
            added.push_back(list.last());
        }
        return added;
    }

    // Strengths from head to tail, checking the back links on the way.
    std::vector<int32_t> walk(const EntityList& list)
    {
        std::vector<int32_t> strengths;
        EntityNode* prev = nullptr;
        for (EntityNode* n = list.head(); n != nullptr; n = n->next) {
            EXPECT_EQ(n->prev, prev);
            strengths.push_back(n->entity->strength());
            prev = n;
        }
        EXPECT_EQ(list.last(), prev != nullptr ? prev->entity : nullptr);
        return strengths;
    }
};

}  // namespace

TEST_F(EntityListTest, RemovingTheMiddleKeepsHistoryAndPeak)
{
    EntityList list(world.memory);
    fill(list, 3);
    EntityNode* middle = list.head()->next;
    EntityNode* returned = list.remove(middle);
    ASSERT_NE(returned, nullptr);
    EXPECT_EQ(returned->entity->strength(), 3);
    EXPECT_EQ(list.population(), 2);
    EXPECT_EQ(list.history(), 3);
    EXPECT_EQ(list.peak(), 3);
    EXPECT_EQ(walk(list), (std::vector<int32_t>{1, 3}));
}

TEST_F(EntityListTest, RemovingHeadTailAndOnlyNodeRelinks)
{
    EntityList list(world.memory);
    fill(list, 3);
    EntityNode* second = list.remove(list.head());
    EXPECT_EQ(second, list.head());
    EXPECT_EQ(walk(list), (std::vector<int32_t>{2, 3}));

    EXPECT_EQ(list.remove(list.head()->next), nullptr) << "the walk ends after the tail";
    EXPECT_EQ(walk(list), (std::vector<int32_t>{2}));

    // The new tail must be where the next append links.
    list.append(makeInWorld<Entity>(world.memory, world.foodSheet, cyclicAnimation, world.size));
    list.last()->setStrength(9);
    EXPECT_EQ(walk(list), (std::vector<int32_t>{2, 9}));

    list.remove(list.head()->next);
    EXPECT_EQ(list.remove(list.head()), nullptr);
    EXPECT_EQ(list.head(), nullptr);
    EXPECT_EQ(list.last(), nullptr);
    EXPECT_EQ(list.population(), 0);

    list.append(makeInWorld<Entity>(world.memory, world.foodSheet, cyclicAnimation, world.size));
    list.last()->setStrength(5);
    EXPECT_EQ(walk(list), (std::vector<int32_t>{5}));
}

TEST_F(EntityListTest, PeakIsTheLargestPopulationSeen)
{
    EntityList list(world.memory);
    fill(list, 3);
    list.remove(list.head());
    list.remove(list.head());
    fill(list, 1);
    EXPECT_EQ(list.population(), 2);
    EXPECT_EQ(list.history(), 4);
    EXPECT_EQ(list.peak(), 3);
    fill(list, 2);
    EXPECT_EQ(list.peak(), 4);
}

TEST_F(EntityListTest, ResetCountsOnAnEmptyListStartsAgainFromOne)
{
    EntityList list(world.memory);
    fill(list, 4);
    while (list.head() != nullptr)
        list.remove(list.head());
    list.resetCounts();
    EXPECT_EQ(list.population(), 0);
    EXPECT_EQ(list.history(), 0);
    EXPECT_EQ(list.peak(), 0);
    fill(list, 1);
    EXPECT_EQ(list.population(), 1);
    EXPECT_EQ(list.history(), 1);
    EXPECT_EQ(list.peak(), 1);
}

TEST_F(EntityListTest, ClearEmptiesButKeepsTheCounters)
{
    EntityList list(world.memory);
    fill(list, 3);
    list.clear();
    EXPECT_EQ(list.head(), nullptr);
    EXPECT_EQ(list.last(), nullptr);
    EXPECT_EQ(list.population(), 3);
    EXPECT_EQ(list.history(), 3);
    EXPECT_EQ(list.peak(), 3);
    fill(list, 2);
    EXPECT_EQ(walk(list), (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(list.population(), 5);
}

TEST_F(EntityListTest, RemovingNothingChangesNothing)
{
    EntityList list(world.memory);
    fill(list, 1);
    EXPECT_EQ(list.remove(nullptr), nullptr);
    EXPECT_EQ(list.population(), 1);
}

TEST_F(EntityListTest, AWalkSeesNodesAppendedDuringIt)
{
    EntityList list(world.memory);
    fill(list, 2);
    std::vector<int32_t> seen;
    for (EntityNode* n = list.head(); n != nullptr; n = n->next) {
        seen.push_back(n->entity->strength());
        if (seen.size() == 1)
            fill(list, 1);  // strength 1 again, appended while walking
    }
    EXPECT_EQ(seen, (std::vector<int32_t>{1, 2, 1}));
}
