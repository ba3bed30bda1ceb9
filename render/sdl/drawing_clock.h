// The time the backend spends drawing (fills, blits, text), for the runner's
// --bench. Counted only while switched on: a normal run pays one test of a
// flag per drawing call. Private to render/sdl.
#pragma once

#include <chrono>

extern bool drawingClockOn;
extern std::chrono::steady_clock::duration drawingTimeSpent;

// Put at the top of a drawing call: counts until the call returns.
class DrawingTimer {
public:
    DrawingTimer() : on_(drawingClockOn)
    {
        if (on_)
            start_ = std::chrono::steady_clock::now();
    }
    ~DrawingTimer()
    {
        if (on_)
            drawingTimeSpent += std::chrono::steady_clock::now() - start_;
    }
    DrawingTimer(const DrawingTimer&) = delete;
    DrawingTimer& operator=(const DrawingTimer&) = delete;

private:
    bool on_;
    std::chrono::steady_clock::time_point start_;
};
