// Figures for the simulation's hot paths, on the program's own artwork:
//   build/native/tests/tovrine_sim_benchmark
#include <benchmark/benchmark.h>

#include "render/display.h"
#include "tests/render/test_display.h"
#include "render/sprite_sheet.h"
#include "settings/options_record.h"
#include "sim/entity.h"
#include "sim/entity_list.h"
#include "sim/random.h"
#include "sim/vob.h"
#include "sim/world.h"

namespace {

struct BenchWorld : World {
    BenchWorld()
    {
        openHeadlessDisplay(testDisplay, 800, 600, 16);
        vobList = new EntityList(memory);
        foodList = new EntityList(memory);
        remainsList = new EntityList(memory);
        liveOptions = presetAlgorithms[0];
        liveOptions.statsMode = 0;
        seedRandom(random, 1);
    }
    ~BenchWorld()
    {
        releaseWorld(*this);
        closeHeadlessDisplay(testDisplay);
    }
};

int32_t scatter(World& world, int32_t range) { return randomInRange(world.random, 0, range); }

// One re-measurement of a sheet, as a Vob crossing a level does.
void adoptSheet(benchmark::State& state)
{
    BenchWorld world;
    Entity vob(world.vobSheet, directionalAnimation, world.size);
    bool mega = false;
    for (auto _ : state) {
        vob.adoptSheet(mega ? world.megaVobSheet : world.vobSheet);
        mega = !mega;
        benchmark::DoNotOptimize(vob.cellWidth());
    }
}
BENCHMARK(adoptSheet);

// The Vob pass of one frame: resting Vobs (they neither die nor leave) walk
// the food list and are drawn. Arguments: Vobs, food deposits.
void vobPass(benchmark::State& state)
{
    BenchWorld world;
    for (int64_t i = 0; i < state.range(0); ++i) {
        world.vobList->append(
            makeInWorld<Entity>(world.memory, world.vobSheet, directionalAnimation, world.size));
        world.vobList->last()->setPosition(scatter(world, 780), scatter(world, 580));
        world.vobList->last()->setStrength(1000);
        world.vobList->last()->setSteerHold(1 << 30);
    }
    for (int64_t i = 0; i < state.range(1); ++i) {
        world.foodList->append(
            makeInWorld<Entity>(world.memory, world.foodSheet, cyclicAnimation, world.size));
        world.foodList->last()->setPosition(scatter(world, 790), scatter(world, 590));
        world.foodList->last()->setStrength(1);  // eaten food is dead but stays listed
    }
    for (auto _ : state) {
        for (EntityNode* n = world.vobList->head(); n != nullptr;)
            n = tickVob(world, n);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(vobPass)
    ->Args({500, 0})
    ->Args({5000, 0})
    ->Args({5000, 200})
    ->Unit(benchmark::kMillisecond);

// Appending at the tail of a long list, as spawning does.
void appendToLongList(benchmark::State& state)
{
    BenchWorld world;
    for (int i = 0; i < 5000; ++i)
        world.vobList->append(
            makeInWorld<Entity>(world.memory, world.vobSheet, directionalAnimation, world.size));
    for (auto _ : state) {
        world.vobList->append(
            makeInWorld<Entity>(world.memory, world.vobSheet, directionalAnimation, world.size));
        world.vobList->remove(world.vobList->head());
    }
}
BENCHMARK(appendToLongList);

}  // namespace

BENCHMARK_MAIN();
