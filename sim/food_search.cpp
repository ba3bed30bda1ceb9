// The first living deposit near a point, by walking foodList or by a grid of
// buckets over the deposits' centres. The grid is rebuilt from the list
// after it has changed, once a few searches have walked it: in a frame that
// is once, early in the Vob pass, since food is laid and removed only outside
// it. A deposit eaten since then stays in its bucket and is skipped as the
// walk skips it, by its alive flag.
#include "sim/food_search.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "sim/arith.h"
#include "sim/entity.h"
#include "sim/entity_list.h"
#include "sim/world.h"
#include "sim/world_memory.h"

namespace {

// Centres beyond this make the walk's differences wrap round 32 bits; its
// answer is then what the register arithmetic gives, so only it can give it.
constexpr int64_t coordinateLimit = (int64_t{1} << 30) - 1;
// 32-pixel buckets: a meal search (at most 7 pixels each way) touches at most
// 2 x 2 of them, a steering search of the presets' radius at most 3 x 3.
constexpr int32_t narrowestShift = 5;
// Food laid by the million crowds thousands of deposits into each bucket,
// and a Vob in a patch it has eaten bare scans them all: such food gets
// buckets down to 4 pixels.
constexpr int32_t crowdedShift = 0;
constexpr int64_t crowdedBucket = 16;
// Sparse deposits over a wide area get wider buckets rather than many empty ones.
constexpr int64_t fewestBucketsAllowed = 1024;
// A search wider than this many buckets is a huge radius: the walk finds its
// answer among the first deposits.
// Counted in 32-pixel buckets whatever the grid's.
constexpr int64_t widestSearchBuckets = 16;
// Building the grid costs about as much as a few walks of the list: a world
// of many deposits and a handful of Vobs is better served by walking.
constexpr int32_t walksBeforeBuilding = 4;

bool outsideLimit(int64_t v) { return v > coordinateLimit || v < -coordinateLimit; }

// Its place in foodList when the grid was built is its index in inListOrder.
struct Deposit {
    int32_t x;
    int32_t y;
    Entity* entity;
};

template <typename T>
using IndexArray = std::vector<T, WorldAllocator<T>>;

}  // namespace

struct FoodGrid {
    explicit FoodGrid(WorldMemory& memory)
        : inListOrder(WorldAllocator<Deposit>(memory)),
          bucketStart(WorldAllocator<uint32_t>(memory)), byBucket(WorldAllocator<uint32_t>(memory))
    {
    }

    const EntityList* list = nullptr;
    uint64_t stamp = 0;
    bool usable = false;  // false: some centre is beyond the limit
    int64_t minX = 0, minY = 0, maxX = 0, maxY = 0;
    int32_t shift = narrowestShift;
    int64_t columns = 0;
    IndexArray<Deposit> inListOrder;
    // Bucket b holds byBucket[bucketStart[b] .. bucketStart[b + 1]): places
    // in inListOrder, rising. Places rather than copies keep a deposit's
    // share of the index small where food grows by the million.
    IndexArray<uint32_t> bucketStart;
    IndexArray<uint32_t> byBucket;

    int32_t searchesSinceChange = 0;
    int64_t nodesWalked = 0;  // by the walks since the change
    bool built = false;

    bool current(const EntityList* foodList) const
    {
        return list == foodList && stamp == foodList->changeStamp();
    }
    int64_t bucketOf(const Deposit& d) const
    {
        return ((d.y - minY) >> shift) * columns + ((d.x - minX) >> shift);
    }
    void rebuild(const EntityList* foodList);
    // False when the walk must answer; otherwise `found` is the answer.
    bool search(int64_t x, int64_t y, int64_t rangeX, int64_t rangeY, Entity*& found) const;
};

namespace {

// Arrays that grow by a quarter, not double: in a world whose food grows
// without bound the index stays a small share of its memory.
template <typename T>
void makeRoom(IndexArray<T>& array, size_t size)
{
    if (array.capacity() < size)
        array.reserve(size + size / 4);
}

}  // namespace

void FoodGrid::rebuild(const EntityList* foodList)
{
    usable = true;
    inListOrder.clear();
    makeRoom(inListOrder, static_cast<size_t>(std::max(foodList->population(), 0)));
    minX = minY = std::numeric_limits<int64_t>::max();
    maxX = maxY = std::numeric_limits<int64_t>::min();
    for (const EntityNode* n = foodList->head(); n != nullptr; n = n->next) {
        const Deposit d{n->entity->centreX(), n->entity->centreY(), n->entity};
        if (outsideLimit(d.x) || outsideLimit(d.y)) {
            usable = false;
            return;
        }
        inListOrder.push_back(d);
        minX = std::min<int64_t>(minX, d.x);
        maxX = std::max<int64_t>(maxX, d.x);
        minY = std::min<int64_t>(minY, d.y);
        maxY = std::max<int64_t>(maxY, d.y);
    }
    columns = 0;
    if (inListOrder.empty())
        return;

    const int64_t bucketLimit =
        std::max<int64_t>(fewestBucketsAllowed, 4 * int64_t(inListOrder.size()));
    int64_t rows = 0;
    for (shift = narrowestShift;; ++shift) {
        columns = ((maxX - minX) >> shift) + 1;
        rows = ((maxY - minY) >> shift) + 1;
        if (columns * rows <= bucketLimit)
            break;
    }
    while (shift > crowdedShift && int64_t(inListOrder.size()) > crowdedBucket * columns * rows) {
        --shift;
        columns = ((maxX - minX) >> shift) + 1;
        rows = ((maxY - minY) >> shift) + 1;
    }
    // A counting sort by bucket keeps the list order within each bucket.
    // Bucket b is counted two places on, so that after the sums its fill
    // position sits at b + 1 and ends as the start of b + 1.
    const size_t buckets = static_cast<size_t>(columns * rows);
    makeRoom(bucketStart, buckets + 2);
    bucketStart.assign(buckets + 2, 0);
    for (const Deposit& d : inListOrder)
        bucketStart[static_cast<size_t>(bucketOf(d) + 2)] += 1;
    for (size_t b = 2; b < bucketStart.size(); ++b)
        bucketStart[b] += bucketStart[b - 1];
    makeRoom(byBucket, inListOrder.size());
    byBucket.resize(inListOrder.size());
    for (uint32_t place = 0; place < inListOrder.size(); ++place)
        byBucket[bucketStart[static_cast<size_t>(bucketOf(inListOrder[place]) + 1)]++] = place;
}

