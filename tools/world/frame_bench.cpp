#include "tools/world/frame_bench.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>

#include "render/sdl/headless_display.h"
#include "sim/entity_list.h"
#include "sim/food_search.h"
#include "sim/world.h"
#include "tools/world/world_figures.h"

namespace {

double nowMs()
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// This thread's processor time: unlike the wall clock it does not count
// the time other programs held the processor.
double processorMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

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

void printSpread(const char* what, const TimeSpread& spread, int64_t frames)
{
    const double mean = frames > 0 ? spread.totalMs / frames : 0.0;
    std::printf("bench: %s ms per frame: mean %.4f min %.4f max %.4f\n", what, mean, spread.minMs,
                spread.maxMs);
}

}  // namespace

void TimeSpread::add(double ms, int64_t count)
{
    minMs = (count == 0 || ms < minMs) ? ms : minMs;
    maxMs = (count == 0 || ms > maxMs) ? ms : maxMs;
    totalMs += ms;
}

FrameBench::FrameBench() { countDrawingTime(true); }

void FrameBench::beginFrame()
{
    drawingAtStartMs_ = drawingMilliseconds();
    processorAtStartMs_ = processorMs();
    frameStartMs_ = nowMs();
}

void FrameBench::endFrame(int64_t frame, int64_t lastFrame)
{
    const double whole = nowMs() - frameStartMs_;
    processor_.add(processorMs() - processorAtStartMs_, frames_);
    const double drawing = drawingMilliseconds() - drawingAtStartMs_;
    whole_.add(whole, frames_);
    drawing_.add(drawing, frames_);
    simulation_.add(whole - drawing, frames_);
    frames_ += 1;

    const int32_t population = vobList != nullptr ? vobList->population() : 0;
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

void FrameBench::print(int64_t lastFrame) const
{
    const double mean = frames_ > 0 ? whole_.totalMs / frames_ : 0.0;
    std::printf("bench: %lld frames, ms per frame: mean %.4f min %.4f max %.4f\n",
                static_cast<long long>(frames_), mean, whole_.minMs, whole_.maxMs);
    printSpread("simulation", simulation_, frames_);
    printSpread("drawing", drawing_, frames_);
    printSpread("processor", processor_, frames_);
    const FoodSearchCounts searches = foodSearchCounts();
    std::printf("bench: food searches: %lld by the index, %lld by walking the list%s\n",
                static_cast<long long>(searches.indexed), static_cast<long long>(searches.walked),
                foodSearch() == FoodSearch::walk ? " (--walk-food)" : "");
    std::printf("bench: resident memory kB: frame 1 %lld, frame %lld %lld, last %lld, peak %lld\n",
                static_cast<long long>(residentFirstKb_), static_cast<long long>(lastFrame / 2),
                static_cast<long long>(residentHalfwayKb_), static_cast<long long>(residentLastKb_),
                static_cast<long long>(statusKb("VmHWM")));
    std::printf("bench: largest population %d at frame %lld\n", largestPopulation_,
                static_cast<long long>(largestPopulationFrame_));
    std::printf("bench: last frame: %s\n",
                formatWorldFigures(lastFrame, collectWorldFigures()).c_str());
}
