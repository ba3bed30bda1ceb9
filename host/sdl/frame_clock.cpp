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

PresentClock startPresentClock(int32_t hz, int64_t now)
{
    constexpr int32_t usualHz = 60;
    PresentClock clock;
    clock.period = 1000000 / (hz > 0 ? hz : usualHz);
    clock.due = now;
    return clock;
}

bool presentDue(const PresentClock& clock, int64_t now)
{
    return now >= clock.due - clock.period / 8;
}

void presented(PresentClock& clock, int64_t now)
{
    clock.due = std::max(clock.due + clock.period, now + clock.period / 2);
}
