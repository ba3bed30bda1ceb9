// What tovrine-world --bench measures: every frame whole, the part of it
// spent drawing (the rest is the simulation), the processor time the frame
// took (what it would take on a machine of its own), the largest population,
// and the process's resident memory as the run goes on.
#pragma once

#include <cstdint>

#include "host/sdl/frame_timing.h"

struct World;

class FrameBench {
public:
    // Switches the backend's drawing clock on.
    FrameBench();
    void beginFrame();
    void endFrame(const World& world, int64_t frame, int64_t lastFrame);
    void print(const World& world, int64_t lastFrame) const;

private:
    int64_t frames_ = 0;
    TimeSpread whole_, simulation_, drawing_, processor_;
    double frameStartMs_ = 0;
    double processorAtStartMs_ = 0;
    double drawingAtStartMs_ = 0;
    int32_t largestPopulation_ = 0;
    int64_t largestPopulationFrame_ = 0;
    int64_t residentFirstKb_ = -1, residentHalfwayKb_ = -1, residentLastKb_ = -1;
};
