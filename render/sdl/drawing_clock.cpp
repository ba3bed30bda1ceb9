#include "render/sdl/drawing_clock.h"

#include "render/sdl/headless_display.h"

bool drawingClockOn = false;
std::chrono::steady_clock::duration drawingTimeSpent{};

void countDrawingTime(bool on) { drawingClockOn = on; }

double drawingMilliseconds()
{
    return std::chrono::duration<double, std::milli>(drawingTimeSpent).count();
}
