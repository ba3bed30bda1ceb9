// The time the backend spends drawing (fills, blits, text), for the runner's
// --bench. Counted only while switched on: a normal run pays one test of a
// flag per drawing call.
#pragma once

#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#else
#include <chrono>
#endif

// Time spent in fills, blits and text while counting is on (off at start),
// summed over the whole process: the runner's --bench tells drawing from the
// rest of a frame by it.
void countDrawingTime(bool on);
double drawingMilliseconds();

extern bool drawingClockOn;
extern uint64_t drawingTicks;

// A drawing call is a fraction of a microsecond, so the clock must cost far
// less: the processor's time-stamp counter where there is one, converted to
// milliseconds against the steady clock when the total is read.
inline uint64_t drawingClockTicks()
{
#if defined(__x86_64__) || defined(__i386__)
    return __rdtsc();
#else
    return static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
#endif
}

// Put at the top of a drawing call: counts until the call returns.
class DrawingTimer {
public:
    DrawingTimer() : on_(drawingClockOn)
    {
        if (on_)
            start_ = drawingClockTicks();
    }
    ~DrawingTimer()
    {
        if (on_)
            drawingTicks += drawingClockTicks() - start_;
    }
    DrawingTimer(const DrawingTimer&) = delete;
    DrawingTimer& operator=(const DrawingTimer&) = delete;

private:
    bool on_;
    uint64_t start_ = 0;
};
