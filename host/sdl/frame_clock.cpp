#include "host/sdl/frame_clock.h"

#include <algorithm>

FrameClock startFrameClock(int64_t period, int64_t now)
{
    FrameClock clock;
    clock.period = std::max<int64_t>(period, 0);
    clock.due = now;
    return clock;
}

void frameDone(FrameClock& clock, int64_t now)
{
    clock.due = std::max(clock.due + clock.period, now - clock.period);
}

int64_t waitBeforeFrame(const FrameClock& clock, int64_t now)
{
    return std::max<int64_t>(clock.due - now, 0);
}
