#include "tools/world/frame_bench.h"

#include <cstdio>
#include <fstream>
#include <string>

#include "render/sdl/headless_display.h"
#include "sim/entity_list.h"
#include "sim/food_search.h"
#include "sim/world.h"
#include "run/world_figures.h"

namespace {

// A field of /proc/self/status in kB ("VmRSS", "VmHWM"); -1 where there is none.
int64_t statusKb(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, field.size() + 1, field + ":") == 0)
            return std::stoll(line.substr(field.size() + 1));
    }
    return -1;
}

void printSpread(const char* what, const TimeSpread& spread)
{
    std::printf("bench: %s ms per frame: mean %.4f min %.4f max %.4f\n", what, spread.meanMs(),
                spread.minMs, spread.maxMs);
}

}  // namespace

FrameBench::FrameBench() { countDrawingTime(true); }

void FrameBench::beginFrame()
{
    drawingAtStartMs_ = drawingMilliseconds();
    processorAtStartMs_ = processorMs();
    frameStartMs_ = steadyMs();
}

void FrameBench::endFrame(const World& world, int64_t frame, int64_t lastFrame)
{
    const double whole = steadyMs() - frameStartMs_;
    processor_.add(processorMs() - processorAtStartMs_);
    const double drawing = drawingMilliseconds() - drawingAtStartMs_;
    whole_.add(whole);
    drawing_.add(drawing);
    simulation_.add(whole - drawing);
    frames_ += 1;

    const int32_t population = world.vobList != nullptr ? world.vobList->population() : 0;
    if (population > largestPopulation_) {
        largestPopulation_ = population;
        largestPopulationFrame_ = frame;
    }
    if (frame == 1)
        residentFirstKb_ = statusKb("VmRSS");
    if (frame == lastFrame / 2)
        residentHalfwayKb_ = statusKb("VmRSS");
    if (frame == lastFrame)
        residentLastKb_ = statusKb("VmRSS");
}

void FrameBench::print(const World& world, int64_t lastFrame) const
{
    std::printf("bench: %lld frames, ms per frame: mean %.4f min %.4f max %.4f\n",
                static_cast<long long>(frames_), whole_.meanMs(), whole_.minMs, whole_.maxMs);
    printSpread("simulation", simulation_);
    printSpread("drawing", drawing_);
    printSpread("processor", processor_);
    const FoodSearchCounts searches = world.food.counts;
    std::printf("bench: food searches: %lld by the index, %lld by walking the list%s\n",
                static_cast<long long>(searches.indexed), static_cast<long long>(searches.walked),
                world.food.search == FoodSearch::walk ? " (--walk-food)" : "");
    std::printf("bench: resident memory kB: frame 1 %lld, frame %lld %lld, last %lld, peak %lld\n",
                static_cast<long long>(residentFirstKb_), static_cast<long long>(lastFrame / 2),
                static_cast<long long>(residentHalfwayKb_), static_cast<long long>(residentLastKb_),
                static_cast<long long>(statusKb("VmHWM")));
    std::printf("bench: largest population %d at frame %lld\n", largestPopulation_,
                static_cast<long long>(largestPopulationFrame_));
    std::printf("bench: last frame: %s\n",
                formatWorldFigures(lastFrame, collectWorldFigures(world)).c_str());
}
