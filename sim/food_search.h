// The Vob's two food searches (its meal, and with Vob IQ the next food to
// steer for) ask the same question: the first living deposit of foodList,
// from its head, whose centre lies near a point. Walking the list answers it
// in time proportional to the deposits, for every Vob; an index of buckets by
// position answers it with exactly the same deposit in a few steps.
#pragma once

#include <cstdint>

class Entity;
class EntityList;
struct FoodGrid;
struct World;

enum class FoodSearch {
    indexed,  // the index, falling back to the walk where it cannot be exact
    walk,     // the literal walk: the reference the index is measured against
};

// How the searches were answered since the world began; tests check that
// the index took part, the runner shows it.
struct FoodSearchCounts {
    int64_t indexed = 0;
    int64_t walked = 0;
};

// A world's food search: how it is answered, the counts, and the index.
struct FoodIndex {
    // Chosen at run time; the world's figures are the same either way.
    FoodSearch search = FoodSearch::indexed;
    FoodSearchCounts counts;
    FoodGrid* grid = nullptr;  // made on the first indexed search
};

// The first deposit in the world's foodList order that is alive and whose
// centre is less than rangeX from x and less than rangeY from y; null when
// none (or no foodList). Deposits must not move while the list is
// unchanged: they never do.
Entity* firstFoodNear(World& world, int32_t x, int32_t y, int32_t rangeX, int32_t rangeY);

// Gives the index's memory back; the world's tear-down calls it.
void releaseFoodIndex(World& world);

// The reference: the same question answered by walking foodList from its head.
Entity* walkForFoodNear(const EntityList* foodList, int32_t x, int32_t y, int32_t rangeX,
                        int32_t rangeY);