bool FoodGrid::search(int64_t x, int64_t y, int64_t rangeX, int64_t rangeY, Entity*& found) const
{
    found = nullptr;
    if (!usable || outsideLimit(x) || outsideLimit(y))
        return false;
    // Within the limit no difference overflows, so "closer than the range"
    // is the open interval around the point, and no range below 1 meets it.
    if (columns == 0 || rangeX <= 0 || rangeY <= 0)
        return true;
    const int64_t left = std::max(x - rangeX + 1, minX), right = std::min(x + rangeX - 1, maxX);
    const int64_t top = std::max(y - rangeY + 1, minY), bottom = std::min(y + rangeY - 1, maxY);
    if (left > right || top > bottom)
        return true;
    const int64_t c0 = (left - minX) >> shift, c1 = (right - minX) >> shift;
    const int64_t r0 = (top - minY) >> shift, r1 = (bottom - minY) >> shift;
    const int32_t finer = std::max(narrowestShift - shift, 0);
    if ((c1 - c0 + 1) * (r1 - r0 + 1) > (widestSearchBuckets << (2 * finer)))
        return false;

    uint32_t best = std::numeric_limits<uint32_t>::max();
    for (int64_t r = r0; r <= r1; ++r) {
        for (int64_t c = c0; c <= c1; ++c) {
            const size_t b = static_cast<size_t>(r * columns + c);
            for (uint32_t i = bucketStart[b]; i < bucketStart[b + 1]; ++i) {
                const uint32_t place = byBucket[i];
                if (place >= best)
                    break;  // later in the list than what was found already
                const Deposit& d = inListOrder[place];
                if (d.x >= left && d.x <= right && d.y >= top && d.y <= bottom &&
                    d.entity->alive() == 1) {
                    best = place;
                    found = d.entity;
                    break;
                }
            }
        }
    }
    return true;
}

void releaseFoodIndex(World& world)
{
    delete world.food.grid;
    world.food.grid = nullptr;
}

namespace {

// The walk, adding the nodes it looked at to `visited`.
Entity* walkCounting(const EntityList* foodList, int32_t x, int32_t y, int32_t rangeX,
                     int32_t rangeY, int64_t& visited)
{
    if (foodList == nullptr)
        return nullptr;
    for (EntityNode* n = foodList->head(); n != nullptr; n = n->next) {
        visited += 1;
        const Entity& food = *n->entity;
        if (food.alive() == 1 && wrapDistance(food.centreX(), x) < rangeX &&
            wrapDistance(food.centreY(), y) < rangeY)
            return n->entity;
    }
    return nullptr;
}

}  // namespace

Entity* walkForFoodNear(const EntityList* foodList, int32_t x, int32_t y, int32_t rangeX,
                        int32_t rangeY)
{
    int64_t visited = 0;
    return walkCounting(foodList, x, y, rangeX, rangeY, visited);
}

Entity* firstFoodNear(World& world, int32_t x, int32_t y, int32_t rangeX, int32_t rangeY)
{
    const EntityList* foodList = world.foodList;
    FoodSearchCounts& counts = world.food.counts;
    if (world.food.search != FoodSearch::indexed || foodList == nullptr) {
        counts.walked += 1;
        return walkForFoodNear(foodList, x, y, rangeX, rangeY);
    }
    if (world.food.grid == nullptr)
        world.food.grid = new FoodGrid(world.memory);
    FoodGrid& grid = *world.food.grid;
    if (!grid.current(foodList)) {
        grid.list = foodList;
        grid.stamp = foodList->changeStamp();
        grid.searchesSinceChange = 0;
        grid.nodesWalked = 0;
        grid.built = false;
    }
    // Once the walks have looked at as many nodes as a build does, the
    // build is cheaper: a search that finds nothing walks the whole list.
    if (!grid.built && (++grid.searchesSinceChange > walksBeforeBuilding ||
                        (grid.nodesWalked > 0 && grid.nodesWalked >= foodList->population()))) {
        grid.rebuild(foodList);
        grid.built = true;
    }
    Entity* found = nullptr;
    if (grid.built && grid.search(x, y, rangeX, rangeY, found)) {
        counts.indexed += 1;
        return found;
    }
    counts.walked += 1;
    return walkCounting(foodList, x, y, rangeX, rangeY, grid.nodesWalked);
}
