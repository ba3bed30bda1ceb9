// The Vob's two food searches (its meal, and with Vob IQ the next food to
// steer for) ask the same question: the first living deposit of foodList,
// from its head, whose centre lies near a point. Walking the list answers it
// in time proportional to the deposits, for every Vob; an index of buckets by
// position answers it with exactly the same deposit in a few steps.
#pragma once

#include <cstdint>

class Entity;

enum class FoodSearch {
    indexed,  // the index, falling back to the walk where it cannot be exact
    walk,     // the literal walk: the reference the index is measured against
};

// Chosen at run time; the world's figures are the same either way.
void setFoodSearch(FoodSearch search);
FoodSearch foodSearch();

// The first deposit in list order that is alive and whose centre is less than
// rangeX from x and less than rangeY from y; null when none (or no foodList).
// Deposits must not move while the list is unchanged: they never do.
Entity* firstFoodNear(int32_t x, int32_t y, int32_t rangeX, int32_t rangeY);

// Gives the index's memory back; the world's tear-down calls it.
void releaseFoodIndex();

// The reference: the same question answered by walking foodList from its head.
Entity* walkForFoodNear(int32_t x, int32_t y, int32_t rangeX, int32_t rangeY);

// How the searches were answered since the start; tests check that the index
// took part, the runner shows it.
struct FoodSearchCounts {
    int64_t indexed = 0;
    int64_t walked = 0;
};
FoodSearchCounts foodSearchCounts();
