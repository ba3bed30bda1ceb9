#include "render/memory/drawing_clock.h"

#include <chrono>

bool drawingClockOn = false;
uint64_t drawingTicks = 0;

namespace {

// Where the counter and the steady clock were when counting began.
std::chrono::steady_clock::time_point steadyAtStart;
uint64_t ticksAtStart = 0;

}  // namespace

void countDrawingTime(bool on)
{
    if (on && !drawingClockOn) {
        steadyAtStart = std::chrono::steady_clock::now();
        ticksAtStart = drawingClockTicks();
    }
    drawingClockOn = on;
}

double drawingMilliseconds()
{
    const double elapsedMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - steadyAtStart)
            .count();
    const uint64_t elapsedTicks = drawingClockTicks() - ticksAtStart;
    return elapsedTicks == 0 ? 0.0 : static_cast<double>(drawingTicks) * elapsedMs / elapsedTicks;
}
